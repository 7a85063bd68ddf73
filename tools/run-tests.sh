#!/usr/bin/env bash
# Runs every test of the built trees (native, then the Windows tests under
# Wine) and ends with one line: N passed, N failed. Exits non-zero when any
# test failed or a test program did not report.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

status=0
for tree in build/native build/mingw64; do
  [ -f "$tree/CTestTestfile.cmake" ] || { echo "missing test tree $tree (run make build)"; status=1; continue; }
  rm -f "$tree"/test-results/*.xml
  echo "== tests in $tree"
  ctest --test-dir "$tree" --output-on-failure --output-junit "$root/$tree/ctest-results.xml" || status=1
done

python3 tools/test-summary.py build/native build/mingw64 || status=1
exit $status
