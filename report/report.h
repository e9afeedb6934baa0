// The report: its buffer, its line formats, the processor model, and where its file goes.
//
// Plain logic over values, shared by the driver and the attribute section.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kReportSize = 1024;        // report buffer, later the final message
constexpr size_t kReportPathSize = 1024;    // report directory and report file path
constexpr size_t kProcessorModelSize = 5;   // 3 or 4 hex digits and the NUL
constexpr unsigned kTemporaryReportNames = 8;    // temporary names tried in one folder, per run
constexpr uint64_t kLeftoverAge = 36000000000;   // an hour in 100 ns units, as file times count

// "%-21s\t%s\n": the label padded to 21 columns, a tab, the value.
int AppendReportLine(char* report, size_t size, const char* label, const char* value);

// "%-21s\t%.3lX\n": the value in upper-case hex, at least 3 digits.
int AppendReportNumberLine(char* report, size_t size, const char* label, uint32_t value);

// The processor revision word as upper-case hex with at least 3 digits ("%0.3X").
void FormatProcessorModel(uint16_t revision, char model[kProcessorModelSize]);

// The directory part of the executable's path (length characters, as the module-name query
// gave them), with its last '\\' or '/' kept. No separator, or a length of 0, gives the empty
// directory. Returns -1, with the directory empty, when the directory doesn't fit its field.
int ReportDirectoryFromModulePath(const char* path, size_t length, char* directory, size_t size);

// The temporary directory from a TEMP or TMP value of the given length: the value with one '\\'
// appended (also when it ends in one already). Returns -1 when that doesn't fit the field.
int ReportDirectoryFromTempValue(const char* value, size_t length, char* directory, size_t size);

// "%svernix_%s_%s.txt": directory, processor model, machine number.
// Returns -1 when the path doesn't fit; such a path is never opened.
int FormatReportPath(char* path, size_t size, const char* directory, const char* model,
                     const char* machineNumber);

// The name the report is written under before it takes its own, in the same folder: the report's
// path with "vernix_<model>_<number>.txt" made "vx<model>_<number>.<token>", the token a number of
// this run's own in 8 hex digits. As long as the report's path, so it fits wherever that fits.
// Returns -1 (the path empty) for a path that doesn't end in such a report name.
int FormatTemporaryReportPath(char* path, size_t size, const char* reportPath, uint32_t token);

// The search pattern that finds the report's temporary names in its folder, "<folder>*<model>_
// <number>.*": it also finds other names, so each found name is tested on its own. Returns -1
// (the pattern empty) for a path that doesn't end in a report name.
int FormatTemporaryReportPattern(char* pattern, size_t size, const char* reportPath);

// Whether a folder entry is a temporary file of the report at reportPath that a run left behind:
// a file, not a directory, under one of the report's temporary names ("vx<model>_<number>.<8 hex
// digits>", or "vernix_<model>_<number>.~00" to ".~99" as earlier releases named them), last
// written more than an hour before now (file times, 100 ns units). A younger one may be another
// run's, still being written.
bool IsLeftoverTemporaryReport(const char* entryName, bool isDirectory, uint64_t writtenAt,
                               uint64_t now, const char* reportPath);

// The final messages; shortened to the field when the path is very long.
void FormatWrittenMessage(char* message, size_t size, const char* path);
void FormatUnableMessage(char* message, size_t size, const char* path);
