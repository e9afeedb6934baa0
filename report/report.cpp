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

namespace {

// The length of a path's folder, up to and with its last '\\' or '/'; 0 where it has none.
size_t FolderLength(const char* path, size_t length) {
  while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/') --length;
  return length;
}

}  // namespace

int ReportDirectoryFromModulePath(const char* path, size_t length, char* directory,
                                  size_t size) {
  directory[0] = '\0';
  size_t cut = FolderLength(path, length);
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

namespace {

// A report's path, "<folder>vernix_<model>_<number>.txt", split into the length of its folder
// (with the separator) and the "<model>_<number>" that its temporary names carry.
struct ReportPathParts {
  size_t folderLength;
  const char* stem;
  size_t stemLength;
};

bool SplitReportPath(const char* reportPath, ReportPathParts* parts) {
  size_t length = strlen(reportPath);
  size_t folder = FolderLength(reportPath, length);
  const char* name = reportPath + folder;
  size_t nameLength = length - folder;
  if (nameLength <= 11 || strncmp(name, "vernix_", 7) != 0 ||
      strcmp(name + nameLength - 4, ".txt") != 0) {
    return false;
  }
  *parts = {folder, name + 7, nameLength - 11};
  return true;
}

// Whether text begins with prefix, then the stem, then separator, then count characters that
// are all digits (upper-case hex digits too when hex), and nothing after them.
bool MatchesName(const char* text, const char* prefix, const ReportPathParts& parts,
                 const char* separator, size_t count, bool hex) {
  size_t prefixLength = strlen(prefix);
  size_t separatorLength = strlen(separator);
  if (strlen(text) != prefixLength + parts.stemLength + separatorLength + count ||
      strncmp(text, prefix, prefixLength) != 0 ||
      strncmp(text + prefixLength, parts.stem, parts.stemLength) != 0 ||
      strncmp(text + prefixLength + parts.stemLength, separator, separatorLength) != 0) {
    return false;
  }
  const char* digits = text + prefixLength + parts.stemLength + separatorLength;
  for (size_t i = 0; i < count; ++i) {
    char c = digits[i];
    if (!((c >= '0' && c <= '9') || (hex && c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

}  // namespace

int FormatTemporaryReportPath(char* path, size_t size, const char* reportPath, uint32_t token) {
  ReportPathParts parts;
  if (!SplitReportPath(reportPath, &parts) ||
      FormatText(path, size, "%.*svx%.*s.%08lX", static_cast<int>(parts.folderLength),
                 reportPath, static_cast<int>(parts.stemLength), parts.stem,
                 static_cast<unsigned long>(token)) != 0) {
    path[0] = '\0';
    return -1;
  }
  return 0;
}

int FormatTemporaryReportPattern(char* pattern, size_t size, const char* reportPath) {
  ReportPathParts parts;
  if (!SplitReportPath(reportPath, &parts) ||
      FormatText(pattern, size, "%.*s*%.*s.*", static_cast<int>(parts.folderLength), reportPath,
                 static_cast<int>(parts.stemLength), parts.stem) != 0) {
    pattern[0] = '\0';
    return -1;
  }
  return 0;
}

bool IsLeftoverTemporaryReport(const char* entryName, bool isDirectory, uint64_t writtenAt,
                               uint64_t now, const char* reportPath) {
  ReportPathParts parts;
  if (isDirectory || writtenAt > now || now - writtenAt <= kLeftoverAge ||
      !SplitReportPath(reportPath, &parts)) {
    return false;
  }
  return MatchesName(entryName, "vx", parts, ".", 8, true) ||
         MatchesName(entryName, "vernix_", parts, ".~", 2, false);
}

void FormatWrittenMessage(char* message, size_t size, const char* path) {
  FormatText(message, size, "VERNIX information has been written to \"%s\".\n", path);
}

void FormatUnableMessage(char* message, size_t size, const char* path) {
  FormatText(message, size, "ERROR: Unable to write to \"%s\"\n", path);
}
