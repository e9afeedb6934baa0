"""The 64-bit and the 32-bit vernix.exe on one machine: one stored choice, one list, one report."""

import os
import re
import shutil
import unittest

from vxaccept import ADDRESS_A, ADDRESS_B, PEER_VERNIX, VERNIX, AcceptanceCase, Scenario

PROMPT = "\nSelect a card which will always be in your computer [%d] "


class BothBuilds(AcceptanceCase):
    def test_a_choice_made_by_either_build_is_the_others_default(self):
        # The 64-bit suite names the 32-bit build, which scripts/test.sh builds first.
        if not PEER_VERNIX:
            raise unittest.SkipTest("no build of the other architecture (VERNIX_PEER_BUILD)")
        if not os.path.exists(PEER_VERNIX):
            raise unittest.SkipTest(
                "%s is missing: build the windows-x86 preset too (cmake --preset windows-x86 "
                "&& cmake --build --preset windows-x86)" % PEER_VERNIX)
        with Scenario([ADDRESS_A, ADDRESS_B]) as scenario:
            folder = {}
            for name, path in (("this", VERNIX), ("peer", PEER_VERNIX)):
                folder[name] = os.path.join(scenario.root, name)
                os.makedirs(folder[name])
                shutil.copy(path, folder[name])
            for chooser, follower, entry in (("this", "peer", 2), ("peer", "this", 1)):
                chosen = scenario.run_with_keys(str(entry), exe=folder[chooser] + "/vernix.exe")
                followed = scenario.run(exe=folder[follower] + "/vernix.exe")
                self.assertEqual((chosen.status, followed.status), (0, 0), (chosen, followed))
                self.assertIn(PROMPT % entry + "\n", followed.out)
                self.assertListed(chosen, scenario, ["v0", "v1"])
                self.assertListed(followed, scenario, ["v0", "v1"])
                report = re.search(r"vernix_\w+\.txt", followed.out).group(0)
                self.assertEqual(scenario.read(report, folder[chooser]),
                                 scenario.read(report, folder[follower]))
            self.assertIsNone(scenario.stored_service_name(view="64"),
                              "a choice in the 64-bit registry view")


if __name__ == "__main__":
    unittest.main()
