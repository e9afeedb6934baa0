#include "text/text_utils.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "text/code_page.h"

unsigned g_outputCodePage = kSystemAnsiCodePage;

namespace {

// A temporary of n elements from the runtime allocator, freed when it goes.
template <typename T>
struct Temporary {
  explicit Temporary(size_t n) : data(static_cast<T*>(calloc(n, sizeof(T)))) {}
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() { free(data); }
  T* data;
};

void SetUpTextLocaleOnce() {
  if (g_textLocaleSet == 0) SetUpTextLocale();
}

}  // namespace

bool AppendUtf8Unit(char16_t unit, char* dst, size_t size, size_t* used) {
  unsigned char bytes[3];
  size_t count;
  if (unit < 0x80) {
    bytes[0] = static_cast<unsigned char>(unit);
    count = 1;
  } else if (unit < 0x800) {
    bytes[0] = static_cast<unsigned char>(0xC0 | (unit >> 6));
    bytes[1] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
    count = 2;
  } else {
    bytes[0] = static_cast<unsigned char>(0xE0 | (unit >> 12));
    bytes[1] = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
    bytes[2] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
    count = 3;
  }
  if (*used + count >= size) return false;   // keep room for the terminator
  memcpy(dst + *used, bytes, count);
  *used += count;
  dst[*used] = '\0';
  return true;
}

size_t DecodeUtf8(const char* src, char16_t* dst, size_t dstUnits, bool* invalid) {
  const unsigned char* in = reinterpret_cast<const unsigned char*>(src);
  size_t units = 0;
  bool inInvalidRun = false;
  *invalid = false;
  auto put = [&](char16_t unit) {
    if (units + 1 < dstUnits) dst[units++] = unit;
  };
  auto markInvalid = [&]() {
    *invalid = true;
    if (!inInvalidRun) put(u'?');
    inInvalidRun = true;
  };
  while (*in != 0 && units + 1 < dstUnits) {
    unsigned lead = *in;
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 0;
    if (length == 0) {
      markInvalid();
      ++in;
      continue;
    }
    // The bytes after a lead byte are taken as they come, but never past the terminator.
    if ((length >= 2 && in[1] == 0) || (length == 3 && in[2] == 0)) {
      markInvalid();
      break;
    }
    char16_t unit = static_cast<char16_t>(lead);
    if (length == 2) unit = static_cast<char16_t>(((lead & 0x1F) << 6) | (in[1] & 0x3F));
    if (length == 3) {
      unit = static_cast<char16_t>(((lead & 0x0F) << 12) | ((in[1] & 0x3F) << 6) |
                                   (in[2] & 0x3F));
    }
    put(unit);
    inInvalidRun = false;
    in += length;
  }
  if (dstUnits > 0) dst[units] = 0;
  return units;
}

namespace {

// The start of both conversions: the locale set up, the destination emptied where there is
// one. False when an argument is missing.
bool BeginConversion(const char* src, char* dst, size_t size) {
  SetUpTextLocaleOnce();
  if (dst == nullptr || size == 0) return false;
  dst[0] = '\0';
  return src != nullptr;
}

}  // namespace

int AnsiToUtf8(const char* src, char* dst, size_t size) {
  if (!BeginConversion(src, dst, size)) return -1;
  size_t length = strlen(src);
  Temporary<char16_t> wide(length + 1);
  if (wide.data == nullptr) return -1;
  if (ConvertAnsiToWide(kSystemAnsiCodePage, src, wide.data, length + 1) == 0) return -1;
  size_t used = 0;
  for (size_t i = 0; i <= length && wide.data[i] != 0; ++i) {
    if (!AppendUtf8Unit(wide.data[i], dst, size, &used)) break;   // cut between characters
  }
  return 0;
}

int Utf8ToAnsi(const char* src, char* dst, size_t size) {
  if (!BeginConversion(src, dst, size)) return -1;
  size_t length = strlen(src);
  Temporary<char16_t> wide(length + 1);
  if (wide.data == nullptr) return -1;
  bool invalid = false;
  DecodeUtf8(src, wide.data, length + 1, &invalid);
  if (ConvertWideToAnsi(kSystemAnsiCodePage, wide.data, dst, size, true) == 0) {
    dst[0] = '\0';
    return -1;
  }
  return invalid ? -1 : 0;
}

int Utf8ToAnsiInPlace(char* text, size_t size) {
  if (text == nullptr || size == 0) return -1;
  size_t tempSize = 2 * (strnlen(text, size - 1) + 1);
  text[size - 1] = '\0';
  Temporary<char> temp(tempSize);
  if (temp.data == nullptr) return -1;
  Utf8ToAnsi(text, temp.data, tempSize);
  size_t length = strlen(temp.data);
  if (length + 1 > size) length = size - 1;
  memcpy(text, temp.data, length);
  text[length] = '\0';
  return 0;
}

int IsSevenBitText(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    if (*p >= 0x80) return 0;
  }
  return 1;
}

void UpperCaseLetters(char* text) {
  for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p != 0; ++p) {
    if (isalpha(*p) && islower(*p)) *p = static_cast<unsigned char>(toupper(*p));
  }
}

void ReencodeForOutput(char* text) {
  size_t length = strlen(text);
  Temporary<char16_t> wide(length + 1);
  Temporary<char> out(2 * (length + 1));
  if (wide.data == nullptr || out.data == nullptr) return;
  if (ConvertAnsiToWide(kSystemAnsiCodePage, text, wide.data, length + 1) == 0) return;
  size_t written = ConvertWideToAnsi(g_outputCodePage, wide.data, out.data, 2 * (length + 1),
                                     false);
  // Into the same code page the text keeps its length; a longer result is never written.
  if (written == 0 || written > length + 1) return;
  memcpy(text, out.data, written);
}
