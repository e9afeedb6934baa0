#!/bin/sh
# Installs the Debian packages that building and testing VERNIX needs, where they are missing.
# The 32-bit vernix.exe runs under Wine's 32-bit runtime (wine32, an i386 package): it comes in
# with the rest, before any Wine prefix is made, since a prefix made without it can't start
# 32-bit programs.
set -eu

PACKAGES="cmake ninja-build g++ clang python3 googletest mingw-w64 g++-mingw-w64-x86-64
g++-mingw-w64-i686 wine64 wine32:i386 xvfb x11-utils xdotool iproute2 util-linux"

missing=
for package in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $package"
done
[ -z "$missing" ] && exit 0

echo "setup: installing$missing" >&2
sudo=
[ "$(id -u)" = 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -q >/dev/null
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing >/dev/null
