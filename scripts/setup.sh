#!/bin/sh
# Installs the Debian packages that VERNIX needs, where they are missing.
#
#   setup.sh           what building and running the 64-bit vernix.exe needs
#   setup.sh --tests   also the test tools and Wine's 32-bit runtime (wine32, an i386 package)
#
# The package registry can be caught in mid-sync: an index whose size its Release file doesn't
# give makes `apt-get update` fail on every try for hours. The update is tried a few times and
# then the set-up goes on with the lists it has: what counts is whether the packages install.
# Without the security suite's i386 index, i386 libraries can't take the amd64 versions of that
# suite, and the install can't be resolved; it is tried once more with the release's own suite
# as the target. Where wine32 still can't be installed, everything else is, the refusal is
# recorded, and the tests that start 32-bit programs skip with it as their reason
# (tests/wine/prefix.sh); wine32 is asked for again on the next run.
set -eu

RUN_PACKAGES="cmake ninja-build python3 g++-mingw-w64-x86-64 wine64"
# qemu-system-x86, mtools and dosfstools boot the ReactOS stage's guest and make its data disk.
TEST_PACKAGES="g++ clang googletest mingw-w64 g++-mingw-w64-i686 xvfb x11-utils xdotool iproute2
util-linux qemu-system-x86 mtools dosfstools"
# Install it before any Wine prefix is made: a prefix made without it can't start 32-bit programs.
WINE32=wine32:i386
TRIES=${VERNIX_SETUP_TRIES:-3}
WAIT=${VERNIX_SETUP_WAIT:-5}
RECORD=${VERNIX_WINE32_REFUSED:-$(dirname "$0")/../build/setup/wine32-refused}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
last_error() { grep '^E: ' "$1" | tail -n 1; }

tests=false
wanted=$RUN_PACKAGES
if [ "${1:-}" = --tests ]; then
  tests=true
  wanted="$wanted $TEST_PACKAGES $WINE32"
fi
missing=
for package in $wanted; do
  installed "$package" || missing="$missing $package"
done
if $tests && installed "$WINE32"; then rm -f "$RECORD"; fi
[ -z "$missing" ] && exit 0

echo "setup: installing$missing" >&2
sudo=
[ "$(id -u)" = 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT
case " $missing " in
*" $WINE32 "*)
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386 ;;
esac

try=1
until $sudo apt-get update -q >"$log/update" 2>&1; do
  if [ "$try" -ge "$TRIES" ]; then
    echo "setup: apt-get update failed $try times, going on with the package lists it has:" \
      "$(grep '^E: ' "$log/update" | head -n 1)" >&2
    break
  fi
  try=$((try + 1))
  sleep "$WAIT"
done

# Installs the packages; where that fails, once more with the release's own suite as the target.
# apt's output of the last attempt is in $log/install.
install() {
  # shellcheck disable=SC2086
  $sudo apt-get install -y -q --no-install-recommends "$@" >"$log/install" 2>&1 && return 0
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || return 1
  echo "setup: the install failed ($(last_error "$log/install")); trying once more with the" \
    "release's own suite as the target (-t $codename)" >&2
  # shellcheck disable=SC2086
  $sudo apt-get install -y -q --no-install-recommends -t "$codename" "$@" >"$log/install" 2>&1
}

# shellcheck disable=SC2086
if install $missing; then
  rm -f "$RECORD"
  exit 0
fi
case " $missing " in
*" $WINE32 "*)
  refusal=$(last_error "$log/install")
  rest=
  for package in $missing; do [ "$package" = "$WINE32" ] || rest="$rest $package"; done
  # shellcheck disable=SC2086
  if [ -z "$rest" ] || install $rest; then
    mkdir -p "$(dirname "$RECORD")"
    echo "32-bit Windows programs can't run here: the set-up could not install $WINE32:" \
      "${refusal:-apt-get install failed}" >"$RECORD"
    echo "setup: $WINE32 could not be installed (${refusal:-apt-get install failed}); the tests" \
      "that start 32-bit programs will be skipped" >&2
    exit 0
  fi
  ;;
esac
echo "setup: the packages could not be installed. apt-get said:" >&2
grep -h -e '^E: ' -e '^W: ' "$log/update" >&2 || true
grep -h -e '^E: ' -e 'Depends: ' -e 'but it is not' "$log/install" >&2 || true
exit 1
