"""Runs that nobody sees (a service, a scheduled task, a remote run as SYSTEM): on a window
station without WSF_VISIBLE, with a console and a display present, nothing waits; and a run
that nobody can answer never replaces a stored adapter that is absent."""

import os
import subprocess
import unittest

from vxaccept import (ADDRESS_A, ADDRESS_B, CAPTION, QUARVEL, TOOL_MS, VXBOX, VXSTATION,
                      WINE, AcceptanceCase, Scenario, Xvfb, decode, machine_number)

PROMPT = "\nSelect a card which will always be in your computer [%d] "
# A registered adapter that is not there: a service name without a device. 4 characters, which
# Wine's DefineDosDevice takes in both builds (docs/wine.md).
ABSENT = "VxGo"
ABSENT_ERROR = ('The remembered network card "%s" was not found. Run vernix.exe at a console to '
                'choose a card again.\n\n' % ABSENT)


class UnattendedCase(AcceptanceCase):
    def run_watched(self, scenario, keys="", hidden=True):
        """vernix.exe on a console (the keys typed into it), on the unseen window station or on
        WinSta0, with a box watcher beside it on the same one. Returns the run's result and
        what the watcher read from a box (empty when it saw none)."""
        seen = os.path.join(scenario.root, "box.txt")
        with open(seen, "wb") as out:
            watcher = subprocess.Popen(
                scenario._program([WINE] + ([VXSTATION, "--"] if hidden else []) +
                                  [VXBOX, "--caption", CAPTION, "--timeout-ms", str(TOOL_MS)]),
                env=scenario._env(), stdin=subprocess.DEVNULL, stdout=out,
                stderr=subprocess.DEVNULL)
        try:
            result = scenario.run_with_keys(keys, hidden=hidden)
        finally:
            # A box is read, and the text written, before the watcher closes it: once the run
            # has ended, the file holds all a box could have shown.
            if watcher.poll() is None:
                watcher.kill()
            watcher.wait()
        with open(seen, "rb") as f:
            return result, decode(f.read())

    def cards_in_order(self, scenario):
        cards = scenario.network_cards()
        return [cards[name] for name in cards if name in ("v0", "v1")]

    def report_path(self, scenario, index):
        return scenario.windows_path(os.path.join(
            scenario.bin, scenario.report_name(machine_number(scenario.address(index)))))


class UnseenRun(UnattendedCase):
    def test_ends_by_itself_with_the_report_and_the_message_on_standard_output(self):
        with Xvfb() as display, Scenario([ADDRESS_A, ADDRESS_B],
                                         display=display.display) as scenario:
            services = self.cards_in_order(scenario)
            # Nothing stored: entry 1, as Enter would take it; then the stored entry 2.
            for stored, entry in ((None, 1), (services[1], 2)):
                if stored:
                    scenario.reg("add", QUARVEL, "/v", "ServiceName", "/d", stored, "/f",
                                 "/reg:32")
                result, box = self.run_watched(scenario)
                self.assertEqual(result.status, 0, result)
                self.assertEqual(box, "", "a box on the window station nobody sees")
                self.assertIn(PROMPT % entry + "\n", result.out)
                self.assertTrue(result.out.endswith(
                    'VERNIX information has been written to "%s".\n'
                    % self.report_path(scenario, entry - 1)), result)
                self.assertEqual(scenario.read(scenario.report_name(machine_number(
                    scenario.address(entry - 1)))), scenario.expected_report(number_of=entry - 1))
                self.assertEqual(scenario.stored_service_name(), services[entry - 1])

    def test_without_a_usable_adapter_fails_without_waiting_for_a_key(self):
        with Scenario([]) as scenario:
            result = scenario.run_with_keys("", hidden=True)
            self.assertEqual(result.status, 1, result)
            self.assertEqual(result.err, "No valid network cards found.\n\n")
            self.assertEqual(result.out, "Hit any key to continue ")


class AbsentStoredAdapter(UnattendedCase):
    def test_a_run_nobody_answers_keeps_the_stored_adapter_and_writes_nothing(self):
        with Xvfb() as display, Scenario([ADDRESS_A, ADDRESS_B],
                                         display=display.display) as scenario:
            scenario.add_card("99", ABSENT)
            scenario.reg("add", QUARVEL, "/v", "ServiceName", "/d", ABSENT, "/f", "/reg:32")
            before = scenario.reg("query", QUARVEL, "/reg:32")
            # On the unseen window station (a console and a display present), then without
            # console input.
            for run in (self.run_watched, lambda scenario: (scenario.run(), "")):
                result, box = run(scenario)
                self.assertEqual(result.status, 1, result)
                self.assertEqual(result.err, ABSENT_ERROR)
                self.assertListed(result, scenario, ["v0", "v1"])
                self.assertTrue(result.out.endswith("Hit any key to continue "), result)
                self.assertEqual(box, "")
                self.assertEqual(scenario.reg("query", QUARVEL, "/reg:32"), before)
                self.assertEqual(scenario.files(), ["vernix.exe"])

            # At a console on WinSta0 the user is asked: entry 1 is offered, and the box shows.
            asked, box = self.run_watched(scenario, keys="Enter", hidden=False)
            self.assertEqual(asked.status, 0, asked)
            self.assertIn(PROMPT % 1 + "\r\n", asked.out)
            self.assertRegex(asked.log, r"typed Enter consumed 1\n")
            self.assertEqual(box, "caption: %s\ntext: VERNIX information has been written to "
                                  "\"%s\".\n" % (CAPTION, self.report_path(scenario, 0)))
            self.assertEqual(scenario.stored_service_name(), self.cards_in_order(scenario)[0])


if __name__ == "__main__":
    unittest.main()
