// Loading a DLL of the system at run time.
#pragma once

#include <windows.h>

// Loads the named DLL from the system directory only, never from the executable's folder or
// the current directory, where a planted copy would run with this program's rights.
// Returns null when it can't be loaded.
HMODULE LoadSystemLibrary(const char* name);

// The named entry point of a loaded library as a function of the given type; null when the
// library has no such entry point.
template <typename Function>
Function FindEntryPoint(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The named entry point of kernel32.dll, which every process has loaded, as a function of the
// given type; null where this Windows lacks it. For the functions newer than the oldest Windows
// served, which the program must not import.
template <typename Function>
Function FindKernelEntryPoint(const char* name) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel != nullptr ? FindEntryPoint<Function>(kernel, name) : nullptr;
}
