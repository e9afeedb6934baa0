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

bool ReadRegistryString(HKEY key, const char* name, char* buf, DWORD size, LONG* result) {
  DWORD type = 0;
  LONG read = ReadRegistryText(key, name, buf, size, &type);
  if (result != nullptr) *result = read;
  if (read == ERROR_SUCCESS && type == REG_SZ) return true;
  buf[0] = '\0';
  return false;
}
