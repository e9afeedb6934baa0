// Loading a DLL of the system at run time.
#pragma once

#include <windows.h>

// Loads the named DLL from the system directory only, never from the executable's folder or
// the current directory, where a planted copy would run with this program's rights.
// Returns null when it can't be loaded.
HMODULE LoadSystemLibrary(const char* name);
