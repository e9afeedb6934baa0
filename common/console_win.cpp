#include "common/console_win.h"

#include <conio.h>
#include <windows.h>

#include "common/system_library_win.h"
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

// Asks the process's window station whether it is visible. Its handle belongs to the process
// and is not closed. Both functions are looked up at run time, after the platform test: Windows
// 95, 98 and Me have no window stations, and their loader would refuse a program that imports
// them before the program could refuse those systems itself.
bool IsWindowStationVisible() {
  using GetStationFunction = HWINSTA(WINAPI*)();
  using GetInformationFunction = BOOL(WINAPI*)(HANDLE, int, PVOID, DWORD, LPDWORD);
  UniqueLibrary user32(LoadSystemLibrary("user32.dll"));
  if (user32.Get() == nullptr) return true;
  auto getStation = FindEntryPoint<GetStationFunction>(user32.Get(), "GetProcessWindowStation");
  auto getInformation =
      FindEntryPoint<GetInformationFunction>(user32.Get(), "GetUserObjectInformationA");
  if (getStation == nullptr || getInformation == nullptr) return true;
  HWINSTA station = getStation();
  USEROBJECTFLAGS flags;
  if (station == nullptr || !getInformation(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
    return true;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

// On a window station that nobody sees, the console and the desktop exist, but no one can type
// into them or click on them: a wait for a key or for a click there never ends. Such a run is
// treated as one without console input and without a desktop. This changes what the program
// does only where it would otherwise wait forever, or, with its stored adapter absent, change
// the machine's identity with no one to ask; on a visible window station (every interactive
// run, remote desktop sessions included) nothing changes.
bool IsRunSeenByUser() {
  static int seen = -1;   // not asked yet; the answer stays for the rest of the run
  if (seen < 0) seen = IsWindowStationVisible() ? 1 : 0;
  return seen == 1;
}

bool CanAnswerAtConsole() { return IsRunSeenByUser() && IsConsole(OpenConsoleInput()); }

bool WaitForKey() {
  {
    UniqueHandle input = OpenConsoleInput();
    if (!IsRunSeenByUser() || !IsConsole(input)) return false;
    INPUT_RECORD record;
    DWORD seen = 0;
    PeekConsoleInputA(input.Get(), &record, 1, &seen);
  }
  while (!_kbhit()) Sleep(kPollPauseMs);
  return true;
}
