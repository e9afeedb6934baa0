#!/bin/sh
# apt-get, dpkg, dpkg-query and sudo for the set-up's check, linked under those names first on
# PATH: they record each call in $STANDIN/calls and install nothing ("installed" packages and
# foreign architectures are lines of files there). $STANDIN/registry is the registry played:
# healthy; midsync (the update fails as on a security i386 index of the wrong size, and an i386
# install resolves only with the release as target); refuses32 (wine32:i386 never installs).
state=$STANDIN
registry=$(cat "$state/registry")
tool=$(basename "$0")
[ "$tool" = sudo ] && exec "$@"
echo "$tool $*" >>"$state/calls"
case $tool:${1:-} in
dpkg-query:*)
  eval package=\${$#}
  grep -qxF "$package" "$state/installed" || exit 1
  printf 'install ok installed' ;;
dpkg:--print-foreign-architectures) cat "$state/architectures" 2>/dev/null ;;
dpkg:--add-architecture) echo "$2" >>"$state/architectures" ;;
apt-get:update)
  [ "$registry" = midsync ] || exit 0
  echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
  exit 100 ;;
apt-get:install)
  shift
  target=none packages=
  while [ $# -gt 0 ]; do
    case $1 in -t) target=$2; shift ;; -*) ;; *) packages="$packages $1" ;; esac
    shift
  done
  for package in $packages; do
    case $registry:$target:$package in
    midsync:none:*:i386 | refuses32:*:wine32:i386)
      echo " libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (>= 1.0.0) but it is not installable"
      echo "E: Unable to correct problems, you have held broken packages."
      exit 100 ;;
    *:i386) grep -qx i386 "$state/architectures" 2>/dev/null || { echo "E: Unable to locate package $package"; exit 100; } ;;
    esac
  done
  printf '%s\n' $packages >>"$state/installed" ;;
esac
