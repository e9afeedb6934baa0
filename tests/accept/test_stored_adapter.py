"""The stored adapter keeps the machine number: known again by its permanent address when it
comes back under a new service name, recorded where an earlier release stored only its name,
and read whatever the type of its value."""

import unittest

from vxaccept import (ADDRESS_A, ADDRESS_B, QUARVEL, AcceptanceCase, Scenario, ethernet_text,
                      machine_number, report_values)

PROMPT = "\nSelect a card which will always be in your computer [%d] "
NOT_FOUND = ('The remembered network card "%s" was not found. Run vernix.exe at a console to '
             'choose a card again.\n\n')
OTHER_ADDRESS = "02:00:5e:10:00:99"


def record(scenario, index, service):
    """The address record that must stand beside a stored adapter v<index>."""
    return "%s %s" % (ethernet_text(scenario.address(index)), service)


class StoredAdapterCase(AcceptanceCase):
    def choose_v1(self, scenario):
        """A person chooses v1 of v0 and v1 at the console; returns v1's service name."""
        chosen = scenario.run_with_keys("2")
        self.assertEqual(chosen.status, 0, chosen)
        service = scenario.network_cards()["v1"]
        self.assertEqual(scenario.stored_service_name(), service)
        self.assertEqual(scenario.stored_value("PermanentAddress"), record(scenario, 1, service))
        return service

    def assertReportOf(self, result, scenario, index):
        self.assertEqual(result.status, 0, result)
        report = scenario.read(scenario.report_name(machine_number(scenario.address(index))))
        self.assertEqual(report_values(report, "CPU:"), [machine_number(scenario.address(index))])


class NewServiceName(StoredAdapterCase):
    def test_the_same_card_under_a_new_name_is_the_stored_one(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            old = self.choose_v1(scenario)
            # Its driver installed anew: the same address, a new service name.
            scenario.remake_interface(1)
            scenario.restart_server()
            new = scenario.network_cards()["v1"]
            self.assertNotEqual(new, old)

            unanswered = scenario.run("-d")
            self.assertReportOf(unanswered, scenario, 1)
            self.assertIn(PROMPT % 2 + "\n", unanswered.out)
            self.assertIn('The remembered network card "%s" is now "%s": the same permanent '
                          'address.\n' % (old, new), unanswered.err)
            self.assertEqual(scenario.stored_service_name(), new)
            self.assertEqual(scenario.stored_value("PermanentAddress"),
                             record(scenario, 1, new))

            # At a console the prompt offers it.
            scenario.store("ServiceName", old)
            scenario.store("PermanentAddress", record(scenario, 1, old))
            attended = scenario.run_with_keys("Enter")
            self.assertIn(PROMPT % 2 + "\r\n", attended.out)
            self.assertReportOf(attended, scenario, 1)
            self.assertEqual(scenario.stored_service_name(), new)

    def test_another_address_or_two_cards_with_it_are_not_the_stored_card(self):
        for addresses in ([OTHER_ADDRESS], [ADDRESS_B, ADDRESS_B]):
            with self.subTest(addresses=addresses), \
                    Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
                old = self.choose_v1(scenario)
                scenario.remake_interface(1, addresses[0])
                for address in addresses[1:]:
                    scenario.add_interface(address)
                scenario.restart_server()
                before = scenario.reg("query", QUARVEL, "/reg:32"), scenario.files()

                unanswered = scenario.run()
                self.assertEqual(unanswered.status, 1, unanswered)
                self.assertEqual(unanswered.err, NOT_FOUND % old)
                self.assertEqual((scenario.reg("query", QUARVEL, "/reg:32"), scenario.files()),
                                 before)

                attended = scenario.run_with_keys("Enter")
                self.assertIn(PROMPT % 1 + "\r\n", attended.out)
                self.assertReportOf(attended, scenario, 0)

    def test_a_record_of_another_name_is_not_paired_with_the_stored_one(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            self.choose_v1(scenario)
            # An earlier release, which keeps no record, stored a name that is gone now.
            scenario.store("ServiceName", "VxGo")
            unanswered = scenario.run()
            self.assertEqual(unanswered.status, 1, unanswered)
            self.assertEqual(unanswered.err, NOT_FOUND % "VxGo")


class AbsentAtAConsole(StoredAdapterCase):
    def test_the_one_adapter_left_is_taken_only_when_a_person_chooses_it(self):
        with Scenario([ADDRESS_A]) as scenario:
            scenario.store("ServiceName", "VxGo")
            attended = scenario.run_with_keys("Enter")
            self.assertIn(PROMPT % 1 + "\r\n", attended.out)
            self.assertReportOf(attended, scenario, 0)
            self.assertEqual(scenario.stored_service_name(), scenario.network_cards()["v0"])


class StoredByAnEarlierRelease(StoredAdapterCase):
    def test_a_bare_name_gets_its_record_without_a_word(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            service = scenario.network_cards()["v1"]
            # As an earlier release leaves it: the name alone, without its NUL.
            scenario.store("ServiceName", service)
            first = scenario.run()
            self.assertReportOf(first, scenario, 1)
            self.assertEqual(first.err, "")
            self.assertEqual(scenario.stored_value("PermanentAddress"),
                             record(scenario, 1, service))
            second = scenario.run("-d")
            self.assertEqual(second.out, first.out)
            self.assertIn("Registry is already correct\n", second.err)

    def test_a_choice_of_another_string_type_is_the_stored_one(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            service = scenario.network_cards()["v1"]
            scenario.store("ServiceName", service, "REG_EXPAND_SZ")
            unanswered = scenario.run("-d")
            self.assertReportOf(unanswered, scenario, 1)
            self.assertIn(PROMPT % 2 + "\n", unanswered.out)
            self.assertIn("Registry is already correct\n", unanswered.err)
            status, out = scenario.reg("query", QUARVEL, "/v", "ServiceName", "/reg:32")
            self.assertIn("REG_EXPAND_SZ", out)


if __name__ == "__main__":
    unittest.main()
