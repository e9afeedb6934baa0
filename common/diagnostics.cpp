#include "common/diagnostics.h"

#include <cstdarg>
#include <cstdio>

bool g_debugSwitch = false;

bool IsDebugSwitchArgument(int argc, const char* const* argv) {
  if (argc < 2 || argv == nullptr || argv[1] == nullptr) return false;
  const char* first = argv[1];
  return first[0] == '-' && (first[1] == 'd' || first[1] == 'D') && first[2] == '\0';
}

void WriteDiagnostic(const char* format, ...) {
  if (!g_debugSwitch) return;
  fflush(stdout);
  va_list args;
  va_start(args, format);
  vfprintf(stderr, format, args);
  va_end(args);
  fflush(stderr);
}
