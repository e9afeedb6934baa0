// Code-page conversions and the text locale: the platform's side of the text utilities.
//
// On Windows these are the system's conversions between an ANSI code page and UTF-16, and the
// runtime library's locale. Everything built on them in text_utils is plain logic.
#pragma once

#include <cstddef>

constexpr unsigned kSystemAnsiCodePage = 0;   // CP_ACP

// The whole NUL-terminated source, terminator included, as UTF-16 units into dst (dstUnits).
// Returns the units written, terminator included, or 0 on failure.
size_t ConvertAnsiToWide(unsigned codePage, const char* src, char16_t* dst, size_t dstUnits);

// The NUL-terminated UTF-16 text, terminator included, into dst (dstSize bytes), characters
// the code page lacks given as its own default character. composite asks for the composite
// check of the conversion. Returns the bytes written, terminator included, or 0 on failure
// (also when dst is too small).
size_t ConvertWideToAnsi(unsigned codePage, const char16_t* src, char* dst, size_t dstSize,
                         bool composite);

// Once per process: the runtime library's locale and multibyte code page become English
// (United States), whatever the system's settings.
void SetUpTextLocale();
extern int g_textLocaleSet;
