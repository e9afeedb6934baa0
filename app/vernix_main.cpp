// VERNIX - System Information Utility: the program's entry point.
//
// One run, top to bottom: refuse platforms other than Windows NT, read the command line and the
// processor model, obtain the machine number, assemble the report, write the report file
// (next to the executable, else in the temporary directory) and announce where it went.

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "adapter/get_cpu_from_ndis.h"
#include "app/report_file.h"
#include "common/console_win.h"
#include "common/diagnostics.h"
#include "common/process_win.h"
#include "machine/machine_attributes.h"
#include "report/report.h"

namespace {

constexpr char kCaption[] = "VERNIX - System Information Utility";

bool IsWindowsNT() {
  OSVERSIONINFOA version;
  ReadWindowsVersion(&version);
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void ReadProcessorModel(char model[kProcessorModelSize]) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  FormatProcessorModel(info.wProcessorRevision, model);
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

  char path[kReportPathSize];
  bool written = WriteReportFile(model, machineNumber, report, path);
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
