#!/bin/sh
# Configures the Windows presets (no build) as a host without Debian's compiler names would:
# only MinGW-w64's plain triplet names and ninja on PATH. Both presets must take those names, and
# without GoogleTest configuring must still work and say once that the tests are off. A MinGW-w64
# that links the Universal C Runtime (stood in for by these compilers with _UCRT defined, as that
# toolchain's headers define it) must stop configuring with one message naming the alternatives.
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
configure() { (cd "$src" && PATH="${bin:-$work/bin}" "$cmake" --preset "$@") >"$work/log" 2>&1; }

for preset in windows-x64:x86_64-w64-mingw32 windows-x86:i686-w64-mingw32; do
  configure "${preset%:*}" -B "$work/${preset%:*}" || fail "${preset%:*}: configuring failed"
  grep -qF "set(CMAKE_CXX_COMPILER \"$work/bin/${preset#*:}-g++\")" \
    "$work/${preset%:*}"/CMakeFiles/*/CMakeCXXCompiler.cmake || fail "${preset%:*}: not ${preset#*:}-g++"
done
configure windows-x64 -B "$work/no-gtest" -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  -DVERNIX_GTEST_SOURCE_DIR="$work/none" || fail "without GoogleTest: configuring failed"
[ "$(grep -c "Tests are off: .*$work/none" "$work/log")" = 1 ] ||
  fail "without GoogleTest: not one line saying the tests are off and why"

mkdir "$work/ucrt"
for tool in g++ gcc windres; do
  real=$(readlink "$work/bin/x86_64-w64-mingw32-$tool")
  if [ "$tool" = windres ]; then
    ln -s "$real" "$work/ucrt/x86_64-w64-mingw32-$tool"
  else
    printf '#!/bin/sh\nexec "%s" -D_UCRT "$@"\n' "$real" >"$work/ucrt/x86_64-w64-mingw32-$tool"
    chmod +x "$work/ucrt/x86_64-w64-mingw32-$tool"
  fi
done
ln -s "$3" "$work/ucrt/ninja"
bin=$work/ucrt configure windows-x64 -B "$work/ucrt-build" && fail "Universal C Runtime: configured"
message=$(tr -s ' \n' ' ' <"$work/log")   # CMake wraps the message's lines
[ "$(grep -c "CMake Error" "$work/log")" = 1 ] &&
  echo "$message" | grep -q "links the Universal C Runtime.*MINGW64 shell.*Debian's mingw-w64" ||
  fail "Universal C Runtime: not one message naming the toolchains that link msvcrt.dll"
echo "toolchain_check: both presets take the plain names; without GoogleTest the tests are off;" \
  "a Universal C Runtime toolchain is refused"
