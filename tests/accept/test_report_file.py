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

    def test_on_a_full_disk_what_was_there_stays_and_the_report_goes_to_temp(self):
        self.scenario.put_bin_on_small_disk()
        earlier = b"Model:               \tF07\r\n" * 40   # an earlier report of the same name
        for before in ([], [self.name]):
            for name in before:
                with open(os.path.join(self.scenario.bin, name), "wb") as old:
                    old.write(earlier)
            self.scenario.fill_disk()
            result = self.run_with(temp=self.win(self.temp))
            self.assertEqual(result.status, 0, result)
            self.assertTrue(result.out.endswith('VERNIX information has been written to '
                                                '"%s\\%s".\n' % (self.win(self.temp), self.name)),
                            result)
            self.assertEqual(self.scenario.read(self.name, self.temp),
                             expected_report(self.scenario))
            self.assertEqual(self.scenario.files(), sorted(["filler", "vernix.exe"] + before))
            for name in before:
                self.assertEqual(self.scenario.read(name), earlier)
            for name in before + ["filler"]:
                os.remove(os.path.join(self.scenario.bin, name))

    def test_a_failed_write_is_not_reported_as_written(self):
        # TEMP on the same full disk: neither attempt can write the report.
        self.scenario.put_bin_on_small_disk()
        temp = os.path.join(self.scenario.bin, "temp")
        os.makedirs(temp)
        self.scenario.fill_disk()
        result = self.run_with(temp=self.win(temp))
        self.assertTrue(result.out.endswith(
            'ERROR: Unable to write to "%s\\%s"\n' % (self.win(temp), self.name)), result)
        self.assertEqual((self.scenario.files(), self.scenario.files(temp)),
                         (["filler", "temp", "vernix.exe"], []))

    def test_planted_links_are_never_written_through(self):
        # Links of the report's name and of its first temporary name, to files of someone else's.
        names = (self.name, self.name[:-len(".txt")] + ".~00")
        planted = b"not the report\r\n" * 100
        for name in names:
            with open(os.path.join(self.scenario.root, "victim-" + name), "wb") as victim:
                victim.write(planted)
            os.symlink(os.path.join(self.scenario.root, "victim-" + name),
                       os.path.join(self.scenario.bin, name))
        result = self.scenario.run()
        self.assertIn('written to "%s"' % self.win(os.path.join(self.scenario.bin, self.name)),
                      result.out)
        for name in names:
            self.assertEqual(self.scenario.read("victim-" + name, self.scenario.root), planted)
        # The report's name now names the report, a file of its own; the other link stays.
        self.assertEqual([os.path.islink(os.path.join(self.scenario.bin, n)) for n in names],
                         [False, True])
        self.assertEqual(self.scenario.read(self.name), expected_report(self.scenario))
        self.assertEqual(self.scenario.files(), sorted(list(names) + ["vernix.exe"]))


if __name__ == "__main__":
    unittest.main()
