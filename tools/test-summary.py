#!/usr/bin/env python3
"""Counts the test cases of every test program run by CTest.

Each GoogleTest program writes its cases to test-results/<name>.xml. A program
that CTest ran but that left no results (it crashed, hung or never started)
counts as one failed case, so nothing that did not run reads as passed.
Prints the failed cases, then one line: N passed, N failed.
"""
import os
import sys
import xml.etree.ElementTree as ET

passed = failed = skipped = 0
failures = []

for tree in sys.argv[1:]:
    ctest_file = os.path.join(tree, "ctest-results.xml")
    if not os.path.exists(ctest_file):
        failed += 1
        failures.append(f"{tree}: no CTest results")
        continue
    for case in ET.parse(ctest_file).getroot().iter("testcase"):
        name = case.get("name")
        ctest_failed = case.find("failure") is not None or case.get("status") == "fail"
        result = os.path.join(tree, "test-results", name + ".xml")
        if not os.path.exists(result):
            failed += 1
            failures.append(f"{name}: the program left no results")
            continue
        suite_failed = 0
        for tc in ET.parse(result).getroot().iter("testcase"):
            full = f"{name}: {tc.get('classname')}.{tc.get('name')}"
            if tc.find("failure") is not None:
                failed += 1
                suite_failed += 1
                failures.append(full)
            elif tc.get("result") == "skipped" or tc.find("skipped") is not None:
                skipped += 1
            else:
                passed += 1
        if ctest_failed and suite_failed == 0:
            failed += 1
            failures.append(f"{name}: the program failed after its tests (exit code or crash)")

for f in failures:
    print("FAILED", f)
line = f"{passed} passed, {failed} failed"
if skipped:
    line += f", {skipped} skipped"
print(line)
sys.exit(1 if failed else 0)
