"""The final message box on a desktop (Xvfb), and the same message without one."""

import os
import subprocess
import unittest

from vxaccept import (ADDRESS_A, CAPTION, TOOL_MS, VXBOX, WAIT_S, WINE, AcceptanceCase,
                      Scenario, Xvfb, decode, machine_number, wine_environment)


class MessageBox(AcceptanceCase):
    def test_the_box_names_the_report_and_the_run_ends_only_when_it_is_closed(self):
        with Xvfb() as display, Scenario([ADDRESS_A], display=display.display) as scenario:
            report = scenario.windows_path(os.path.join(
                scenario.bin, scenario.report_name(machine_number(scenario.address(0)))))
            vernix = scenario.start()
            try:
                watcher = subprocess.Popen(
                    ["ip", "netns", "exec", scenario.namespace, WINE, VXBOX, "--caption",
                     CAPTION, "--hold-ms", "1500",
                     "--timeout-ms", str(TOOL_MS)],
                    env=wine_environment(scenario.prefix, display.display),
                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                shown = [watcher.stdout.readline(), watcher.stdout.readline()]
                # The watcher holds the box open for 1.5 s after reading it: the run waits.
                held_open = vernix.poll() is None
                rest, watcher_err = watcher.communicate(timeout=WAIT_S)
                out, err = vernix.communicate(timeout=WAIT_S)
            finally:
                if vernix.poll() is None:
                    vernix.kill()
            self.assertEqual(watcher.returncode, 0, decode(watcher_err))
            self.assertEqual(decode(b"".join(shown) + rest),
                             "caption: %s\ntext: VERNIX information has been written to \"%s\"."
                             "\n" % (CAPTION, report))
            self.assertTrue(held_open)
            self.assertEqual(vernix.returncode, 0, decode(err))
            # The box was shown: the message is not printed as well.
            self.assertNotIn("VERNIX information", decode(out))


class NoDesktop(AcceptanceCase):
    def test_without_a_display_the_message_goes_to_standard_output(self):
        with Scenario([ADDRESS_A]) as scenario:
            result = scenario.run()
            self.assertEqual(result.status, 0, result)
            report = scenario.windows_path(os.path.join(
                scenario.bin, scenario.report_name(machine_number(scenario.address(0)))))
            self.assertTrue(result.out.endswith(
                'VERNIX information has been written to "%s".\n' % report), result)


if __name__ == "__main__":
    unittest.main()
