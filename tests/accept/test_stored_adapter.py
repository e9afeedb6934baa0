"""The stored adapter keeps the machine number: known again by its recorded permanent address
under a new service name, read whatever the type of its value."""

import unittest

from test_unattended import ABSENT, PROMPT
from vxaccept import (ADDRESS_A, ADDRESS_B, QUARVEL, AcceptanceCase, Scenario, ethernet_text,
                      machine_number)


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
