// Whether a person can see a run and answer it, over every input that decides it.
#include <gtest/gtest.h>

#include "common/attendance.h"

namespace {

TEST(Attendance, SessionZeroFromVistaOnAndAHiddenStationAreNobodys) {
  constexpr Station V = Station::kVisible, H = Station::kHidden, U = Station::kUnknown;
  struct { Station station; bool known; uint32_t session, major; bool console, seen, answers; }
  cases[] = {
      {V, true, 1, 10, true, true, true},      // a person's own session, at a console
      {V, true, 1, 10, false, true, false},    // seen, but nothing to type into
      {V, true, 0, 6, true, false, false},     // session 0 of Vista: a service, a startup script
      {V, true, 0, 10, true, false, false},
      {V, true, 0, 5, true, true, true},       // session 0 of XP: the console user's
      {V, false, 0, 10, true, true, true},     // session not known: as the station says
      {V, true, 0, 0, true, true, true},       // version not known: as the station says
      {H, true, 1, 10, true, false, false},    // a station nobody sees, in any session
      {H, true, 0, 5, true, false, false},
      {U, true, 1, 10, true, true, true},      // station not known: the question failed
      {U, true, 0, 6, true, false, false},
      {U, false, 0, 0, false, true, false},
  };
  for (const auto& c : cases) {
    Attendance a = DecideAttendance({c.station, c.known, c.session, c.major, c.console});
    EXPECT_EQ(a.seen, c.seen) << "session " << c.session << " on " << c.major;
    EXPECT_EQ(a.answersAtConsole, c.answers) << "session " << c.session << " on " << c.major;
  }
}

}  // namespace
