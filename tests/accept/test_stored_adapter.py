"""The stored adapter keeps the machine number: known by its recorded permanent address first,
under a new service name or a swapped one, listed on a crowded machine, read whatever the type
of its value."""

import re
import unittest

from test_unattended import ABSENT, PROMPT
from vxaccept import (ADDRESS_A, ADDRESS_B, QUARVEL, AcceptanceCase, Scenario, ethernet_text,
                      listed, machine_number, many_addresses)

ADDRESS_C = "00:50:56:c0:00:08"


class StoredAdapter(AcceptanceCase):
    def assertReportOf(self, scenario, result, index):
        self.assertEqual(result.status, 0, result)
        self.assertIn("_%s.txt" % machine_number(scenario.address(index)), result.out)

    def test_the_same_card_under_a_new_name_is_the_stored_one(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            def record(service):
                return "%s %s" % (ethernet_text(scenario.address(1)), service)
            self.assertEqual(scenario.run_with_keys("2").status, 0)   # a person chooses v1
            old = scenario.network_cards()["v1"]
            self.assertEqual(scenario.stored_value("PermanentAddress"), record(old))
            scenario.remake_interface(1)   # the same address, a new service name
            scenario.restart_server()
            new = scenario.network_cards()["v1"]
            self.assertNotEqual(new, old)
            unanswered = scenario.run("-d")
            self.assertReportOf(scenario, unanswered, 1)
            self.assertIn(PROMPT % 2 + "\n", unanswered.out)
            self.assertIn('The remembered network card "%s" is now "%s": the same permanent '
                          'address.\n' % (old, new), unanswered.err)
            self.assertEqual(scenario.stored_value("PermanentAddress"), record(new))
            # At a console it is the default offered.
            scenario.store("ServiceName", old)
            scenario.store("PermanentAddress", record(old))
            attended = scenario.run_with_keys("Enter")
            self.assertIn(PROMPT % 2 + "\r\n", attended.out)
            self.assertReportOf(scenario, attended, 1)
            self.assertEqual(scenario.stored_service_name(), new)

    def test_swapped_names_keep_the_chosen_card_and_another_address_is_said(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            cards = scenario.network_cards()
            chosen = "%s %%s" % ethernet_text(scenario.address(1))   # its record, of a name
            recorded = machine_number(scenario.address(1))
            self.assertEqual(scenario.run_with_keys("2").status, 0)   # a person chooses v1
            # The two names answer each other's address: the record finds the chosen card.
            scenario.set_address(0, ADDRESS_B)
            scenario.set_address(1, ADDRESS_A)
            scenario.restart_server()
            self.assertReportOf(scenario, scenario.run(), 0)
            self.assertEqual(chosen % "", "%s " % ethernet_text(scenario.address(0)))
            self.assertEqual((scenario.stored_service_name(),
                              scenario.stored_value("PermanentAddress")),
                             (cards["v0"], chosen % cards["v0"]))
            # At a console, with the choice as the person left it, that card is the default.
            scenario.store("ServiceName", cards["v1"])
            scenario.store("PermanentAddress", chosen % cards["v1"])
            attended = scenario.run_with_keys("Enter")
            self.assertIn(PROMPT % 1 + "\r\n", attended.out)
            self.assertReportOf(scenario, attended, 0)
            self.assertEqual(scenario.stored_service_name(), cards["v0"])
            # The stored name answers an address no card had: the name decides, the number
            # moves with the address, the record follows, and -d says from what to what.
            scenario.set_address(0, ADDRESS_C)
            scenario.restart_server()
            moved = scenario.run("-d")
            self.assertReportOf(scenario, moved, 0)
            self.assertIn('The remembered network card "%s" has another permanent address: its '
                          'machine number was %s and is now %s.\n'
                          % (cards["v0"], recorded, machine_number(scenario.address(0))),
                          moved.err)
            self.assertEqual(scenario.stored_value("PermanentAddress"),
                             "%s %s" % (ethernet_text(scenario.address(0)), cards["v0"]))

    def test_on_a_crowded_machine_the_stored_card_enumerated_last_is_listed(self):
        with Scenario(many_addresses(40)) as scenario:
            cards = scenario.network_cards()
            self.assertEqual(list(cards)[-1], "v7")   # subkey 9 comes after 40 and 41
            scenario.store("ServiceName", cards["v7"])
            last = "\\ : %s : v7" % machine_number(scenario.address(7))
            unanswered = scenario.run("-d")
            for result in (unanswered, scenario.run_with_keys("Enter")):
                self.assertEqual((len(listed(result)), listed(result)[-1]), (37, last), result)
                self.assertIn(PROMPT % 37, result.out)
                self.assertReportOf(scenario, result, 7)
            self.assertEqual(len(re.findall("Adapter table is full", unanswered.err)), 3)
            self.assertEqual(scenario.stored_service_name(), cards["v7"])

    def test_a_bare_name_of_another_type_is_read_and_gets_its_record_silently(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            service = scenario.network_cards()["v1"]
            scenario.store("ServiceName", service, "REG_EXPAND_SZ")
            result = scenario.run()
            self.assertReportOf(scenario, result, 1)
            self.assertEqual(result.err, "")
            self.assertEqual(scenario.stored_value("PermanentAddress"),
                             "%s %s" % (ethernet_text(scenario.address(1)), service))
            self.assertIn("REG_EXPAND_SZ", scenario.reg("query", QUARVEL, "/reg:32")[1])

    def test_at_a_console_the_one_adapter_left_is_taken_only_when_a_person_chooses_it(self):
        with Scenario([ADDRESS_A]) as scenario:
            scenario.store("ServiceName", ABSENT)
            attended = scenario.run_with_keys("Enter")
            self.assertEqual(attended.status, 0, attended)
            self.assertIn(PROMPT % 1 + "\r\n", attended.out)
            self.assertEqual(scenario.stored_service_name(), scenario.network_cards()["v0"])


if __name__ == "__main__":
    unittest.main()
