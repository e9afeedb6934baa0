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

TEST(TemporaryReportPath, IsTheReportPathWithItsOwnExtensionAndFitsWhereThatFits) {
  char path[kReportPathSize];
  ASSERT_EQ(FormatTemporaryReportPath(path, sizeof path, "C:\\dir\\vernix_F07_29ABCDEF.txt", 7),
            0);
  EXPECT_STREQ(path, "C:\\dir\\vernix_F07_29ABCDEF.~07");
  EXPECT_EQ(FormatTemporaryReportPath(path, sizeof path, "vernix_F07_29ABCDEF.txt", 100), -1);
  EXPECT_STREQ(path, "");
  EXPECT_EQ(FormatTemporaryReportPath(path, sizeof path, "txt", 0), -1);   // no ".txt" to take
  std::string longest = std::string(kReportPathSize - 5, 'd') + ".txt";
  EXPECT_EQ(FormatTemporaryReportPath(path, sizeof path, longest.c_str(), 99), 0);
  EXPECT_EQ(strlen(path), longest.size());
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
