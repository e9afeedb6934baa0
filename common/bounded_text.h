// Bounded formatting into fixed-size character fields.
//
// Every field of the program has a fixed size; these helpers never write past it and always
// leave the field NUL-terminated. They report whether the whole text fitted, so a caller can
// tell a complete text from a shortened one.
#pragma once

#include <cstdarg>
#include <cstddef>

// Replaces the text in buf (size bytes) with the formatted text.
// Returns 0 when all of it fitted, -1 when it was shortened or could not be formatted.
int FormatText(char* buf, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Appends the formatted text after the NUL-terminated text already in buf (size bytes).
// Returns 0 when all of it fitted, -1 when it was shortened (what fitted stays) or when buf
// holds no terminator within its size.
int AppendText(char* buf, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

int AppendTextV(char* buf, size_t size, const char* format, va_list args)
    __attribute__((format(printf, 3, 0)));

// Copies src into dst (size bytes). Returns 0 when it fitted whole, -1 when it was shortened.
int CopyText(char* dst, size_t size, const char* src);
