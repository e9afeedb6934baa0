"""The "CPU Serial No:" line: present only where the processor reports a serial number, read
on processor 0, whichever processors Linux lets the program run on."""

import os
import unittest

from vxaccept import ADDRESS_A, AcceptanceCase, Scenario, machine_number, processor_serial


def serial_lines(report):
    return [line for line in report.decode("latin-1").split("\r\n")
            if line.startswith("CPU Serial No:")]


class ProcessorSerial(AcceptanceCase):
    def report(self, scenario):
        result = scenario.run()
        self.assertEqual(result.status, 0, result)
        return scenario.read(scenario.report_name(machine_number(scenario.address(0))))

    def test_the_line_follows_what_linux_says_of_the_processor(self):
        with Scenario([ADDRESS_A]) as scenario:
            report = self.report(scenario)
            expected = processor_serial()
            self.assertEqual(serial_lines(report),
                             [] if expected is None else ["CPU Serial No:       \t" + expected])
            self.assertEqual(report, scenario.expected_report())

    @unittest.skipUnless({0, 1} <= os.sched_getaffinity(0),
                         "needs processors 0 and 1")
    def test_on_one_processor_the_run_completes_with_the_same_report(self):
        # On processor 0 only the thread is left where it is; on processor 1 only, processor 0
        # is out of reach and nothing is probed: no serial number, whatever the processor has.
        with Scenario([ADDRESS_A]) as scenario:
            scenario.cpus = "0"
            self.assertEqual(self.report(scenario), scenario.expected_report())
            scenario.cpus = "1"
            report = self.report(scenario)
            self.assertEqual(serial_lines(report), [])
            if processor_serial() is None:
                self.assertEqual(report, scenario.expected_report())


if __name__ == "__main__":
    unittest.main()
