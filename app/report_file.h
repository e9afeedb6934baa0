// The report file: the report written whole under its name, next to the executable, else in
// the folder named by TEMP or TMP.
#pragma once

#include "report/report.h"

// Writes the report to "vernix_<model>_<number>.txt" next to the executable, else in the folder
// named by TEMP, or TMP when TEMP is absent or empty (with neither, the current folder). Each
// folder gets the report whole or keeps what it held: the report is written under a temporary
// name of this run's own, created exclusively, committed, and then moved over the report's name
// (a planted file or link is replaced, never written through). This report's temporary files
// that earlier runs left there more than an hour ago are removed first.
// Returns true when written; path has the path written to, else the last one tried.
bool WriteReportFile(const char* model, const char* machineNumber, const char* report,
                     char path[kReportPathSize]);
