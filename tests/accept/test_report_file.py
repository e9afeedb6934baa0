"""The report file: next to the executable, else in TEMP or TMP, else on standard output."""

import os
import unittest

from vxaccept import ADDRESS_A, AcceptanceCase, Scenario, machine_number


def expected_report(scenario):
    return scenario.expected_report()


class ReportFile(AcceptanceCase):
    def setUp(self):
        self.scenario = Scenario([ADDRESS_A]).__enter__()
        self.addCleanup(self.scenario.__exit__, None, None, None)
        self.name = self.scenario.report_name(machine_number(self.scenario.address(0)))
        self.temp = os.path.join(self.scenario.root, "temp")
        os.makedirs(self.temp)

    def win(self, path):
        return self.scenario.windows_path(path)

    def run_with(self, temp=None, tmp=None, cwd=None):
        """vernix.exe with TEMP and TMP set (None: unset) by a Windows parent."""
        command = "set TEMP=%s&& set TMP=%s&& " % (temp or "", tmp or "")
        if cwd:
            command = "cd /d %s && %s" % (self.win(cwd), command)
        return self.scenario.run_in_cmd(command + self.win(self.scenario.vernix))

    def block_file(self, folder):
        """The executable's folder can't take the report: a directory has its name already."""
        os.makedirs(os.path.join(folder, self.name))

    def full_device(self, folder):
        """Opens fine, but every write fails as on a full disk."""
        os.symlink("/dev/full", os.path.join(folder, self.name))

    def test_written_next_to_the_executable_with_crlf_and_nothing_stale(self):
        with open(os.path.join(self.scenario.bin, self.name), "wb") as old:
            old.write(b"X" * 3000)
        result = self.scenario.run()
        self.assertEqual(result.status, 0, result)
        self.assertEqual(self.scenario.read(self.name), expected_report(self.scenario))
        self.assertEqual(result.out.splitlines()[-1],
                         'VERNIX information has been written to "%s".'
                         % self.win(os.path.join(self.scenario.bin, self.name)))

    def test_temp_is_used_when_the_executable_folder_cannot_take_it(self):
        self.block_file(self.scenario.bin)
        # TEMP ends in a backslash already: one more is appended all the same.
        result = self.run_with(temp=self.win(self.temp) + "\\", tmp=self.win("/nonexistent"))
        self.assertEqual(result.status, 0, result)
        self.assertEqual(self.scenario.read(self.name, self.temp), expected_report(self.scenario))
        self.assertIn('VERNIX information has been written to "%s\\\\%s".\n'
                      % (self.win(self.temp), self.name), result.out)

    def test_tmp_is_used_when_temp_is_unset(self):
        self.block_file(self.scenario.bin)
        result = self.run_with(temp=None, tmp=self.win(self.temp))
        self.assertEqual(result.status, 0, result)
        self.assertEqual(self.scenario.read(self.name, self.temp), expected_report(self.scenario))
        self.assertIn('VERNIX information has been written to "%s\\%s".\n'
                      % (self.win(self.temp), self.name), result.out)

    def test_without_temp_and_tmp_the_current_folder_is_used(self):
        self.block_file(self.scenario.bin)
        result = self.run_with(cwd=self.temp)
        self.assertEqual(result.status, 0, result)
        self.assertEqual(self.scenario.read(self.name, self.temp), expected_report(self.scenario))
        self.assertIn('VERNIX information has been written to "%s".\n' % self.name, result.out)

    def test_when_both_attempts_fail_the_report_goes_to_standard_output(self):
        self.block_file(self.scenario.bin)
        self.block_file(self.temp)
        result = self.run_with(temp=self.win(self.temp))
        self.assertEqual(result.status, 0, result)
        report = expected_report(self.scenario).decode("latin-1").replace("\r\n", "\n")
        self.assertIn("\n\n" + report + "\n", result.out)
        self.assertTrue(result.out.endswith(
            'ERROR: Unable to write to "%s\\%s"\n' % (self.win(self.temp), self.name)), result)

    def test_a_failed_write_is_not_reported_as_written(self):
        self.full_device(self.scenario.bin)
        result = self.run_with(temp=self.win(self.temp))
        self.assertEqual(result.status, 0, result)
        self.assertEqual(self.scenario.read(self.name, self.temp), expected_report(self.scenario))
        self.assertIn('written to "%s\\%s"' % (self.win(self.temp), self.name), result.out)

        os.remove(os.path.join(self.temp, self.name))
        self.full_device(self.temp)
        result = self.run_with(temp=self.win(self.temp))
        self.assertEqual(result.status, 0, result)
        self.assertNotIn("has been written", result.out)
        self.assertTrue(result.out.endswith(
            'ERROR: Unable to write to "%s\\%s"\n' % (self.win(self.temp), self.name)), result)


if __name__ == "__main__":
    unittest.main()
