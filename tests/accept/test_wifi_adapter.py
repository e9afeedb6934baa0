"""Wi-Fi adapters (medium Native 802.11), met through vxnic.sys stand-ins: usable only where no
wired adapter is, with the address from the 802.3 permanent-address query, else the 802.11 one.
The expected numbers come from the addresses the stand-ins were given."""

import unittest

from test_machine_number import subkey_diagnostics
from vxaccept import (ADDRESS_A, ADDRESS_B, AcceptanceCase, Scenario, listed, machine_number,
                      report_values)

NATIVE_802_11 = 16
OID_802_3 = 0x01010101
OID_DOT11 = 0x0D010703
WIFI = bytes.fromhex("021a11f0c45e")
WIFI_DOT11 = bytes.fromhex("021a11f0c45f")
WIFI_ZERO_TAIL = bytes.fromhex("021a11000000")


class WifiOnly(AcceptanceCase):
    def test_listed_numbered_and_reported_unless_the_tail_is_zero(self):
        with Scenario([]) as scenario:
            scenario.add_standin("wifi1", NATIVE_802_11, OID_802_3, WIFI)
            scenario.add_standin("wifi2", NATIVE_802_11, OID_DOT11, WIFI_DOT11)
            scenario.add_standin("wifi3", NATIVE_802_11, OID_802_3, WIFI_ZERO_TAIL)
            result = scenario.run("-d")
            self.assertEqual(result.status, 0, result)
            self.assertEqual(listed(result), ["1 : %s : test card wifi1" % machine_number(WIFI),
                                              "2 : %s : test card wifi2"
                                              % machine_number(WIFI_DOT11)], result)
            blocks = subkey_diagnostics(result.err)
            for name in ("wifi1", "wifi2", "wifi3"):
                self.assertIn("Medium: 16 (Native 802.11).\n", blocks[name])
            self.assertIn("DeviceIoControl(PERMANENT_ADDRESS) failed. Error 50\n", blocks["wifi2"])
            self.assertIn("Last six hex digits of MAC address were all zeroes.\n", blocks["wifi3"])

            # Without console input the first entry stands; the report is named by its number.
            self.assertEqual(scenario.stored_service_name(), "wifi1")
            report = scenario.read(scenario.report_name(machine_number(WIFI)))
            self.assertEqual(report_values(report, "CPU:"), [machine_number(WIFI)])
            # The Ethernet address comes from 802.3 adapters alone, as before.
            self.assertEqual(report_values(report, "Ethernet Address:"), [""])


class WifiBesideWired(AcceptanceCase):
    def test_passed_over_and_the_list_is_as_without_it(self):
        with Scenario([ADDRESS_A]) as scenario:
            without = scenario.run("-d")
            scenario.add_standin("wifi1", NATIVE_802_11, OID_802_3, WIFI)
            beside = scenario.run("-d")
            self.assertEqual((without.status, beside.status), (0, 0), (without, beside))
            self.assertListed(beside, scenario, ["v0"])
            self.assertEqual(beside.out, without.out)
            self.assertIn("\nNative 802.11 adapter wifi1 passed over: a wired adapter is usable.\n",
                          beside.err)
            self.assertEqual(scenario.stored_service_name(), scenario.network_cards()["v0"])


class ChosenWifiBesideWired(AcceptanceCase):
    def test_stays_listed_and_chosen_when_wired_adapters_appear(self):
        with Scenario([]) as scenario:
            scenario.add_standin("wifi1", NATIVE_802_11, OID_802_3, WIFI)
            self.assertEqual(scenario.run().status, 0)
            scenario.add_interface(ADDRESS_A)   # a dock with two wired adapters
            scenario.add_interface(ADDRESS_B)
            scenario.restart_server()
            unanswered = scenario.run("-d")
            self.assertIn("Native 802.11 adapter wifi1 is the stored one: listed beside the "
                          "wired.\n", unanswered.err)
            for result in (unanswered, scenario.run_with_keys("Enter")):
                self.assertEqual(listed(result)[2:], ["3 : %s : test card wifi1"
                                                      % machine_number(WIFI)], result)
                self.assertIn("[3] ", result.out)
                self.assertIn("_%s.txt" % machine_number(WIFI), result.out)
            # Its driver installed anew: another service name, the same address.
            scenario.standins.remove("wifi1")
            scenario.restart_server()
            scenario.add_standin("wifi2", NATIVE_802_11, OID_802_3, WIFI)
            self.assertIn("_%s.txt" % machine_number(WIFI), scenario.run().out)
            self.assertEqual(scenario.stored_service_name(), "wifi2")


if __name__ == "__main__":
    unittest.main()
