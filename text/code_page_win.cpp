#include <mbctype.h>
#include <windows.h>

#include <clocale>

#include "text/code_page.h"

int g_textLocaleSet = 0;

size_t ConvertAnsiToWide(unsigned codePage, const char* src, char16_t* dst, size_t dstUnits) {
  int units = MultiByteToWideChar(codePage, codePage == CP_ACP ? MB_PRECOMPOSED : 0, src, -1,
                                  reinterpret_cast<wchar_t*>(dst), static_cast<int>(dstUnits));
  return units > 0 ? static_cast<size_t>(units) : 0;
}

size_t ConvertWideToAnsi(unsigned codePage, const char16_t* src, char* dst, size_t dstSize,
                         bool composite) {
  int bytes = WideCharToMultiByte(codePage, composite ? WC_COMPOSITECHECK : 0,
                                  reinterpret_cast<const wchar_t*>(src), -1, dst,
                                  static_cast<int>(dstSize), nullptr, nullptr);
  return bytes > 0 ? static_cast<size_t>(bytes) : 0;
}

void SetUpTextLocale() {
  setlocale(LC_ALL, "english_united-states");
  g_textLocaleSet = 1;
  _setmbcp(_MB_CP_LOCALE);
}
