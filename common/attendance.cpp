#include "common/attendance.h"

Attendance DecideAttendance(const AttendanceInputs& inputs) {
  // From Windows Vista (6.0) on, session 0 holds services, startup scripts and remote runs as
  // SYSTEM, and no person's desktop: nobody sees or types there, even on a window station that
  // says it is visible (its WinSta0 does). Before Vista, session 0 is the console user's own.
  bool serviceSession = inputs.sessionKnown && inputs.session == 0 && inputs.windowsMajor >= 6;
  // What can't be asked counts as seen: the run then asks and waits as it always did. A hidden
  // console window is no sign either way (a terminal's pseudoconsole has one), so it is no input.
  bool seen = inputs.station != Station::kHidden && !serviceSession;
  return {seen, seen && inputs.consoleInput};
}
