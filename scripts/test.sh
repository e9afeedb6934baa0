#!/bin/sh
# Sets up, builds every preset and runs the whole test suite: the portable core natively under
# the sanitizers, then the Windows-side tests and the real vernix.exe under Wine (and the 32-bit
# one on ReactOS in qemu), for the 64-bit and the 32-bit build. Both builds come first: the
# 64-bit suite runs the two side by side. The two Windows suites run at the same time, each
# test's lines marked with its preset: most of their time is spent waiting on Wine and qemu.
set -eu
cd "$(dirname "$0")/.."
started=$(date +%s)
sh scripts/setup.sh --tests
for preset in native windows-x64 windows-x86; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
status=0
ctest --preset native --output-junit junit.xml || status=1
for preset in windows-x64 windows-x86; do
  rm -f "build/$preset/ctest.status"
  { code=0
    ctest --preset "$preset" -j 2 --output-junit junit.xml 2>&1 || code=$?
    echo "$code" >"build/$preset/ctest.status"; } | sed -u "s/^/$preset: /" &
done
wait
for preset in windows-x64 windows-x86; do
  [ "$(cat "build/$preset/ctest.status" 2>/dev/null)" = 0 ] || status=1
done
# Last, the counts of all presets and which tests were skipped and why (on a kernel without
# IA32 emulation, every test that starts a 32-bit program).
python3 tests/summary.py build/native/junit.xml build/windows-x64/junit.xml \
  build/windows-x86/junit.xml || status=1
echo "test: the whole command took $(($(date +%s) - started)) s"
exit $status
