"""The "CPU Serial No:" line: present only where the processor reports a serial number, read
on processor 0, whichever processors Linux lets the program run on."""

import os
import unittest

from vxaccept import ADDRESS_A, AcceptanceCase, Scenario, processor_serial, report_values


class ProcessorSerial(AcceptanceCase):
    def test_the_line_follows_what_linux_says_of_the_processor(self):
        with Scenario([ADDRESS_A]) as scenario:
            report = self.written_report(scenario)
            expected = processor_serial()
            self.assertEqual(report_values(report, "CPU Serial No:"),
                             [] if expected is None else [expected])
            self.assertEqual(report, scenario.expected_report())

    @unittest.skipUnless({0, 1} <= os.sched_getaffinity(0),
                         "needs processors 0 and 1")
    def test_on_one_processor_the_run_completes_with_the_same_report(self):
        # On processor 0 only the thread is left where it is; on processor 1 only, processor 0
        # is out of reach and nothing is probed: no serial number, whatever the processor has.
        with Scenario([ADDRESS_A]) as scenario:
            scenario.cpus = "0"
            self.assertEqual(self.written_report(scenario), scenario.expected_report())
            scenario.cpus = "1"
            report = self.written_report(scenario)
            self.assertEqual(report_values(report, "CPU Serial No:"), [])
            if processor_serial() is None:
                self.assertEqual(report, scenario.expected_report())


if __name__ == "__main__":
    unittest.main()
