#!/bin/sh
# Sets up, builds both presets and runs the whole test suite: the portable core natively under
# the sanitizers, then the Windows-side tests and the real vernix.exe under Wine.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
for preset in native windows-x64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
status=0
ctest --preset native || status=1
ctest --preset windows-x64 || status=1
exit $status
