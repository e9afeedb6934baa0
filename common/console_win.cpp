#include "common/console_win.h"

#include <conio.h>
#include <windows.h>

#include "common/win_resources.h"

namespace {

constexpr DWORD kPollPauseMs = 10;

UniqueHandle OpenConsoleInput() {
  return UniqueHandle(CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
}

bool IsConsole(const UniqueHandle& input) {
  DWORD mode = 0;
  return input.IsValid() && GetConsoleMode(input.Get(), &mode);
}

}  // namespace

bool WaitForKey() {
  {
    UniqueHandle input = OpenConsoleInput();
    if (!IsConsole(input)) return false;
    INPUT_RECORD record;
    DWORD seen = 0;
    PeekConsoleInputA(input.Get(), &record, 1, &seen);
  }
  while (!_kbhit()) Sleep(kPollPauseMs);
  return true;
}
