#include "common/system_library_win.h"

#include "common/bounded_text.h"

HMODULE LoadSystemLibrary(const char* name) {
  // The full path, on every version: the newer search flags (LOAD_LIBRARY_SEARCH_SYSTEM32) are
  // unknown to the oldest systems served, and one that ignored them would search the
  // executable's folder first.
  char directory[MAX_PATH];
  UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  char path[MAX_PATH];
  if (FormatText(path, sizeof path, "%s\\%s", directory, name) != 0) return nullptr;
  // With a full path, LOAD_WITH_ALTERED_SEARCH_PATH has the DLL's own dependencies looked for in
  // the system directory, where it is, before the executable's folder. Nothing relies on it: a
  // system that ignored it would still load this DLL from the path given.
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
