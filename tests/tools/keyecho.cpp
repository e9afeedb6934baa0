// keyecho.exe [--no-peek] [--exit N] COUNT [WORD...]
//
// A console program for trying vxkeys.exe: it reads COUNT key codes the way vernix.exe waits
// for a key (one PeekConsoleInputA on CONIN$, then _kbhit polled every 10 ms, then _getch) and
// prints each as "key <code>" on standard output, flushed at once. On standard error it says
// what its standard streams are ("keyecho: stdin console stdout pipe stderr file"). Exits with
// N (default 0), or 3 when it has no console input. --no-peek leaves out the first peek. Each
// WORD is printed first as "arg [WORD]", to show how its command line was split.
#include <windows.h>

#include <conio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* KindOf(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return "none";
  DWORD mode = 0;
  switch (GetFileType(handle)) {
    case FILE_TYPE_CHAR: return GetConsoleMode(handle, &mode) ? "console" : "char";
    case FILE_TYPE_PIPE: return "pipe";
    case FILE_TYPE_DISK: return "file";
    default: return "unknown";
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool peek = true;
  int status = 0;
  int count = -1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-peek") == 0) {
      peek = false;
    } else if (std::strcmp(argv[i], "--exit") == 0 && i + 1 < argc) {
      status = std::atoi(argv[++i]);
    } else if (count < 0) {
      count = std::atoi(argv[i]);
    } else {
      std::printf("arg [%s]\n", argv[i]);
    }
  }
  if (count < 0) {
    std::fprintf(stderr, "usage: keyecho.exe [--no-peek] [--exit N] COUNT [WORD...]\n");
    return 2;
  }
  std::fprintf(stderr, "keyecho: stdin %s stdout %s stderr %s\n", KindOf(STD_INPUT_HANDLE),
               KindOf(STD_OUTPUT_HANDLE), KindOf(STD_ERROR_HANDLE));

  HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
  DWORD mode = 0;
  if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) {
    std::fprintf(stderr, "keyecho: no console input\n");
    if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
    return 3;
  }
  if (peek) {
    INPUT_RECORD record;
    DWORD seen = 0;
    PeekConsoleInputA(input, &record, 1, &seen);
  }
  for (int i = 0; i < count; ++i) {
    while (!_kbhit()) Sleep(10);
    std::printf("key %d\n", _getch());
    std::fflush(stdout);
  }
  CloseHandle(input);
  return status;
}
