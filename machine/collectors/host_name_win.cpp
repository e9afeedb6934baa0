#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "common/bounded_text.h"
#include "machine/collectors/host_name.h"
#include "machine/collectors/socket_binding.h"
#include "text/code_page.h"
#include "text/text_utils.h"

namespace {

constexpr size_t kWideNameSize = 512;

// Ends the name before its first dot. The cut is made on the wide form, so that a dot byte
// inside a multibyte character is never taken for one; a name the runtime can't convert is
// cut at its first dot byte instead.
void CutAtFirstDot(char* name, size_t size) {
  size_t length = strlen(name);
  char* copy = static_cast<char*>(malloc(length + 1));
  if (copy == nullptr) {
    name[strcspn(name, ".")] = '\0';
    return;
  }
  memcpy(copy, name, length + 1);
  wchar_t wide[kWideNameSize];
  wchar_t dot = L'.';
  size_t units = mbstowcs(wide, copy, length + 1);
  bool converted = false;
  if (units != static_cast<size_t>(-1) && units < kWideNameSize) {
    wide[units] = L'\0';
    mbtowc(&dot, ".", 1);
    wchar_t* found = wcschr(wide, dot);
    if (found != nullptr) *found = L'\0';
    size_t bytes = wcstombs(copy, wide, length + 1);
    if (bytes != static_cast<size_t>(-1)) {
      copy[bytes < length ? bytes : length] = '\0';
      CopyText(name, size, copy);
      converted = true;
    }
  }
  if (!converted) name[strcspn(name, ".")] = '\0';
  free(copy);
}

}  // namespace

int LookUpHostName(char* text, size_t size) {
  if (text == nullptr || size == 0) return -1;
  CopyText(text, size, "NONAME");
  int result = SocketGetHostName(text, static_cast<int>(size));
  text[size - 1] = '\0';
  char* temp = static_cast<char*>(malloc(size));
  if (temp == nullptr) return -1;
  AnsiToUtf8(text, temp, size);
  memcpy(text, temp, size);
  free(temp);
  return result;
}

int GetMachineHostName(MachineAttributes* record) {
  char* name = record->hostName;
  int result = LookUpHostName(name, kHostNameSize);
  if (result != 0) return result;
  if (Utf8ToAnsiInPlace(name, kHostNameSize) != 0) return -1;
  if (g_textLocaleSet == 0) SetUpTextLocale();
  CutAtFirstDot(name, kHostNameSize);
  // Multibyte text is never upper-cased byte by byte.
  if (IsSevenBitText(name)) UpperCaseLetters(name);
  char utf8[kHostNameSize] = {};
  if (AnsiToUtf8(name, utf8, sizeof utf8) != 0) return -1;
  memcpy(name, utf8, kHostNameSize);
  return 0;
}

void LocalizeHostName(MachineAttributes* record, uint32_t requested) {
  if ((requested & kHostNameBit) == 0 || record->hostName[0] == '\0') return;
  Utf8ToAnsiInPlace(record->hostName, kHostNameSize);
  ReencodeForOutput(record->hostName);
}
