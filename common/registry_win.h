// Reading registry text values into fixed-size fields.
#pragma once

#include <windows.h>

// Reads the value into buf (size bytes, room for the NUL included) and leaves buf terminated
// inside its size, whether or not the stored data ended in a NUL. A text that doesn't fit gives
// ERROR_MORE_DATA. On any failure buf is the empty text. type receives the value's type.
LONG ReadRegistryText(HKEY key, const char* name, char* buf, DWORD size, DWORD* type);

// The same for a value that must be of type REG_SZ: true when it was read and is of that type;
// otherwise buf is the empty text and *result (where given) the read's result, which is
// ERROR_SUCCESS for a value of another type.
bool ReadRegistryString(HKEY key, const char* name, char* buf, DWORD size, LONG* result);
