#include "common/process_win.h"

#include <windows.h>

#include <cstring>

#include "common/system_library_win.h"

namespace {

constexpr DWORD kSearchSystem32 = 0x00000800;   // LOAD_LIBRARY_SEARCH_SYSTEM32

}  // namespace

void PrepareProcess() {
  // A drive without media, or a run-time DLL that lacks one of its own dependencies, would
  // otherwise raise a box that waits for a click nobody gives in an unattended run; with these
  // the call that met it fails instead. SetErrorMode returns the mode it replaced (GetErrorMode
  // is Vista's), so the parent's own choices are kept.
  UINT previous = SetErrorMode(0);
  SetErrorMode(previous | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

  // Both are looked up at run time: SetDefaultDllDirectories came with Windows 8 (and an update
  // of Vista and 7), SetDllDirectoryA with XP SP1; Windows NT 4.0 has neither. The first leaves
  // the system directory alone in the search; the second, where it is all there is, takes the
  // current folder out of it.
  using SetDefaultFunction = BOOL(WINAPI*)(DWORD);
  using SetDirectoryFunction = BOOL(WINAPI*)(LPCSTR);
  auto setDefault = FindKernelEntryPoint<SetDefaultFunction>("SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(kSearchSystem32)) return;
  auto setDirectory = FindKernelEntryPoint<SetDirectoryFunction>("SetDllDirectoryA");
  if (setDirectory != nullptr) setDirectory("");
}

void ReadWindowsVersion(OSVERSIONINFOA* version) {
  static_assert(sizeof *version == 148, "the record's size is part of the platform test");
  memset(version, 0, sizeof *version);
  version->dwOSVersionInfoSize = sizeof *version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(version);
#pragma GCC diagnostic pop
}
