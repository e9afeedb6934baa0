"""The machine number: the adapter list, the choice, and the stored default adapter."""

import re
import unittest

from vxaccept import (ADDRESS_A, ADDRESS_B, ZERO_TAIL, AcceptanceCase, Scenario, machine_number,
                      many_addresses, relay_calls)

PROMPT = "\nSelect a card which will always be in your computer [%d] "


def set_value_lengths(err):
    """The data lengths passed to RegSetValueExA for "ServiceName", from Wine's relay trace."""
    return [arguments[-1] for _, function, arguments in relay_calls(err)
            if function == "RegSetValueExA" and arguments[1].endswith('"ServiceName"')]


class OneAdapter(AcceptanceCase):
    def test_listed_stored_without_nul_and_not_written_again(self):
        with Scenario([ADDRESS_A]) as scenario:
            number = machine_number(scenario.address(0))
            service = scenario.network_cards()["v0"]
            scenario.reg("add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d",
                         "advapi32.RegSetValueExA", "/f")

            first = scenario.run(debug="+relay")
            self.assertEqual(first.status, 0, first)
            self.assertListed(first, scenario, ["v0"])
            self.assertNotIn("Select a card", first.out)
            self.assertEqual(scenario.stored_service_name(), service)
            # Stored as its characters alone, without the terminating NUL.
            self.assertEqual(set_value_lengths(first.err), [len(service)], first.err)

            second = scenario.run("-d", debug="+relay")
            self.assertEqual(second.status, 0, second)
            self.assertIn('Registry checked for default card - "%s"\n' % service, second.err)
            self.assertIn("Registry is already correct\n", second.err)
            self.assertEqual(set_value_lengths(second.err), [])

            report = scenario.report_name(number)
            self.assertIn('VERNIX information has been written to "%s".\n'
                          % scenario.windows_path(scenario.bin + "/" + report), second.out)


class TwoAdapters(AcceptanceCase):
    def test_prompt_ignores_keys_outside_the_map_and_remembers_the_choice(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            cards = scenario.network_cards()
            # 0, 3 (above the count), C (entry 12), Escape, x and the Up arrow are all ignored.
            # Wine's _kbhit never wakes for Up alone: its 224 and 72 are read with the 2, so
            # the wait for Up to be read is cut short (whether it was read decides nothing).
            first = scenario.run_with_keys("0,3,C,Esc,x,Up,2", key_timeout_ms=3000)
            self.assertEqual(first.status, 0, first)
            order = self.assertListed(first, scenario, ["v0", "v1"])
            self.assertIn(PROMPT % 1 + "2\n", first.out)
            self.assertEqual(scenario.stored_service_name(), cards[order[1]])
            self.assertIn("_%s.txt" % machine_number(scenario.address(int(order[1][1:]))),
                          first.out)

            second = scenario.run_with_keys("Enter", "-d")
            self.assertEqual(second.status, 0, second)
            # Enter is echoed as itself, a carriage return, then the line feed.
            self.assertIn(PROMPT % 2 + "\r\n", second.out)
            self.assertIn("Registry is already correct\n", second.err)
            self.assertEqual(scenario.stored_service_name(), cards[order[1]])

    def test_without_console_input_the_default_stands_at_once(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            result = scenario.run()
            self.assertEqual(result.status, 0, result)
            self.assertIn(PROMPT % 1 + "\n", result.out)
            order = self.assertListed(result, scenario, ["v0", "v1"])
            self.assertEqual(scenario.stored_service_name(), scenario.network_cards()[order[0]])


class PassedOver(AcceptanceCase):
    def test_zero_tail_and_loopback_are_not_listed(self):
        with Scenario([ZERO_TAIL, ADDRESS_B]) as scenario:
            cards = scenario.network_cards()
            result = scenario.run("-d")
            self.assertEqual(result.status, 0, result)
            self.assertListed(result, scenario, ["v1"])
            blocks = subkey_diagnostics(result.err)
            self.assertIn("Last six hex digits of MAC address were all zeroes.\n",
                          blocks[cards["v0"]])
            self.assertIn("DeviceIoControl(PERMANENT_ADDRESS) returned 0 bytes (expected 6).\n",
                          blocks[cards["lo"]])


def subkey_diagnostics(err):
    """{service name: its diagnostics} from the -d output of the walk."""
    blocks = {}
    for block in err.split("\nProcessing subkey [")[1:]:
        match = re.search(r"  Service: (\S+)", block)
        if match:
            blocks[match.group(1)] = block
    return blocks


class ManyAdapters(AcceptanceCase):
    def test_letters_choose_entries_from_ten_in_either_case(self):
        with Scenario(many_addresses(12)) as scenario:
            cards = scenario.network_cards()
            first = scenario.run_with_keys("b")
            self.assertEqual(first.status, 0, first)
            order = self.assertListed(first, scenario, ["v%d" % n for n in range(12)])
            self.assertIn(PROMPT % 1 + "b\n", first.out)
            self.assertEqual(scenario.stored_service_name(), cards[order[10]])

            # The default is shown in decimal: entry 11 is listed as B and offered as [11].
            second = scenario.run_with_keys("C")
            self.assertEqual(second.status, 0, second)
            self.assertIn(PROMPT % 11 + "C\n", second.out)
            self.assertEqual(scenario.stored_service_name(), cards[order[11]])


class NoUsableAdapter(AcceptanceCase):
    def test_fails_after_a_key_which_stays_unread(self):
        with Scenario([ZERO_TAIL]) as scenario:
            # Still waiting after a second; the key ends the run (1, not vxkeys's 124 for a
            # child it had to kill).
            result = scenario.run_with_keys("wait:1000,alive,x")
            self.assertEqual(result.status, 1, result)
            self.assertEqual(result.err, "No valid network cards found.\n\n")
            self.assertEqual(result.out, "Hit any key to continue ")
            self.assertRegex(result.log, r"alive 1\n(.*\n)*typed x .*\n(.*\n)*exit 1\n")
            # Both records of x are left: a key read with _getch would leave only its key-up.
            self.assertIn("\nunread 2\n", result.log)
            self.assertEqual(scenario.files(), ["vernix.exe"])

    def test_without_console_input_there_is_no_wait(self):
        with Scenario([]) as scenario:
            result = scenario.run()
            self.assertEqual(result.status, 1, result)
            self.assertEqual(result.err, "No valid network cards found.\n\n")
            self.assertEqual(result.out, "Hit any key to continue ")


class CommandLine(AcceptanceCase):
    def test_only_a_first_argument_of_minus_d_in_either_case_shows_diagnostics(self):
        with Scenario([ADDRESS_A]) as scenario:
            for args, on in ((["-d"], True), (["-D"], True), (["-d", "x"], True),
                             (["x", "-d"], False), (["-dx"], False), ([], False)):
                result = scenario.run(*args)
                self.assertEqual(result.status, 0, result)
                self.assertEqual("Processing subkey [" in result.err, on, (args, result))
                if not on:
                    self.assertEqual(result.err, "", (args, result))

    def test_platforms_other_than_nt_are_refused(self):
        with Scenario([ADDRESS_A]) as scenario:
            scenario.set_windows_version("win98")
            result = scenario.run("-d")
            self.assertEqual(result.status, 1, result)
            self.assertEqual(result.err, "Not supported on Win98/95/Me\n")
            self.assertEqual(result.out, "")
            self.assertIsNone(scenario.stored_service_name())
            self.assertEqual(scenario.files(), ["vernix.exe"])


if __name__ == "__main__":
    unittest.main()
