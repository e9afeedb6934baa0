// Whether a person can see a run and answer it: decided once, in one place, from what the
// Windows side asks (the window station, the session, the Windows version, the console input).
#pragma once

#include <cstdint>

// What the process's window station says: seen by a user, seen by nobody (a service's or a
// scheduled task's), or not known (no window stations, or the question failed).
enum class Station { kVisible, kHidden, kUnknown };

struct AttendanceInputs {
  Station station;
  bool sessionKnown;       // false where the session can't be asked
  uint32_t session;        // the process's session, when known
  uint32_t windowsMajor;   // the major Windows version; 0 when not known
  bool consoleInput;       // the process has console input to read keys from
};

struct Attendance {
  bool seen;               // a person can see the run: a message box is read and closed
  bool answersAtConsole;   // a person can type at its console: a prompt or key wait is answered
};

Attendance DecideAttendance(const AttendanceInputs& inputs);
