#include "common/console_win.h"

#include <conio.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "common/attendance.h"
#include "common/process_win.h"
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
Station AskWindowStation() {
  using GetStationFunction = HWINSTA(WINAPI*)();
  using GetInformationFunction = BOOL(WINAPI*)(HANDLE, int, PVOID, DWORD, LPDWORD);
  UniqueLibrary user32(LoadSystemLibrary("user32.dll"));
  if (user32.Get() == nullptr) return Station::kUnknown;
  auto getStation = FindEntryPoint<GetStationFunction>(user32.Get(), "GetProcessWindowStation");
  auto getInformation =
      FindEntryPoint<GetInformationFunction>(user32.Get(), "GetUserObjectInformationA");
  if (getStation == nullptr || getInformation == nullptr) return Station::kUnknown;
  HWINSTA station = getStation();
  USEROBJECTFLAGS flags;
  if (station == nullptr || !getInformation(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
    return Station::kUnknown;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0 ? Station::kVisible : Station::kHidden;
}

// The process's session, where Windows can say (from Windows 2000 and NT 4.0 Terminal Server
// Edition on: looked up at run time).
bool AskSession(uint32_t* session) {
  using SessionFunction = BOOL(WINAPI*)(DWORD, DWORD*);
  auto processIdToSessionId = FindKernelEntryPoint<SessionFunction>("ProcessIdToSessionId");
  DWORD id = 0;
  if (processIdToSessionId == nullptr || !processIdToSessionId(GetCurrentProcessId(), &id)) {
    return false;
  }
  *session = id;
  return true;
}

// Where the run takes place, asked once per run; the console input is asked each time, as it is
// the one input a run can gain or lose.
Attendance DecideWithConsole(bool consoleInput) {
  static bool asked = false;
  static AttendanceInputs inputs;
  if (!asked) {
    inputs.station = AskWindowStation();
    inputs.sessionKnown = AskSession(&inputs.session);
    OSVERSIONINFOA version;
    ReadWindowsVersion(&version);
    inputs.windowsMajor = version.dwMajorVersion;
    asked = true;
  }
  inputs.consoleInput = consoleInput;
  return DecideAttendance(inputs);
}

}  // namespace

// On a window station that nobody sees, or in the services' session, the console and the
// desktop may exist, but no one can type into them or click on them: a wait for a key or for a
// click there never ends. Such a run is treated as one without console input and without a
// desktop. This changes what the program does only where it would otherwise wait forever, or,
// with its stored adapter absent, change the machine's identity with no one to ask; in a
// person's own session on a visible window station (every interactive run, remote desktop
// sessions included) nothing changes.
bool IsRunSeenByUser() { return DecideWithConsole(false).seen; }

bool CanAnswerAtConsole() {
  return DecideWithConsole(IsConsole(OpenConsoleInput())).answersAtConsole;
}

bool WaitForKey() {
  {
    UniqueHandle input = OpenConsoleInput();
    if (!DecideWithConsole(IsConsole(input)).answersAtConsole) return false;
    INPUT_RECORD record;
    DWORD seen = 0;
    PeekConsoleInputA(input.Get(), &record, 1, &seen);
  }
  while (!_kbhit()) Sleep(kPollPauseMs);
  return true;
}
