"""The report's attribute section: the host name as Linux has it, cut and cased, and the
Windows Sockets library taken from the system directory only."""

import os
import unittest

from vxaccept import ADDRESS_A, AcceptanceCase, Scenario, expected_host_name


class HostName(AcceptanceCase):
    def test_host_names_are_cut_at_the_first_dot_and_cased_when_seven_bit(self):
        names = {
            "ws12.lab": "WS12",
            "build-server": "BUILD-SERVER",
            "m\u00fcnchen-pc.lab": "m\u00fcnchen-pc",   # 8-bit: every letter keeps its case
            "a" * 63: "A" * 63,                          # the longest name that fits
            ".lab": "",                                  # obtained, and empty
        }
        with Scenario([ADDRESS_A]) as scenario:
            for name, shown in names.items():
                scenario.hostname = name
                report = self.written_report(scenario)
                self.assertEqual(report, scenario.expected_report(), name)
                # Wine hands the Linux name over as its UTF-8 bytes; the report keeps them.
                self.assertEqual(expected_host_name(name),
                                 shown.encode("utf-8").decode("latin-1"))
                self.assertIn(b"Host name:           \t" + shown.encode("utf-8") + b"\r\n",
                              report)

    def test_a_name_too_long_for_the_field_gives_no_host_name_line(self):
        with Scenario([ADDRESS_A], hostname="b" * 64) as scenario:
            report = self.written_report(scenario)
            self.assertNotIn(b"Host name:", report)
            self.assertEqual(report, scenario.expected_report())

    def test_without_the_socket_library_there_is_no_host_name_and_the_run_goes_on(self):
        with Scenario([ADDRESS_A]) as scenario:
            scenario.overrides = "wsock32=d"
            report = self.written_report(scenario)
            self.assertNotIn(b"Host name:", report)
            expected = scenario.expected_report().split(b"\r\n")
            self.assertEqual(report.split(b"\r\n"),
                             [line for line in expected if not line.startswith(b"Host name:")])

    def test_a_socket_library_planted_next_to_the_executable_is_never_loaded(self):
        with Scenario([ADDRESS_A]) as scenario:
            marker = scenario.plant("wsock32")
            report = self.written_report(scenario)
            self.assertFalse(os.path.exists(marker), "the planted wsock32.dll was loaded")
            self.assertIn(b"Host name:           \tWS12\r\n", report)


if __name__ == "__main__":
    unittest.main()
