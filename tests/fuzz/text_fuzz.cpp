// Fuzzes the UTF-8 decoder and the conversions in place: whatever the bytes, nothing is read
// past a terminator or written past a field, and the results stay terminated.
//
// Run longer by hand: build/native/tests/text_fuzz -max_total_time=600 build/native/fuzz-corpus
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "text/text_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The input as a text of exactly its own length, so that any read past the terminator is
  // a read past the allocation.
  char* text = static_cast<char*>(malloc(size + 1));
  memcpy(text, data, size);
  text[size] = '\0';

  char16_t wide[80];
  bool invalid = false;
  size_t units = DecodeUtf8(text, wide, sizeof wide / sizeof wide[0], &invalid);
  if (units >= sizeof wide / sizeof wide[0] || wide[units] != 0) abort();

  // A 64-byte field, as the host name has, holding the input cut to fit.
  char* field = static_cast<char*>(malloc(64));
  size_t length = size < 63 ? size : 63;
  memcpy(field, data, length);
  field[length] = '\0';
  Utf8ToAnsiInPlace(field, 64);
  if (strnlen(field, 64) == 64) abort();

  char* utf8 = static_cast<char*>(malloc(64));
  AnsiToUtf8(field, utf8, 64);
  if (strnlen(utf8, 64) == 64) abort();
  // What AnsiToUtf8 gives is whole UTF-8: it decodes without an invalid byte.
  DecodeUtf8(utf8, wide, sizeof wide / sizeof wide[0], &invalid);
  if (invalid) abort();

  free(utf8);
  free(field);
  free(text);
  return 0;
}
