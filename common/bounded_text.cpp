#include "common/bounded_text.h"

#include <cstdio>
#include <cstring>

int AppendTextV(char* buf, size_t size, const char* format, va_list args) {
  if (buf == nullptr || size == 0) return -1;
  const void* end = memchr(buf, '\0', size);
  if (end == nullptr) {
    buf[size - 1] = '\0';
    return -1;
  }
  size_t used = static_cast<size_t>(static_cast<const char*>(end) - buf);
  size_t room = size - used;
  int written = vsnprintf(buf + used, room, format, args);
  if (written < 0) {
    buf[used] = '\0';
    return -1;
  }
  return static_cast<size_t>(written) < room ? 0 : -1;
}

int AppendText(char* buf, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int result = AppendTextV(buf, size, format, args);
  va_end(args);
  return result;
}

int FormatText(char* buf, size_t size, const char* format, ...) {
  if (buf == nullptr || size == 0) return -1;
  buf[0] = '\0';
  va_list args;
  va_start(args, format);
  int result = AppendTextV(buf, size, format, args);
  va_end(args);
  return result;
}

int CopyText(char* dst, size_t size, const char* src) {
  return FormatText(dst, size, "%s", src);
}
