"""summary.py JUNIT...: the closing lines of the whole suite from CTest's JUnit files: one line
for each skipped test with the reason it gave (its last "skipped: " line, else its last line),
then the counts."""

import os
import sys
import xml.etree.ElementTree as ElementTree

passed = failed = skipped = 0
for path in sys.argv[1:]:
    preset = os.path.basename(os.path.dirname(os.path.abspath(path)))
    try:
        cases = list(ElementTree.parse(path).getroot().iter("testcase"))
    except (OSError, ElementTree.ParseError) as error:
        print("no results from %s: %s" % (preset, error))
        failed += 1
        continue
    for case in cases:
        skip = case.find("skipped")
        if case.find("failure") is not None or (case.get("status") != "run" and (
                skip is None or not skip.get("message", "").startswith("SKIP_RETURN_CODE"))):
            failed += 1
            continue
        if skip is None:
            passed += 1
            continue
        skipped += 1
        lines = [line.strip() for line in (case.findtext("system-out") or "").splitlines()
                 if line.strip()] or ["(no reason given)"]
        given = [line.split("skipped: ", 1)[1] for line in lines if "skipped: " in line]
        reason = given[-1] if given else lines[-1]
        print("skipped: %s (%s): %s" % (case.get("name"), preset, reason))
print("suite: %d passed, %d failed, %d skipped" % (passed, failed, skipped))
