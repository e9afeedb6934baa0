#include "common/registry_win.h"

LONG ReadRegistryText(HKEY key, const char* name, char* buf, DWORD size, DWORD* type) {
  DWORD length = size;
  LONG result = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(buf), &length);
  if (result != ERROR_SUCCESS) {
    buf[0] = '\0';
    return result;
  }
  if (length < size) {
    buf[length] = '\0';
  } else if (buf[size - 1] != '\0') {
    buf[0] = '\0';
    return ERROR_MORE_DATA;
  }
  return ERROR_SUCCESS;
}
