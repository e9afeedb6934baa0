#include "common/system_library_win.h"

#include "common/bounded_text.h"

HMODULE LoadSystemLibrary(const char* name) {
  HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // Systems without the search flags reject it as an invalid parameter: give the full path.
  char directory[MAX_PATH];
  UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  char path[MAX_PATH];
  if (FormatText(path, sizeof path, "%s\\%s", directory, name) != 0) return nullptr;
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
