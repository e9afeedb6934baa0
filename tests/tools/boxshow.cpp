// boxshow.exe [TEXT [CAPTION]]
//
// A program for trying vxbox.exe: shows MessageBoxA(NULL, TEXT, CAPTION, MB_SETFOREGROUND)
// and prints "MessageBoxA <result>" on standard output (and the error code when it failed).
// The two characters \n in TEXT stand for a line feed. Defaults: "line one\n", "Some Caption".
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  char text[512];
  const char* source = argc > 1 ? argv[1] : "line one\\n";
  const char* caption = argc > 2 ? argv[2] : "Some Caption";
  size_t length = 0;
  for (const char* p = source; *p && length + 1 < sizeof text; ++p) {
    if (p[0] == '\\' && p[1] == 'n') {
      text[length++] = '\n';
      ++p;
    } else {
      text[length++] = *p;
    }
  }
  text[length] = '\0';

  int result = MessageBoxA(nullptr, text, caption, MB_SETFOREGROUND);
  if (result <= 0) {
    std::printf("MessageBoxA %d error %lu\n", result, GetLastError());
  } else {
    std::printf("MessageBoxA %d\n", result);
  }
  return 0;
}
