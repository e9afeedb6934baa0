"""The report file: next to the executable, else in TEMP or TMP, else on standard output."""

import os
import time
import unittest

from vxaccept import ADDRESS_A, AcceptanceCase, Scenario, machine_number, relay_calls

# The calls a traced run shows: the start of main, the process's settings, the session, the
# report's move, and the registry calls that the first of vernix.exe's own must come after.
TRACED = ("__getmainargs;SetErrorMode;SetDefaultDllDirectories;ProcessIdToSessionId;MoveFileExA;"
          "RegOpenKeyExA;RegCreateKeyExA;RegQueryValueExA")


def expected_report(scenario):
    return scenario.expected_report()


def main_thread_calls(trace):
    """(function, arguments) of the calls in a relay trace made on the program's main thread, the
    thread of its first __getmainargs call."""
    calls = relay_calls(trace)
    main = next(thread for thread, function, _ in calls if function == "__getmainargs")
    return [(function, arguments) for thread, function, arguments in calls if thread == main]


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
        self.assertEqual(self.scenario.files(), sorted([self.name, "vernix.exe"]))

    def test_old_leftovers_go_and_a_fresh_one_and_a_links_target_stay(self):
        stem = self.name[len("vernix_"):-len(".txt")]
        old = ["vernix_%s.~%02d" % (stem, n) for n in range(10)]   # every name of earlier runs
        fresh = "vx%s.0000BEEF" % stem   # another run's, maybe still being written
        link = "vx%s.0000DEAD" % stem
        victim = os.path.join(self.scenario.root, "victim")
        for path in [os.path.join(self.scenario.bin, n) for n in old + [fresh]] + [victim]:
            with open(path, "wb") as f:
                f.write(b"partial")
        os.symlink(victim, os.path.join(self.scenario.bin, link))
        then = time.time() - 2 * 3600
        for name in old:
            os.utime(os.path.join(self.scenario.bin, name), (then, then))
        # Under Wine a link has its target's time (docs/wine.md): both are old.
        os.utime(os.path.join(self.scenario.bin, link), (then, then), follow_symlinks=False)
        os.utime(victim, (then, then))
        result = self.scenario.run()
        self.assertIn('written to "%s"' % self.win(os.path.join(self.scenario.bin, self.name)),
                      result.out)
        self.assertEqual(self.scenario.read(self.name), expected_report(self.scenario))
        self.assertEqual(self.scenario.files(), sorted([self.name, fresh, "vernix.exe"]))
        self.assertEqual((self.scenario.read(fresh), self.scenario.read(victim)),
                         (b"partial", b"partial"))

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

    def test_a_traced_run_starts_safe_and_never_writes_through_planted_links(self):
        # Links of the report's name, of the name earlier releases wrote it under first, and of
        # every temporary name that Wine's process ids (small multiples of 4) give: the run's
        # first name is taken, and it writes under another of its own.
        stem = self.name[len("vernix_"):-len(".txt")]
        names = [self.name, "vernix_%s.~00" % stem] + ["vx%s.%08X" % (stem, pid)
                                                        for pid in range(0, 0x1000, 4)]
        victim = os.path.join(self.scenario.root, "victim")
        planted = b"not the report\r\n" * 100
        with open(victim, "wb") as f:
            f.write(planted)
        for name in names:
            os.symlink(victim, os.path.join(self.scenario.bin, name))
        self.scenario.reg("add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d", TRACED,
                          "/f")
        result = self.scenario.run(debug="+relay")
        self.assertIn('written to "%s"' % self.win(os.path.join(self.scenario.bin, self.name)),
                      result.out)
        self.assertEqual(self.scenario.read("victim", self.scenario.root), planted)
        # The report's name now names the report, a file of its own; the other links stay.
        self.assertEqual([n for n in names
                          if not os.path.islink(os.path.join(self.scenario.bin, n))], [self.name])
        self.assertEqual(self.scenario.read(self.name), expected_report(self.scenario))
        self.assertEqual(self.scenario.files(), sorted(names + ["vernix.exe"]))

        calls = main_thread_calls(result.err)
        functions = [function for function, _ in calls]
        before = calls[:next(i for i, f in enumerate(functions) if f.startswith("Reg"))]
        # Before anything of its own: no critical-error or open-file box, and DLLs loaded by
        # name from the system directory only.
        self.assertTrue([a for f, a in before if f == "SetErrorMode" and a[0] & 0x8001 == 0x8001],
                        before)
        self.assertIn(("SetDefaultDllDirectories", [0x800]), before)
        self.assertIn("ProcessIdToSessionId", functions)
        moves = [arguments for function, arguments in calls if function == "MoveFileExA"]
        self.assertEqual(len(moves), 1, moves)
        self.assertRegex(moves[0][0], r"\\vx%s\.01[0-9A-F]{6}\"$" % stem)   # another name
        self.assertEqual(moves[0][2], 0x9)   # MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH

if __name__ == "__main__":
    unittest.main()
