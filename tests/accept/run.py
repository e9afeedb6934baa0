"""Runs the acceptance suite; exit status 77 (skipped) when this machine can't run it."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import vxaccept  # noqa: E402


def main():
    reason = vxaccept.missing_prerequisite()
    if reason is not None:
        if os.environ.get("CI") == "true":
            print("acceptance: cannot run under CI: " + reason)
            return 1
        print("acceptance: skipped: " + reason)
        return 77
    suite = unittest.defaultTestLoader.discover(os.path.dirname(os.path.abspath(__file__)))
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
