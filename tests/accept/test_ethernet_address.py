"""The "Ethernet Address:" line: the first adapter's permanent address from its NDIS driver,
else NetBIOS adapter status, else the SNMP interface table; DLLs from the system directory."""

import os
import unittest

from vxaccept import (ADDRESS_A, ADDRESS_B, ZERO_TAIL, AcceptanceCase, Scenario, ethernet_text,
                      machine_number, report_values)


def ethernet_line(report):
    values = report_values(report, "Ethernet Address:")
    return values[0] if values else None


class EthernetAddress(AcceptanceCase):
    def test_the_first_ethernet_driver_answers_even_with_a_zero_tail(self):
        # Loopback comes first and answers with no address; the adapter whose address ends in
        # zeros can't give the machine number, but its address is taken as it is.
        with Scenario([ZERO_TAIL, ADDRESS_B]) as scenario:
            report = self.written_report(scenario, number_of=1)
            self.assertEqual(ethernet_line(report), ethernet_text(scenario.address(0)))
            self.assertEqual(report, scenario.expected_report(
                ethernet=ethernet_text(scenario.address(0)), number_of=1))

    def test_a_card_without_service_name_stops_the_drivers_and_netbios_answers(self):
        # Wine's NetBIOS serves the adapters that have an IPv4 address: only the second here,
        # while the drivers would have given the first.
        with Scenario([ADDRESS_A, ADDRESS_B], ipv4={1: "10.99.0.2/24"}) as scenario:
            scenario.add_card("0")
            report = self.written_report(scenario)
            self.assertEqual(ethernet_line(report), ethernet_text(scenario.address(1)))

    def test_netbios_passes_over_a_lana_whose_address_fails_its_test(self):
        # Wine gives LANA 0 to v0, the first adapter with IPv4 by interface index (docs/wine.md):
        # bytes 2 to 5 of its address read 0x7F00, below 0x8000. LANA 1, v1, answers.
        with Scenario(["12:34:00:7f:00:00", ADDRESS_B],
                      ipv4={0: "10.99.1.2/24", 1: "10.99.2.2/24"}) as scenario:
            scenario.add_card("0")
            report = self.written_report(scenario)
            self.assertEqual(ethernet_line(report), ethernet_text(scenario.address(1)))

    def test_when_no_method_answers_the_line_is_empty_and_no_dll_is_taken_from_beside_it(self):
        # No IPv4 address: NetBIOS has no adapter, and Wine's SNMP agent leaves the
        # ifPhysAddress column at the loopback row (see docs/wine.md), so all three fail.
        with Scenario([ADDRESS_A]) as scenario:
            scenario.add_card("0")
            markers = [scenario.plant(dll) for dll in ("netapi32", "inetmib1", "snmpapi")]
            report = self.written_report(scenario)
            self.assertEqual(ethernet_line(report), "")
            loaded = [os.path.basename(m) for m in markers if os.path.exists(m)]
            self.assertEqual(loaded, [], "planted DLLs were loaded")

    def test_the_snmp_walk_ends_whatever_the_agent_answers(self):
        # The stand-in agent (tests/tools/vxagent.cpp) as the system's, NDIS and NetBIOS
        # stopped as above: its sound table gives its Ethernet row's address; an agent that
        # never advances, one that advances for ever and one that gives the addresses as
        # integers give none, and the run ends all the same.
        expected = {"table": "02-00-5E-AA-BB-01", "stuck": "", "endless": "", "integers": ""}
        with Scenario([ADDRESS_A]) as scenario:
            scenario.add_card("0")
            report = os.path.join(scenario.bin,
                                  scenario.report_name(machine_number(scenario.address(0))))
            for mode, ethernet in expected.items():
                with self.subTest(agent=mode):
                    scenario.use_agent(mode)
                    if os.path.exists(report):
                        os.remove(report)
                    self.assertEqual(ethernet_line(self.written_report(scenario)), ethernet)

    def test_a_service_without_device_name_leaves_none_behind(self):
        # 4 characters: Wine 8's DefineDosDevice overflows on longer names (docs/wine.md).
        with Scenario([ADDRESS_A]) as scenario:
            scenario.add_card("0", "VxNd")
            self.assertEqual(scenario.dos_device("VxNd"), "undefined")
            result = scenario.run("-d")
            # The name leads to no device: Wine 8 says error 3 (path not found), not 2.
            self.assertRegex(result.err, r"CreateFile\(\) failed for \\\\\.\\VxNd\. Error [23]\n")
            report = scenario.read(scenario.report_name(machine_number(scenario.address(0))))
            self.assertEqual(ethernet_line(report), ethernet_text(scenario.address(0)))
            self.assertEqual(scenario.dos_device("VxNd"), "undefined")


if __name__ == "__main__":
    unittest.main()
