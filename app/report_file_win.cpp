#include "app/report_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "common/bounded_text.h"
#include "common/win_resources.h"

namespace {

constexpr int kReportFileMode = 0740;        // owner read, write, execute; group read
constexpr unsigned kFolderEntriesRead = 256;  // bounds the search for leftovers

uint64_t FileTimeValue(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Creates a file under a temporary name of the report's, made by a create that fails on any
// name already there (a planted file or link is never written through). The names come from
// this process's id, so no number of other runs' leftovers can use them up; a name that is
// taken (by a planted file, or an earlier process that had the same id) is passed over for
// another of this run's, out of the range of process ids. Returns the descriptor, or -1.
int CreateTemporaryFile(const char* reportPath, char temporary[kReportPathSize]) {
  DWORD processId = GetCurrentProcessId();
  for (uint32_t attempt = 0; attempt < kTemporaryReportNames; ++attempt) {
    if (FormatTemporaryReportPath(temporary, kReportPathSize, reportPath,
                                  processId ^ (attempt << 24)) != 0) {
      return -1;
    }
    int file = _open(temporary, _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, kReportFileMode);
    if (file >= 0 || errno != EEXIST) return file;
  }
  return -1;
}

// A leftover's name is first taken over by an empty file of this run's own, which is then
// deleted: a replacing move replaces a link and never follows it, where a delete of a link
// under Wine 8 deletes its target (docs/wine.md). On Windows either way removes the link alone.
void RemoveLeftover(const char* leftover, const char* reportPath) {
  char own[kReportPathSize];
  int file = CreateTemporaryFile(reportPath, own);
  if (file < 0) return;
  _close(file);
  if (MoveFileExA(own, leftover, MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(leftover);
  } else {
    DeleteFileA(own);
  }
}

// Removes the report's temporary files that runs ended between create and move (killed, or
// the machine turned off) left in its folder more than an hour ago.
void RemoveLeftovers(const char* reportPath) {
  char folder[kReportPathSize];
  char pattern[kReportPathSize];
  if (ReportDirectoryFromModulePath(reportPath, strlen(reportPath), folder, kReportPathSize) != 0 ||
      FormatTemporaryReportPattern(pattern, kReportPathSize, reportPath) != 0) {
    return;
  }
  WIN32_FIND_DATAA entry;
  UniqueFind find(FindFirstFileA(pattern, &entry));
  if (!find.IsValid()) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  unsigned read = 0;
  do {
    bool directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    char leftover[kReportPathSize];
    if (IsLeftoverTemporaryReport(entry.cFileName, directory,
                                  FileTimeValue(entry.ftLastWriteTime), FileTimeValue(now),
                                  reportPath) &&
        FormatText(leftover, kReportPathSize, "%s%s", folder, entry.cFileName) == 0) {
      RemoveLeftover(leftover, reportPath);
    }
  } while (++read < kFolderEntriesRead && FindNextFileA(find.Get(), &entry));
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
// it was; on a failure the temporary file is removed. The move is written through: once the run
// says the report is there, it is there after a power cut too.
bool WriteReportAt(const char* path, const char* report) {
  RemoveLeftovers(path);
  char temporary[kReportPathSize];
  int file = CreateTemporaryFile(path, temporary);
  if (file < 0) return false;
  if (WriteWhole(file, report) &&
      MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
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
