// The report's line formats, processor model, file paths and final messages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/diagnostics.h"
#include "report/report.h"

namespace {

TEST(ReportLine, LabelIsPaddedTo21ColumnsThenTab) {
  char report[kReportSize] = {};
  ASSERT_EQ(AppendReportLine(report, sizeof report, "Model:", "F07"), 0);
  ASSERT_EQ(AppendReportLine(report, sizeof report, "Ethernet Address:", ""), 0);
  ASSERT_EQ(AppendReportLine(report, sizeof report, "CPU:", "29ABCDEF"), 0);
  std::string expected = "Model:" + std::string(15, ' ') + "\tF07\n" +
                         "Ethernet Address:    \t\n" +
                         "CPU:" + std::string(17, ' ') + "\t29ABCDEF\n";
  EXPECT_EQ(std::string(report), expected);
}

TEST(ReportLine, NumberFormIsUpperHexWithAtLeastThreeDigits) {
  struct { uint32_t value; const char* digits; } cases[] = {
      {0x29ABCDEF, "29ABCDEF"}, {0x00ABCDEF, "ABCDEF"}, {0x12F, "12F"},
      {0x1, "001"},             {0x0, "000"},           {0xFFFFFFFF, "FFFFFFFF"},
  };
  for (const auto& c : cases) {
    char report[kReportSize] = {};
    ASSERT_EQ(AppendReportNumberLine(report, sizeof report, "Custom:", c.value), 0);
    EXPECT_EQ(std::string(report), "Custom:" + std::string(14, ' ') + "\t" + c.digits + "\n");
  }
}

TEST(ReportLine, AFullReportIsNeverWrittenPast) {
  char report[64 + 8];
  memset(report, 'X', sizeof report);
  report[0] = '\0';
  int result = 0;
  for (int i = 0; i < 10 && result == 0; ++i) {
    result = AppendReportLine(report, 64, "CPU:", "29ABCDEF");
  }
  EXPECT_EQ(result, -1);
  EXPECT_EQ(strlen(report), 63u);
  for (size_t i = 64; i < sizeof report; ++i) EXPECT_EQ(report[i], 'X') << "byte " << i;
}

TEST(BoundedText, AppendToAFieldWithoutTerminatorFailsAndTerminatesIt) {
  char field[8];
  memset(field, 'A', sizeof field);
  EXPECT_EQ(AppendText(field, sizeof field, "%s", "B"), -1);
  EXPECT_EQ(field[7], '\0');
  EXPECT_EQ(CopyText(field, sizeof field, "1234567"), 0);
  EXPECT_STREQ(field, "1234567");
  EXPECT_EQ(CopyText(field, sizeof field, "12345678"), -1);
  EXPECT_STREQ(field, "1234567");
}

TEST(ProcessorModel, RevisionWordGivesThreeOrFourHexDigits) {
  struct { uint16_t revision; const char* model; } cases[] = {
      {0x0F0B, "F0B"}, {0x1E05, "1E05"}, {0x0005, "005"},
      {0xCF02, "CF02"}, {0x0000, "000"}, {0xFFFF, "FFFF"},
  };
  for (const auto& c : cases) {
    char model[kProcessorModelSize];
    memset(model, 'X', sizeof model);
    FormatProcessorModel(c.revision, model);
    EXPECT_STREQ(model, c.model);
  }
}

TEST(ReportDirectory, IsTheModulePathUpToItsLastSeparator) {
  struct { const char* path; const char* directory; } cases[] = {
      {"C:\\Program Files\\vernix\\vernix.exe", "C:\\Program Files\\vernix\\"},
      {"Z:\\work/build/vernix.exe", "Z:\\work/build/"},
      {"C:\\a/b\\vernix.exe", "C:\\a/b\\"},
      {"\\\\server\\share\\vernix.exe", "\\\\server\\share\\"},
      {"vernix.exe", ""},
      {"C:\\", "C:\\"},
  };
  for (const auto& c : cases) {
    char directory[kReportPathSize];
    ASSERT_EQ(ReportDirectoryFromModulePath(c.path, strlen(c.path), directory, sizeof directory),
              0);
    EXPECT_STREQ(directory, c.directory) << c.path;
  }
  char directory[kReportPathSize] = "stale";
  EXPECT_EQ(ReportDirectoryFromModulePath("C:\\x\\v.exe", 0, directory, sizeof directory), 0);
  EXPECT_STREQ(directory, "");
}

TEST(ReportDirectory, ADirectoryThatDoesNotFitIsRefused) {
  std::string path = std::string(20, 'd') + "\\vernix.exe";
  char directory[21];
  EXPECT_EQ(ReportDirectoryFromModulePath(path.c_str(), path.size(), directory, sizeof directory),
            -1);
  EXPECT_STREQ(directory, "");
  char roomy[22];
  EXPECT_EQ(ReportDirectoryFromModulePath(path.c_str(), path.size(), roomy, sizeof roomy), 0);
  EXPECT_EQ(std::string(roomy), std::string(20, 'd') + "\\");
}

TEST(TempDirectory, OneBackslashIsAppendedEvenAfterOne) {
  char directory[kReportPathSize];
  ASSERT_EQ(ReportDirectoryFromTempValue("C:\\Temp", 7, directory, sizeof directory), 0);
  EXPECT_STREQ(directory, "C:\\Temp\\");
  ASSERT_EQ(ReportDirectoryFromTempValue("Z:\\tmp\\", 7, directory, sizeof directory), 0);
  EXPECT_STREQ(directory, "Z:\\tmp\\\\");
  char path[kReportPathSize];
  ASSERT_EQ(FormatReportPath(path, sizeof path, directory, "CF02", "29ABCDEF"), 0);
  EXPECT_STREQ(path, "Z:\\tmp\\\\vernix_CF02_29ABCDEF.txt");
}

TEST(TempDirectory, AValueWithoutRoomForTheBackslashIsRefused) {
  std::string value(kReportPathSize - 2, 't');
  char directory[kReportPathSize];
  ASSERT_EQ(ReportDirectoryFromTempValue(value.c_str(), value.size(), directory, sizeof directory),
            0);
  EXPECT_EQ(strlen(directory), kReportPathSize - 1);
  value += 't';
  EXPECT_EQ(ReportDirectoryFromTempValue(value.c_str(), value.size(), directory, sizeof directory),
            -1);
  EXPECT_STREQ(directory, "");
}

TEST(ReportPath, NamesModelAndMachineNumberOrIsRefusedWhole) {
  char path[kReportPathSize];
  ASSERT_EQ(FormatReportPath(path, sizeof path, "", "F07", "29ABCDEF"), 0);
  EXPECT_STREQ(path, "vernix_F07_29ABCDEF.txt");
  ASSERT_EQ(FormatReportPath(path, sizeof path, "C:\\dir\\", "005", "00000001"), 0);
  EXPECT_STREQ(path, "C:\\dir\\vernix_005_00000001.txt");

  std::string directory(kReportPathSize - 23, 'd');   // the file name adds 23 characters
  EXPECT_EQ(FormatReportPath(path, sizeof path, directory.c_str(), "F07", "29ABCDEF"), -1);
  EXPECT_STREQ(path, "");
  directory.pop_back();
  EXPECT_EQ(FormatReportPath(path, sizeof path, directory.c_str(), "F07", "29ABCDEF"), 0);
  EXPECT_EQ(strlen(path), kReportPathSize - 1);
}

TEST(TemporaryReportPath, CarriesModelNumberAndTokenAndFitsWhereTheReportPathFits) {
  struct { const char* report; uint32_t token; const char* temporary; } cases[] = {
      {"C:\\dir\\vernix_F07_29ABCDEF.txt", 0x2C, "C:\\dir\\vxF07_29ABCDEF.0000002C"},
      {"Z:\\a/vernix_CF02_29ABCDEF.txt", 0xFFFFFFFF, "Z:\\a/vxCF02_29ABCDEF.FFFFFFFF"},
      {"vernix_F07_29ABCDEF.txt", 0x1000024, "vxF07_29ABCDEF.01000024"},
      {"C:\\dir\\report.txt", 1, ""},        // not a report's name: no temporary name
      {"C:\\dir\\vernix_F07_29ABCDEF.~00", 1, ""},
  };
  for (const auto& c : cases) {
    char path[kReportPathSize];
    EXPECT_EQ(FormatTemporaryReportPath(path, sizeof path, c.report, c.token),
              c.temporary[0] ? 0 : -1) << c.report;
    EXPECT_STREQ(path, c.temporary);
    if (c.temporary[0]) {
      EXPECT_EQ(strlen(path), strlen(c.report));
    }
  }
  std::string longest = std::string(kReportPathSize - 25, 'd') + "\\vernix_F07_29ABCDEF.txt";
  char path[kReportPathSize];
  ASSERT_EQ(FormatTemporaryReportPath(path, sizeof path, longest.c_str(), 7), 0);
  EXPECT_EQ(strlen(path), kReportPathSize - 1);
  ASSERT_EQ(FormatTemporaryReportPattern(path, sizeof path, "C:\\d\\vernix_F07_29ABCDEF.txt"), 0);
  EXPECT_STREQ(path, "C:\\d\\*F07_29ABCDEF.*");
}

TEST(TemporaryReportPath, LeftoversAreThisReportsFilesOlderThanAnHour) {
  const char* report = "C:\\dir\\vernix_CF02_29ABCDEF.txt";
  const uint64_t now = 133000000000000000, hour = 36000000000;
  struct { const char* name; bool directory; uint64_t age; bool leftover; } cases[] = {
      {"vxCF02_29ABCDEF.0000002C", false, 2 * hour, true},
      {"vernix_CF02_29ABCDEF.~00", false, 2 * hour, true},   // as earlier releases named them
      {"vernix_CF02_29ABCDEF.~99", false, hour + 1, true},
      {"vxCF02_29ABCDEF.0000002C", false, hour, false},      // another run's, maybe still writing
      {"vxCF02_29ABCDEF.0000002C", true, 2 * hour, false},   // a directory
      {"vernix_CF02_29ABCDEF.txt", false, 2 * hour, false},  // the report itself
      {"vxF07_29ABCDEF.0000002C", false, 2 * hour, false},   // another model's
      {"vxCF02_29ABCDEE.0000002C", false, 2 * hour, false},  // another machine number's
      {"vxCF02_29ABCDEF.0000002c", false, 2 * hour, false},
      {"vxCF02_29ABCDEF.0000002", false, 2 * hour, false},
      {"vxCF02_29ABCDEF.0000002C0", false, 2 * hour, false},
      {"vernix_CF02_29ABCDEF.~0A", false, 2 * hour, false},
      {"vernix_CF02_29ABCDEF.~100", false, 2 * hour, false},
      {"VXCF02_29ABCDEF.0000002C.lnk", false, 2 * hour, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsLeftoverTemporaryReport(c.name, c.directory, now - c.age, now, report),
              c.leftover) << c.name << " " << c.age;
  }
  // Written after now (a clock set back): not known to be old.
  EXPECT_FALSE(IsLeftoverTemporaryReport("vxCF02_29ABCDEF.0000002C", false, now + 1, now, report));
}

TEST(FinalMessage, NamesThePathAndIsShortenedWhenTooLong) {
  char message[kReportSize];
  FormatWrittenMessage(message, sizeof message, "C:\\dir\\vernix_F07_29ABCDEF.txt");
  EXPECT_STREQ(message,
               "VERNIX information has been written to \"C:\\dir\\vernix_F07_29ABCDEF.txt\".\n");
  FormatUnableMessage(message, sizeof message, "vernix_F07_29ABCDEF.txt");
  EXPECT_STREQ(message, "ERROR: Unable to write to \"vernix_F07_29ABCDEF.txt\"\n");

  std::string longPath(kReportPathSize - 1, 'p');
  char guarded[kReportSize + 4];
  memset(guarded, 'X', sizeof guarded);
  FormatWrittenMessage(guarded, kReportSize, longPath.c_str());
  EXPECT_EQ(strlen(guarded), kReportSize - 1);
  EXPECT_EQ(std::string(guarded, 40), "VERNIX information has been written to \"");
  EXPECT_EQ(guarded[kReportSize], 'X');
}

TEST(DebugSwitch, OnlyTheFirstArgumentInEitherCase) {
  struct { std::vector<const char*> argv; bool on; } cases[] = {
      {{"vernix.exe", "-d"}, true},        {{"vernix.exe", "-D"}, true},
      {{"vernix.exe", "-d", "x"}, true},   {{"vernix.exe", "x", "-d"}, false},
      {{"vernix.exe", "-dx"}, false},      {{"vernix.exe", "-"}, false},
      {{"vernix.exe", "d"}, false},        {{"vernix.exe", "/d"}, false},
      {{"vernix.exe"}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDebugSwitchArgument(static_cast<int>(c.argv.size()), c.argv.data()), c.on)
        << (c.argv.size() > 1 ? c.argv[1] : "(none)");
  }
}

}  // namespace
