// vxstation.exe [--timeout-ms N] [--no-console] -- PROGRAM [ARGS...]
// vxstation.exe --show
//
// Starts PROGRAM on a window station that no user can see, as a service, a scheduled task
// without a logged-on user or a remote run as SYSTEM has one: it creates (or opens) the window
// station "vxhidden" and its desktop "Default", and starts the child with
// STARTUPINFO.lpDesktop "vxhidden\Default". The child inherits vxstation's console and standard
// handles; its command line is vxstation's own after " -- ", unchanged. Exit status: the
// child's; 124 when it outlived --timeout-ms (default 30000) and was killed; 125 when vxstation
// itself failed, with a message on standard error.
//
// --no-console starts PROGRAM on this window station and desktop instead, without a console
// (DETACHED_PROCESS), its standard handles vxstation's: a run that a person could see but not
// type into.
//
// --show prints the window station this process runs on: "station NAME flags 0xF desktop D".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kStation[] = "vxhidden";
constexpr int kExitTimeout = 124;
constexpr int kExitFailure = 125;

int Show() {
  char station[256] = "?";
  char desktop[256] = "?";
  USEROBJECTFLAGS flags{};
  GetUserObjectInformationA(GetProcessWindowStation(), UOI_NAME, station, sizeof station,
                            nullptr);
  GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop,
                            sizeof desktop, nullptr);
  if (!GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                 nullptr)) {
    std::printf("station %s flags unknown (error %lu) desktop %s\n", station, GetLastError(),
                desktop);
    return 1;
  }
  std::printf("station %s flags 0x%lX desktop %s\n", station, flags.dwFlags, desktop);
  return 0;
}

int Fail(const char* what) {
  std::fprintf(stderr, "vxstation: %s failed (error %lu)\n", what, GetLastError());
  return kExitFailure;
}

// Starts the command line and passes its exit status through, killing it after timeout_ms.
int Run(char* line, const char* program, DWORD flags, STARTUPINFOA* startup, DWORD timeout_ms) {
  PROCESS_INFORMATION child{};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, flags, nullptr, nullptr, startup,
                      &child)) {
    return Fail("CreateProcessA");
  }
  int status = kExitTimeout;
  if (WaitForSingleObject(child.hProcess, timeout_ms) == WAIT_OBJECT_0) {
    DWORD code = kExitFailure;
    GetExitCodeProcess(child.hProcess, &code);
    status = static_cast<int>(code);
  } else {
    TerminateProcess(child.hProcess, kExitTimeout);
    WaitForSingleObject(child.hProcess, 5000);
    std::fprintf(stderr, "vxstation: %s still running after %lu ms; killed\n", program,
                 timeout_ms);
  }
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return status;
}

int RunWithoutConsole(char* line, const char* program, DWORD timeout_ms) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  return Run(line, program, DETACHED_PROCESS, &startup, timeout_ms);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--show") == 0) return Show();
  DWORD timeout_ms = 30000;
  int i = 1;
  if (i + 1 < argc && std::strcmp(argv[i], "--timeout-ms") == 0) {
    timeout_ms = std::strtoul(argv[i + 1], nullptr, 10);
    i += 2;
  }
  bool noConsole = i < argc && std::strcmp(argv[i], "--no-console") == 0;
  if (noConsole) ++i;
  const char* command = std::strstr(GetCommandLineA(), " -- ");
  if (i + 1 >= argc || std::strcmp(argv[i], "--") != 0 || command == nullptr) {
    std::fprintf(stderr, "usage: vxstation.exe [--timeout-ms N] [--no-console] -- PROGRAM [ARGS...] | --show\n");
    return kExitFailure;
  }

  char line[32768];
  std::snprintf(line, sizeof line, "%s", command + 4);
  if (noConsole) return RunWithoutConsole(line, argv[i + 1], timeout_ms);

  HWINSTA station = CreateWindowStationA(kStation, 0, WINSTA_ALL_ACCESS, nullptr);
  if (station == nullptr) return Fail("CreateWindowStationA");
  HWINSTA own = GetProcessWindowStation();
  HDESK desktop = nullptr;
  if (SetProcessWindowStation(station)) {
    desktop = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(own);
  }
  if (desktop == nullptr) {
    int status = Fail("CreateDesktopA");
    CloseWindowStation(station);
    return status;
  }

  char desktop_path[] = "vxhidden\\Default";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop_path;
  int status = Run(line, argv[i + 1], 0, &startup, timeout_ms);
  CloseDesktop(desktop);
  CloseWindowStation(station);
  return status;
}
