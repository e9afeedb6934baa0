"""The stored adapter keeps the machine number: known again by its recorded permanent address
under a new service name, recorded where an earlier release stored only its name, read whatever
the type of its value."""

import unittest

from vxaccept import (ADDRESS_A, ADDRESS_B, QUARVEL, AcceptanceCase, Scenario, ethernet_text,
                      machine_number)

PROMPT = "\nSelect a card which will always be in your computer [%d] "
NOT_FOUND = ('The remembered network card "%s" was not found. Run vernix.exe at a console to '
             'choose a card again.\n\n')


class StoredAdapter(AcceptanceCase):
    def setUp(self):
        self.scenario = Scenario([ADDRESS_A, ADDRESS_B]).__enter__()
        self.addCleanup(self.scenario.__exit__, None, None, None)

    def record(self, service, index=1):
        return "%s %s" % (ethernet_text(self.scenario.address(index)), service)

    def choose_v1(self):
        """A person chooses v1 at the console; its name and address are stored."""
        self.assertEqual(self.scenario.run_with_keys("2").status, 0)
        service = self.scenario.network_cards()["v1"]
        self.assertEqual(self.scenario.stored_value("PermanentAddress"), self.record(service))
        return service

    def assertReportOf(self, result, index):
        self.assertEqual(result.status, 0, result)
        self.assertIn("_%s.txt" % machine_number(self.scenario.address(index)), result.out)

    def test_the_same_card_under_a_new_name_is_the_stored_one(self):
        old = self.choose_v1()
        self.scenario.remake_interface(1)   # the same address, a new service name
        self.scenario.restart_server()
        new = self.scenario.network_cards()["v1"]
        self.assertNotEqual(new, old)
        unanswered = self.scenario.run("-d")
        self.assertReportOf(unanswered, 1)
        self.assertIn(PROMPT % 2 + "\n", unanswered.out)
        self.assertIn('The remembered network card "%s" is now "%s": the same permanent '
                      'address.\n' % (old, new), unanswered.err)
        self.assertEqual(self.scenario.stored_value("PermanentAddress"), self.record(new))
        # At a console it is the default offered.
        self.scenario.store("ServiceName", old)
        self.scenario.store("PermanentAddress", self.record(old))
        attended = self.scenario.run_with_keys("Enter")
        self.assertIn(PROMPT % 2 + "\r\n", attended.out)
        self.assertReportOf(attended, 1)
        self.assertEqual(self.scenario.stored_service_name(), new)

    def test_another_address_two_cards_with_it_or_another_name_leave_it_absent(self):
        old = self.choose_v1()
        for case in ("another address", "two cards", "a name stored by an earlier release"):
            if case == "another address":
                self.scenario.remake_interface(1, "02:00:5e:10:00:99")
            elif case == "two cards":
                self.scenario.remake_interface(1, ADDRESS_B)
                self.scenario.add_interface(ADDRESS_B)
            else:   # one card with the address again; the record stays of the old name
                self.scenario.remake_interface(2, "02:00:5e:10:00:98")
                old = "VxGo"
                self.scenario.store("ServiceName", old)
            self.scenario.restart_server()
            before = self.scenario.reg("query", QUARVEL, "/reg:32"), self.scenario.files()
            unanswered = self.scenario.run()
            self.assertEqual((unanswered.status, unanswered.err), (1, NOT_FOUND % old), case)
            self.assertEqual((self.scenario.reg("query", QUARVEL, "/reg:32"),
                              self.scenario.files()), before, case)

    def test_a_bare_name_of_another_type_is_read_and_gets_its_record_silently(self):
        service = self.scenario.network_cards()["v1"]
        self.scenario.store("ServiceName", service, "REG_EXPAND_SZ")
        result = self.scenario.run()
        self.assertReportOf(result, 1)
        self.assertEqual(result.err, "")
        self.assertEqual(self.scenario.stored_value("PermanentAddress"), self.record(service))
        self.assertIn("REG_EXPAND_SZ", self.scenario.reg("query", QUARVEL, "/reg:32")[1])


class AbsentAtAConsole(AcceptanceCase):
    def test_the_one_adapter_left_is_taken_only_when_a_person_chooses_it(self):
        with Scenario([ADDRESS_A]) as scenario:
            scenario.store("ServiceName", "VxGo")
            attended = scenario.run_with_keys("Enter")
            self.assertEqual(attended.status, 0, attended)
            self.assertIn(PROMPT % 1 + "\r\n", attended.out)
            self.assertEqual(scenario.stored_service_name(), scenario.network_cards()["v0"])


if __name__ == "__main__":
    unittest.main()
