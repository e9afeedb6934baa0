// bench_runner.exe: times command lines from inside Windows.
//
//   bench_runner.exe [--rounds R] [--timeout-ms T] [--console detached|nowindow|inherit]
//                    [--raw] -- "command line 1" "command line 2" ...
//
// One warm-up round (not counted), then R rounds; each round starts every command line once,
// in the order given, one after another. Each run is a CreateProcess with all three standard
// streams on NUL, timed with QueryPerformanceCounter from just before CreateProcess until the
// process has exited. By default the child gets no console at all (DETACHED_PROCESS), so a
// program that would wait for a key when it has console input takes its default instead.
//
// Printed per command line: the median run time in ms over the rounds, the median over rounds
// of its per-round ratio to command line 1, the fastest and slowest run, and its exit status
// (the same in every run, or "mixed"). With --raw, every counted run follows as a line
// "raw ROUND PROGRAM MS" (both numbered from 1), for a caller that pools several batches.
// Exit status 0 when every run of every command line
// exited with 0; 1 when one didn't or timed out; 2 for a usage error.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Program {
  const char* commandLine;
  std::vector<double> milliseconds;   // one per counted round
  std::vector<double> ratios;         // to the first program, one per counted round
  DWORD firstExit = 0;
  bool mixedExit = false;
  bool timedOut = false;
  bool startFailed = false;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2.0;
}

int Usage() {
  fprintf(stderr,
          "usage: bench_runner.exe [--rounds R] [--timeout-ms T] "
          "[--console detached|nowindow|inherit] [--raw] -- \"command line\" ...\n");
  return 2;
}

// Starts one command line and waits for it. Returns the elapsed ms, or a negative value when
// it couldn't be started (-1) or didn't end within the timeout (-2, the process is ended).
double RunOnce(const char* commandLine, HANDLE nul, DWORD creationFlags, DWORD timeoutMs,
               double ticksPerMs, DWORD* exitCode) {
  std::vector<char> line(commandLine, commandLine + strlen(commandLine) + 1);
  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nul;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION process;
  memset(&process, 0, sizeof process);

  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, creationFlags, nullptr,
                      nullptr, &startup, &process)) {
    fprintf(stderr, "bench_runner: CreateProcess failed (error %lu) for %s\n",
            static_cast<unsigned long>(GetLastError()), commandLine);
    return -1.0;
  }
  DWORD waited = WaitForSingleObject(process.hProcess, timeoutMs);
  QueryPerformanceCounter(&end);
  double elapsed = static_cast<double>(end.QuadPart - start.QuadPart) / ticksPerMs;
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 255);
    WaitForSingleObject(process.hProcess, 5000);
    elapsed = -2.0;
  }
  *exitCode = 0;
  GetExitCodeProcess(process.hProcess, exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 20;
  DWORD timeoutMs = 30000;
  DWORD creationFlags = DETACHED_PROCESS;
  const char* consoleName = "detached";
  bool raw = false;
  int first = argc;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--") == 0) {
      first = i + 1;
      break;
    }
    if (strcmp(argv[i], "--raw") == 0) {
      raw = true;
      continue;
    }
    if (i + 1 >= argc) return Usage();
    if (strcmp(argv[i], "--rounds") == 0) {
      rounds = atoi(argv[++i]);
    } else if (strcmp(argv[i], "--timeout-ms") == 0) {
      timeoutMs = static_cast<DWORD>(strtoul(argv[++i], nullptr, 10));
    } else if (strcmp(argv[i], "--console") == 0) {
      consoleName = argv[++i];
      if (strcmp(consoleName, "detached") == 0) {
        creationFlags = DETACHED_PROCESS;
      } else if (strcmp(consoleName, "nowindow") == 0) {
        creationFlags = CREATE_NO_WINDOW;
      } else if (strcmp(consoleName, "inherit") == 0) {
        creationFlags = 0;
      } else {
        return Usage();
      }
    } else {
      return Usage();
    }
  }
  if (rounds < 1 || first >= argc) return Usage();

  std::vector<Program> programs;
  for (int i = first; i < argc; ++i) {
    Program program;
    program.commandLine = argv[i];
    programs.push_back(program);
  }

  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inheritable, OPEN_EXISTING, 0, nullptr);
  if (nul == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "bench_runner: can't open NUL (error %lu)\n",
            static_cast<unsigned long>(GetLastError()));
    return 1;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double ticksPerMs = static_cast<double>(frequency.QuadPart) / 1000.0;

  bool failed = false;
  std::vector<double> round(programs.size());
  for (int r = 0; r <= rounds && !failed; ++r) {   // round 0 is the warm-up
    for (size_t p = 0; p < programs.size(); ++p) {
      Program& program = programs[p];
      DWORD exitCode = 0;
      round[p] = RunOnce(program.commandLine, nul, creationFlags, timeoutMs, ticksPerMs,
                         &exitCode);
      if (round[p] < 0) {
        program.startFailed = round[p] == -1.0;
        program.timedOut = round[p] == -2.0;
        if (program.timedOut) {
          fprintf(stderr, "bench_runner: no exit within %lu ms, ended: %s\n",
                  static_cast<unsigned long>(timeoutMs), program.commandLine);
        }
        failed = true;
        break;
      }
      if (r == 0) program.firstExit = exitCode;
      if (exitCode != program.firstExit) program.mixedExit = true;
      if (exitCode != 0) failed = true;
    }
    if (failed || r == 0) continue;
    for (size_t p = 0; p < programs.size(); ++p) {
      programs[p].milliseconds.push_back(round[p]);
      programs[p].ratios.push_back(round[p] / round[0]);
    }
  }
  CloseHandle(nul);

  printf("bench_runner: %d rounds after 1 warm-up round, console: %s; "
         "each run timed from CreateProcess to exit\n",
         rounds, consoleName);
  printf("%3s %10s %12s %9s %9s %6s  %s\n", "#", "median ms", "ratio to #1", "min ms", "max ms",
         "exit", "command line");
  for (size_t p = 0; p < programs.size(); ++p) {
    const Program& program = programs[p];
    char exitText[16];
    if (program.startFailed) {
      strcpy(exitText, "start");
    } else if (program.timedOut) {
      strcpy(exitText, "hung");
    } else if (program.mixedExit) {
      strcpy(exitText, "mixed");
    } else {
      snprintf(exitText, sizeof exitText, "%lu", static_cast<unsigned long>(program.firstExit));
    }
    double low = 0.0;
    double high = 0.0;
    if (!program.milliseconds.empty()) {
      low = *std::min_element(program.milliseconds.begin(), program.milliseconds.end());
      high = *std::max_element(program.milliseconds.begin(), program.milliseconds.end());
    }
    printf("%3zu %10.2f %12.3f %9.2f %9.2f %6s  %s\n", p + 1, Median(program.milliseconds),
           Median(program.ratios), low, high, exitText, program.commandLine);
  }
  if (raw) {
    for (size_t r = 0; r < programs[0].milliseconds.size(); ++r) {
      for (size_t p = 0; p < programs.size(); ++p) {
        printf("raw %zu %zu %.3f\n", r + 1, p + 1, programs[p].milliseconds[r]);
      }
    }
  }
  fflush(stdout);
  return failed ? 1 : 0;
}
