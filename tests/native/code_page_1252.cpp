// Code page 1252 in place of the system's conversions, so that the text utilities run and can
// be fuzzed natively. Characters the code page lacks become '?', as its default character.
#include <cstring>

#include "text/code_page.h"

int g_textLocaleSet = 0;

namespace {

// 0x80 to 0x9F of code page 1252; 0 where the code page has no character.
const char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t ToWide(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80] ? kHigh[byte - 0x80] : byte;
  return byte;
}

unsigned char ToByte(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<unsigned char>(unit);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == unit) return static_cast<unsigned char>(0x80 + i);
  }
  return '?';
}

}  // namespace

size_t ConvertAnsiToWide(unsigned, const char* src, char16_t* dst, size_t dstUnits) {
  size_t length = strlen(src);
  if (length + 1 > dstUnits) return 0;
  for (size_t i = 0; i <= length; ++i) dst[i] = ToWide(static_cast<unsigned char>(src[i]));
  return length + 1;
}

size_t ConvertWideToAnsi(unsigned, const char16_t* src, char* dst, size_t dstSize, bool) {
  size_t length = 0;
  while (src[length] != 0) ++length;
  if (length + 1 > dstSize) return 0;
  for (size_t i = 0; i <= length; ++i) dst[i] = static_cast<char>(ToByte(src[i]));
  return length + 1;
}

void SetUpTextLocale() { g_textLocaleSet = 1; }
