"""run.py [MODULE...]: runs the acceptance suite, or only the named modules (test_both_builds,
which CTest runs as a test of its own, only when named). Exit status 77 (skipped) when this
machine can't run it, or when every scenario that ran was skipped; the reasons come last."""

import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import vxaccept  # noqa: E402

ON_ITS_OWN = ["test_both_builds"]


def load(modules):
    if not modules:
        modules = sorted(name[:-3] for name in os.listdir(HERE)
                         if name.startswith("test_") and name.endswith(".py")
                         and name[:-3] not in ON_ITS_OWN)
    return unittest.defaultTestLoader.loadTestsFromNames(modules)


def main():
    reason = vxaccept.missing_prerequisite()
    if reason is not None:
        if os.environ.get("CI") == "true":
            print("acceptance: cannot run under CI: " + reason)
            return 1
        print("acceptance: skipped: " + reason)
        return 77
    result = unittest.TextTestRunner(verbosity=2).run(load(sys.argv[1:]))
    if not result.wasSuccessful():
        return 1
    if result.testsRun and len(result.skipped) == result.testsRun:
        for reason in sorted({reason for _, reason in result.skipped}):
            print("skipped: " + reason)
        return 77
    return 0


if __name__ == "__main__":
    sys.exit(main())
