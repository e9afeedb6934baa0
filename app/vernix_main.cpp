// VERNIX - System Information Utility: the program's entry point.
//
// One run, top to bottom: refuse platforms other than Windows NT, read the command line and the
// processor model, obtain the machine number, assemble the report, write the report file
// (next to the executable, else in the temporary directory) and announce where it went.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "adapter/get_cpu_from_ndis.h"
#include "common/console_win.h"
#include "common/diagnostics.h"
#include "common/process_win.h"
#include "machine/machine_attributes.h"
#include "report/report.h"

namespace {

constexpr char kCaption[] = "VERNIX - System Information Utility";
constexpr int kReportFileMode = 0740;   // owner read, write, execute; group read

bool IsWindowsNT() {
  OSVERSIONINFOA version;
  memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = 148;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&version);
#pragma GCC diagnostic pop
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void ReadProcessorModel(char model[kProcessorModelSize]) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  FormatProcessorModel(info.wProcessorRevision, model);
}

// Creates the report's file under a temporary name beside its path: a name of this run's own,
// made by a create that fails on any name already there (a planted file or link is never
// written through). A name that is taken is passed over for the next; any other failure, or
// every name taken, gives up on the folder. Returns the descriptor, or -1.
int CreateTemporaryReport(const char* path, char temporary[kReportPathSize]) {
  for (unsigned attempt = 0; attempt < kTemporaryReportNames; ++attempt) {
    if (FormatTemporaryReportPath(temporary, kReportPathSize, path, attempt) != 0) return -1;
    int file = _open(temporary, _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, kReportFileMode);
    if (file >= 0 || errno != EEXIST) return file;
  }
  return -1;
}

// The whole report into the file, which is closed on every path. The commit makes a write that
// the system had only accepted, and fails once the data reaches the disk (a share over its
// quota, say), fail here, before the report is announced as written.
bool WriteWhole(int file, const char* report) {
  size_t length = strlen(report);
  bool written = _write(file, report, static_cast<unsigned>(length)) == static_cast<int>(length);
  bool committed = written && _commit(file) == 0;
  bool closed = _close(file) == 0;
  return written && committed && closed;
}

// The report under its path, whole, or nothing of this run in the folder: it is written under a
// temporary name and then takes the report's name, which replaces whatever had it (an earlier
// report, or a link, which is replaced and not followed). Until then an earlier report stays as
// it was; on a failure the temporary file is removed.
bool WriteReportFile(const char* path, const char* report) {
  char temporary[kReportPathSize];
  int file = CreateTemporaryReport(path, temporary);
  if (file < 0) return false;
  if (WriteWhole(file, report) && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING)) {
    return true;
  }
  DeleteFileA(temporary);
  return false;
}

// The executable's directory; -1 when it isn't known whole (no shortened path is ever used).
int ReadExecutableDirectory(char directory[kReportPathSize]) {
  char modulePath[kReportPathSize];
  DWORD length = GetModuleFileNameA(nullptr, modulePath, kReportPathSize);
  directory[0] = '\0';
  if (length >= kReportPathSize) return -1;
  return ReportDirectoryFromModulePath(modulePath, length, directory, kReportPathSize);
}

// The temporary directory from TEMP, or TMP when TEMP is absent or empty; the empty directory
// when neither is set. -1 when the value doesn't fit.
int ReadTemporaryDirectory(char directory[kReportPathSize]) {
  char value[kReportPathSize];
  DWORD length = GetEnvironmentVariableA("TEMP", value, kReportPathSize);
  if (length == 0) length = GetEnvironmentVariableA("TMP", value, kReportPathSize);
  directory[0] = '\0';
  if (length == 0) return 0;
  if (length >= kReportPathSize) return -1;
  return ReportDirectoryFromTempValue(value, length, directory, kReportPathSize);
}

// One attempt: the path in the directory, if it fits, and the report written there.
// *path keeps the last path that was tried.
bool TryReportDirectory(int directoryResult, const char* directory, const char* model,
                        const char* machineNumber, const char* report,
                        char path[kReportPathSize]) {
  char attempt[kReportPathSize];
  if (directoryResult != 0 ||
      FormatReportPath(attempt, kReportPathSize, directory, model, machineNumber) != 0) {
    return false;
  }
  strcpy(path, attempt);
  return WriteReportFile(path, report);
}

void ShowFinalMessage(const char* message) {
  // Without a desktop the box can't appear, and on one that nobody sees it would wait for a
  // click forever: the message goes to standard output, where the report's reader finds it.
  int shown = IsRunSeenByUser() ? MessageBoxA(nullptr, message, kCaption, MB_SETFOREGROUND) : 0;
  if (shown <= 0) {
    printf("%s", message);
    fflush(stdout);
  }
}

int FailMachineNumber(const char* errorText) {
  fflush(stdout);   // what was listed comes before the error
  fprintf(stderr, "%s\n", errorText);
  fflush(stderr);
  printf("Hit any key to continue ");
  fflush(stdout);
  WaitForKey();   // the key stays unread; when nobody can answer there is nothing to wait for
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareProcess();   // before anything can raise a box or load a DLL

  // Unbuffered, the runtime writes every character of a line on its own. The output is
  // flushed wherever the user must see it: before a prompt or diagnostic, and at each message.
  static char outputBuffer[4096];
  setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

  if (!IsWindowsNT()) {
    fprintf(stderr, "Not supported on Win98/95/Me\n");
    return 1;
  }
  if (IsDebugSwitchArgument(argc, argv)) g_debugSwitch = true;

  char model[kProcessorModelSize];
  ReadProcessorModel(model);

  char machineNumber[kMachineNumberSize] = {};
  char errorText[kErrorTextSize] = {};
  if (GetCPUFromNDIS(machineNumber, errorText) != 0) return FailMachineNumber(errorText);

  char report[kReportSize] = {};
  AppendReportLine(report, kReportSize, "Model:", model);
  AppendReportLine(report, kReportSize, "CPU:", machineNumber);
  AppendAttributeLines(report, machineNumber);

  char directory[kReportPathSize];
  char path[kReportPathSize];
  snprintf(path, kReportPathSize, "vernix_%s_%s.txt", model, machineNumber);
  bool written = TryReportDirectory(ReadExecutableDirectory(directory), directory, model,
                                    machineNumber, report, path) ||
                 TryReportDirectory(ReadTemporaryDirectory(directory), directory, model,
                                    machineNumber, report, path);
  if (!written) {
    printf("\n%s\n", report);
    fflush(stdout);
  }

  // The report is no longer needed: its buffer takes the final message.
  if (written) {
    FormatWrittenMessage(report, kReportSize, path);
  } else {
    FormatUnableMessage(report, kReportSize, path);
  }
  ShowFinalMessage(report);
  return 0;
}
