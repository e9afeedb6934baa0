#!/bin/sh
# Configures the Windows presets (configure only, no build) as a host without Debian's names
# would: with a PATH that holds only MinGW-w64's plain triplet names (<target>-g++, -gcc,
# -windres) and ninja.
#
#   toolchain_check.sh SOURCE_DIR CMAKE NINJA
#
# Checks that both presets take the plain names, that a PATH without MinGW-w64 fails with the
# message naming what was looked for, that without GoogleTest configuring still works and says
# in one line that the tests are off, and how the toolchain's common part chooses on a Windows
# host. Exits 77 (skipped) where MinGW-w64 is not installed, unless CI=true.
set -u
src=$1
cmake=$2
ninja=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "toolchain_check: FAIL: $1" >&2; [ -z "${2:-}" ] || cat "$2" >&2; failures=$((failures + 1)); }

mkdir "$work/plain" "$work/none" "$work/msys"
ln -s "$ninja" "$work/plain/ninja"
ln -s "$ninja" "$work/none/ninja"
for target in x86_64-w64-mingw32 i686-w64-mingw32; do
  for tool in g++ gcc windres; do
    # Debian's -posix compiler, else the plain one.
    real=$(command -v "$target-$tool-posix" || command -v "$target-$tool")
    if [ -z "$real" ]; then
      echo "toolchain_check: $target-$tool is not installed" >&2
      if [ "${CI:-}" = true ]; then exit 1; fi
      exit 77
    fi
    ln -s "$real" "$work/plain/$target-$tool"
  done
done

# configure DIR PATH PRESET [ARGS]: configures into $work/DIR with only PATH to search for
# programs; the output goes to $work/DIR.log.
configure() {
  out=$1 path=$2
  shift 2
  (cd "$src" && env PATH="$path" "$cmake" -B "$work/$out" --preset "$@") >"$work/$out.log" 2>&1
}

for target in windows-x64:x86_64-w64-mingw32 windows-x86:i686-w64-mingw32; do
  name=${target%%:*}
  configure "$name" "$work/plain" "$name" || { fail "$name: configuring failed:" "$work/$name.log"; continue; }
  for lang in C:gcc CXX:g++ RC:windres; do
    grep -qxF "set(CMAKE_${lang%%:*}_COMPILER \"$work/plain/${target#*:}-${lang#*:}\")" \
      "$work/$name"/CMakeFiles/*/"CMake${lang%%:*}Compiler.cmake" ||
      fail "$name: the ${lang%%:*} compiler is not ${target#*:}-${lang#*:} from PATH"
  done
done

configure none "$work/none" windows-x64 && fail "configuring without MinGW-w64 succeeded"
tr '\n' ' ' <"$work/none.log" | tr -s ' ' |
  grep -q 'looked for x86_64-w64-mingw32-g++-posix, .* x86_64-w64-mingw32-windres' ||
  fail "without MinGW-w64: no message naming the compilers:" "$work/none.log"

configure no-gtest "$work/plain" windows-x64 -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  -DVERNIX_GTEST_SOURCE_DIR="$work/no-such-dir" || fail "without GoogleTest: failed:" "$work/no-gtest.log"
[ "$(grep -c 'Tests are off' "$work/no-gtest.log")" = 1 ] &&
  grep -q "Tests are off: .*$work/no-such-dir" "$work/no-gtest.log" ||
  fail "without GoogleTest: not one line saying the tests are off and why:" "$work/no-gtest.log"
grep -q '^build vernix\.exe:' "$work/no-gtest/build.ninja" || fail "without GoogleTest: no vernix.exe"
[ ! -e "$work/no-gtest/CTestTestfile.cmake" ] || fail "without GoogleTest: tests were added"

# On a Windows host (MSYS2's shells have plain gcc, g++ and windres on PATH) the common part,
# run in script mode with CMAKE_HOST_WIN32 set, takes the plain names as a native compiler when
# they build for the target, and refuses them when they don't.
for tool in g++ gcc windres; do ln -s "$work/plain/x86_64-w64-mingw32-$tool" "$work/msys/$tool"; done
printf '%s\n' "cmake_minimum_required(VERSION 3.25)" "include($src/cmake/mingw-w64-common.cmake)" \
  'message(STATUS "[${CMAKE_SYSTEM_NAME}] ${CMAKE_C_COMPILER} ${CMAKE_CXX_COMPILER} ${CMAKE_RC_COMPILER}")' \
  >"$work/probe.cmake"
probe() { env PATH="$work/msys" "$cmake" -DCMAKE_HOST_WIN32=1 -DVERNIX_MINGW_TARGET="$1" -P "$work/probe.cmake"; }
probe x86_64-w64-mingw32 >"$work/x64.log" 2>&1
grep -qxF -- "-- [] $work/msys/gcc $work/msys/g++ $work/msys/windres" "$work/x64.log" ||
  fail "Windows host: the plain names are not taken as a native compiler:" "$work/x64.log"
probe i686-w64-mingw32 >"$work/x86.log" 2>&1 && fail "Windows host: a g++ for x86-64 was taken for x86"
grep -q "msys/g++ builds for 'x86_64-w64-mingw32'" "$work/x86.log" ||
  fail "Windows host: the refusal does not say why:" "$work/x86.log"

if [ "$failures" != 0 ]; then exit 1; fi
echo "toolchain_check: plain names taken; missing MinGW-w64 and GoogleTest reported; Windows choice right"
