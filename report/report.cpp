#include "report/report.h"

#include <cstring>

#include "common/bounded_text.h"

int AppendReportLine(char* report, size_t size, const char* label, const char* value) {
  return AppendText(report, size, "%-21s\t%s\n", label, value);
}

int AppendReportNumberLine(char* report, size_t size, const char* label, uint32_t value) {
  return AppendText(report, size, "%-21s\t%.3lX\n", label, static_cast<unsigned long>(value));
}

void FormatProcessorModel(uint16_t revision, char model[kProcessorModelSize]) {
  memset(model, 0, kProcessorModelSize);
  FormatText(model, kProcessorModelSize, "%.3X", static_cast<unsigned>(revision));
}

int ReportDirectoryFromModulePath(const char* path, size_t length, char* directory,
                                  size_t size) {
  directory[0] = '\0';
  size_t cut = length;
  while (cut > 0 && path[cut - 1] != '\\' && path[cut - 1] != '/') --cut;
  if (cut == 0) return 0;
  if (cut >= size) return -1;
  memcpy(directory, path, cut);
  directory[cut] = '\0';
  return 0;
}

int ReportDirectoryFromTempValue(const char* value, size_t length, char* directory,
                                 size_t size) {
  directory[0] = '\0';
  if (length + 1 >= size) return -1;
  memcpy(directory, value, length);
  directory[length] = '\\';
  directory[length + 1] = '\0';
  return 0;
}

int FormatReportPath(char* path, size_t size, const char* directory, const char* model,
                     const char* machineNumber) {
  if (FormatText(path, size, "%svernix_%s_%s.txt", directory, model, machineNumber) != 0) {
    path[0] = '\0';
    return -1;
  }
  return 0;
}

int FormatTemporaryReportPath(char* path, size_t size, const char* reportPath, unsigned attempt) {
  size_t length = strlen(reportPath);
  const char* extension = length >= 4 ? reportPath + length - 4 : "";
  if (attempt > 99 || strcmp(extension, ".txt") != 0 ||
      FormatText(path, size, "%.*s.~%02u", static_cast<int>(length - 4), reportPath,
                 attempt) != 0) {
    path[0] = '\0';
    return -1;
  }
  return 0;
}

void FormatWrittenMessage(char* message, size_t size, const char* path) {
  FormatText(message, size, "VERNIX information has been written to \"%s\".\n", path);
}

void FormatUnableMessage(char* message, size_t size, const char* path) {
  FormatText(message, size, "ERROR: Unable to write to \"%s\"\n", path);
}
