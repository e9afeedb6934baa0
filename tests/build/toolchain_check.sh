#!/bin/sh
# Configures the Windows presets (no build) as a host without Debian's compiler names would:
# only MinGW-w64's plain triplet names and ninja on PATH. Both presets must take those names, and
# without GoogleTest configuring must still work and say once that the tests are off.
#
#   toolchain_check.sh SOURCE_DIR CMAKE NINJA    exit 77 where MinGW-w64 is missing (1 under CI)
set -u
src=$1
cmake=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$3" "$work/bin/ninja"
for target in x86_64-w64-mingw32 i686-w64-mingw32; do
  for tool in g++ gcc windres; do
    real=$(command -v "$target-$tool-posix" || command -v "$target-$tool") || {
      echo "toolchain_check: no $target-$tool here" >&2
      [ "${CI:-}" = true ] && exit 1
      exit 77
    }
    ln -s "$real" "$work/bin/$target-$tool"
  done
done

fail() { echo "toolchain_check: $1" >&2; cat "$work/log" >&2; exit 1; }
configure() { (cd "$src" && PATH="$work/bin" "$cmake" --preset "$@") >"$work/log" 2>&1; }

for preset in windows-x64:x86_64-w64-mingw32 windows-x86:i686-w64-mingw32; do
  configure "${preset%:*}" -B "$work/${preset%:*}" || fail "${preset%:*}: configuring failed"
  grep -qF "set(CMAKE_CXX_COMPILER \"$work/bin/${preset#*:}-g++\")" \
    "$work/${preset%:*}"/CMakeFiles/*/CMakeCXXCompiler.cmake || fail "${preset%:*}: not ${preset#*:}-g++"
done
configure windows-x64 -B "$work/no-gtest" -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  -DVERNIX_GTEST_SOURCE_DIR="$work/none" || fail "without GoogleTest: configuring failed"
[ "$(grep -c "Tests are off: .*$work/none" "$work/log")" = 1 ] ||
  fail "without GoogleTest: not one line saying the tests are off and why"
echo "toolchain_check: both presets take the plain names; without GoogleTest the tests are off"
