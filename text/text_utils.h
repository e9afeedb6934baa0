// Text utilities on NUL-terminated 8-bit text: conversions between the system ANSI code page
// and UTF-8, and the small tests and changes the collectors make.
#pragma once

#include <cstddef>

// The code page ReencodeForOutput writes: the system ANSI code page; nothing changes it.
extern unsigned g_outputCodePage;

// ANSI text as UTF-8 into dst (size bytes). A text whose UTF-8 form doesn't fit is cut at a
// character boundary. Returns 0, or -1 (dst empty where it could be written) when the
// conversion failed or an argument is missing.
int AnsiToUtf8(const char* src, char* dst, size_t size);

// UTF-8 text as ANSI into dst (size bytes). Each run of invalid bytes becomes one "?".
// Returns 0, or -1 when an invalid byte was met or the conversion failed.
int Utf8ToAnsi(const char* src, char* dst, size_t size);

// UTF-8 to ANSI within text's own size bytes (cut to size - 1 bytes when longer).
// Returns 0, or -1 when no temporary could be had (the text is then left as it was).
int Utf8ToAnsiInPlace(char* text, size_t size);

// 1 when no byte is 0x80 or above (the empty text included), else 0.
int IsSevenBitText(const char* text);

// Every lower-case letter of the text locale becomes upper case, in place.
void UpperCaseLetters(char* text);

// Converts the text in place from the system ANSI code page into the output code page.
void ReencodeForOutput(char* text);

// The UTF-8 pieces, exposed for tests.

// Appends the UTF-8 form of one UTF-16 unit (surrogates one by one, as three bytes) to dst at
// *used when it fits before the terminator's place; returns false when it doesn't fit.
bool AppendUtf8Unit(char16_t unit, char* dst, size_t size, size_t* used);

// Decodes NUL-terminated UTF-8 into at most dstUnits - 1 units and a terminating 0. A run of
// invalid bytes gives one '?'; a sequence cut short by the terminator is invalid, and nothing
// past the terminator is read. Returns the units written without the terminator; *invalid
// tells whether any invalid byte was met.
size_t DecodeUtf8(const char* src, char16_t* dst, size_t dstUnits, bool* invalid);
