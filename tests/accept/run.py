"""run.py [-j N] [NAME...]: runs the acceptance suite, or only the named modules, classes or
scenarios (test_both_builds, which CTest runs as a test of its own, only when named).

Each scenario owns its network namespace, prefix copy and Wine server, so they run side by
side: N at a time (VERNIX_ACCEPT_JOBS, else one per processor: a scenario keeps about 70 to 90%
of one processor busy, the rest of its time it waits on Wine), each in a process of its own,
its output shown when it ends. -j 1 runs them one after another in this process. Exit status
77 (skipped) when this machine can't run the suite, or when every scenario that ran was
skipped; the reasons come last."""

import os
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import vxaccept  # noqa: E402

ON_ITS_OWN = ["test_both_builds"]
SKIPPED = 77


def load(names):
    if not names:
        names = sorted(name[:-3] for name in os.listdir(HERE)
                       if name.startswith("test_") and name.endswith(".py")
                       and name[:-3] not in ON_ITS_OWN)
    return unittest.defaultTestLoader.loadTestsFromNames(names)


def scenarios(suite):
    for test in suite:
        if isinstance(test, unittest.TestSuite):
            yield from scenarios(test)
        else:
            yield test


def run_here(suite):
    """Runs the tests in this process; the exit status and the skip reasons."""
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if not result.wasSuccessful():
        return 1, []
    if result.testsRun and len(result.skipped) == result.testsRun:
        return SKIPPED, sorted({reason for _, reason in result.skipped})
    return 0, []


def run_side_by_side(ids, jobs):
    """Each scenario in a process of its own, jobs at a time, its output in a file of its own;
    the exit status and the skip reasons of scenarios that were all skipped."""
    waiting, running, failed, reasons, passed = list(ids), [], [], set(), 0
    while waiting or running:
        while waiting and len(running) < jobs:
            name = waiting.pop(0)
            out = tempfile.TemporaryFile()
            proc = subprocess.Popen(
                [sys.executable, "-W", "ignore::ResourceWarning", __file__, "--one", name],
                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
            running.append((name, proc, out, time.monotonic()))
        time.sleep(0.2)
        for entry in [entry for entry in running if entry[1].poll() is not None]:
            running.remove(entry)
            name, proc, out, started = entry
            out.seek(0)
            text = out.read().decode("utf-8", "replace")
            out.close()
            verdict = {0: "ok", SKIPPED: "skipped"}.get(proc.returncode,
                                                        "FAIL (status %d)" % proc.returncode)
            print("%s ... %s (%.0f s)" % (name, verdict, time.monotonic() - started), flush=True)
            if proc.returncode == SKIPPED:
                reasons.update(line.split("skipped: ", 1)[1] for line in text.splitlines()
                               if line.startswith("skipped: "))
            elif proc.returncode == 0:
                passed += 1
            else:
                failed.append(name)
                print(text, flush=True)
    print("acceptance: %d passed, %d failed, %d skipped" % (
        passed, len(failed), len(ids) - passed - len(failed)))
    for name in failed:
        print("failed: " + name)
    if failed:
        return 1, []
    return (SKIPPED, sorted(reasons)) if ids and passed == 0 else (0, [])


def main(argv):
    reason = vxaccept.missing_prerequisite()
    if reason is not None:
        if os.environ.get("CI") == "true":
            print("acceptance: cannot run under CI: " + reason)
            return 1
        print("acceptance: skipped: " + reason)
        return SKIPPED
    if argv[:1] == ["--one"]:
        status, reasons = run_here(load(argv[1:]))
    else:
        jobs = int(os.environ.get("VERNIX_ACCEPT_JOBS") or os.cpu_count() or 1)
        if argv[:1] == ["-j"]:
            jobs, argv = int(argv[1]), argv[2:]
        suite = load(argv)
        started = time.monotonic()
        if jobs <= 1:
            status, reasons = run_here(suite)
        else:
            vxaccept.ensure_template()   # once, before the scenarios that copy it
            status, reasons = run_side_by_side([test.id() for test in scenarios(suite)], jobs)
        print("acceptance: %.0f s, %d at a time" % (time.monotonic() - started, max(jobs, 1)))
    for reason in reasons:
        print("skipped: " + reason)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
