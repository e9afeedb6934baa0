// The debug switch and the diagnostics it turns on.
//
// The switch is off at the start; the driver turns it on from the command line before anything
// reads it. Diagnostics are single formatted writes to standard error, made only while the
// switch is on.
#pragma once

extern bool g_debugSwitch;

// True when the first command-line argument is "-d" in either case; later arguments and
// anything else in the first position are ignored.
bool IsDebugSwitchArgument(int argc, const char* const* argv);

// Writes one diagnostic to standard error when the debug switch is on. Standard output is
// flushed first, so the adapter list and the diagnostics appear in the order they were made.
void WriteDiagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));
