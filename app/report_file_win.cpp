#include "app/report_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "common/bounded_text.h"

namespace {

constexpr int kReportFileMode = 0740;   // owner read, write, execute; group read

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
bool WriteReportAt(const char* path, const char* report) {
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
  return WriteReportAt(path, report);
}

}  // namespace

bool WriteReportFile(const char* model, const char* machineNumber, const char* report,
                     char path[kReportPathSize]) {
  // The bare name until a directory's path fits: the message then names what was meant.
  FormatReportPath(path, kReportPathSize, "", model, machineNumber);
  char directory[kReportPathSize];
  return TryReportDirectory(ReadExecutableDirectory(directory), directory, model, machineNumber,
                            report, path) ||
         TryReportDirectory(ReadTemporaryDirectory(directory), directory, model, machineNumber,
                            report, path);
}
