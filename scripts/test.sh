#!/bin/sh
# Sets up, builds every preset and runs the whole test suite: the portable core natively under
# the sanitizers, then the Windows-side tests and the real vernix.exe under Wine, for the 64-bit
# and the 32-bit build. Both builds come first: the 64-bit suite runs the two side by side.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh --tests
for preset in native windows-x64 windows-x86; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
status=0
for preset in native windows-x64 windows-x86; do
  ctest --preset "$preset" --output-junit junit.xml || status=1
done
# Last, the counts of all presets and which tests were skipped and why (on a kernel without
# IA32 emulation, every test that starts a 32-bit program).
python3 tests/summary.py build/native/junit.xml build/windows-x64/junit.xml \
  build/windows-x86/junit.xml
exit $status
