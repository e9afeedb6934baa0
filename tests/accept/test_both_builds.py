"""The 64-bit and the 32-bit vernix.exe in one prefix: one stored choice, one list, one report."""

import os
import shutil
import unittest

from vxaccept import (ADDRESS_A, ADDRESS_B, PEER_VERNIX, QUARVEL, VERNIX, ZERO_TAIL,
                      AcceptanceCase, Scenario, machine_number, pe_machine)

PROMPT = "\nSelect a card which will always be in your computer [%d] "
X64, X86 = 0x8664, 0x14C


class BothBuilds(AcceptanceCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        if not PEER_VERNIX:
            raise unittest.SkipTest("no build of the other architecture named (VERNIX_PEER_BUILD)")
        if not os.path.exists(PEER_VERNIX):
            message = "the other build is missing: " + PEER_VERNIX
            if os.environ.get("CI") == "true":
                raise RuntimeError(message)
            raise unittest.SkipTest(message)
        builds = {pe_machine(VERNIX): VERNIX, pe_machine(PEER_VERNIX): PEER_VERNIX}
        if set(builds) != {X64, X86}:
            raise RuntimeError("expected one x86-64 and one x86 build: %r" % builds)
        cls.builds = builds

    def copy_builds(self, scenario):
        """Both executables in folders of their own, so that each writes its own report."""
        paths = {}
        for machine, name in ((X64, "x64"), (X86, "x86")):
            folder = os.path.join(scenario.root, name)
            os.makedirs(folder)
            paths[name] = os.path.join(folder, "vernix.exe")
            shutil.copy(self.builds[machine], paths[name])
        return paths

    def test_a_choice_made_by_either_build_is_the_others_default(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            exe = self.copy_builds(scenario)
            cards = scenario.network_cards()
            order = [name for name in cards if name in ("v0", "v1")]
            for chooser, follower, entry in (("x64", "x86", 2), ("x86", "x64", 1)):
                chosen = scenario.run_with_keys(str(entry), exe=exe[chooser])
                self.assertEqual(chosen.status, 0, chosen)
                self.assertEqual(scenario.stored_service_name(), cards[order[entry - 1]])

                followed = scenario.run("-d", exe=exe[follower])
                self.assertEqual(followed.status, 0, followed)
                self.assertIn(PROMPT % entry + "\n", followed.out)
                self.assertIn("Registry is already correct\n", followed.err)
                number = machine_number(scenario.address(int(order[entry - 1][1:])))
                self.assertIn("_%s.txt" % number, followed.out)
                self.assertIsNone(scenario.stored_service_name(view="64"),
                                  "the 64-bit registry view has a stored choice")
                self.assertNotEqual(scenario.reg("query", QUARVEL, "/reg:64")[0], 0)

    def test_a_choice_left_in_the_32_bit_view_is_the_64_bit_builds_default(self):
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            exe = self.copy_builds(scenario)
            cards = scenario.network_cards()
            order = [name for name in cards if name in ("v0", "v1")]
            # As an earlier 32-bit release left it; only a 32-bit program sees it at this path.
            status, _ = scenario.reg("add", QUARVEL, "/v", "ServiceName", "/d",
                                     cards[order[1]], "/f", "/reg:32")
            self.assertEqual(status, 0)
            result = scenario.run("-d", exe=exe["x64"])
            self.assertEqual(result.status, 0, result)
            self.assertIn(PROMPT % 2 + "\n", result.out)
            self.assertIn("Registry is already correct\n", result.err)

    def test_both_list_the_same_adapters_and_write_the_same_report(self):
        with Scenario([ADDRESS_A, ZERO_TAIL, ADDRESS_B]) as scenario:
            exe = self.copy_builds(scenario)
            results, reports = {}, {}
            for name in ("x64", "x86"):
                results[name] = scenario.run(exe=exe[name])
                self.assertEqual(results[name].status, 0, results[name])
                self.assertListed(results[name], scenario, ["v0", "v2"])
                folder = os.path.dirname(exe[name])
                reports[name] = [scenario.read(f, folder) for f in scenario.files(folder)
                                 if f.endswith(".txt")]
            self.assertEqual(results["x64"].out.replace("\\x64\\", "\\x86\\"), results["x86"].out)
            self.assertEqual(len(reports["x64"]), 1)
            self.assertEqual(reports["x64"], reports["x86"])
            self.assertEqual(reports["x64"][0], scenario.expected_report())


if __name__ == "__main__":
    unittest.main()
