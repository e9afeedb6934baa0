#!/bin/sh
# scripts/setup.sh against the registries that tests/setup/standin.sh plays, on a machine that
# has none of the packages: what it asks for and what it concludes. Nothing is installed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
failures=0
fail() {
  echo "setup_check: FAIL: $case: $*" >&2
  sed 's/^/  | /' "$state/out" >&2
  failures=$((failures + 1))
}

# setup.sh ARGS, with the stand-ins playing REGISTRY in the folder NAME (kept from run to run).
play() {
  case=$1 registry=$2
  shift 2
  state=$work/$case
  mkdir -p "$state/bin"
  touch "$state/installed" && : >"$state/calls"
  echo "$registry" >"$state/registry"
  for tool in apt-get dpkg dpkg-query sudo; do ln -sf "$here/standin.sh" "$state/bin/$tool"; done
  STANDIN=$state PATH=$state/bin:$PATH VERNIX_SETUP_WAIT=0 VERNIX_WINE32_REFUSED=$state/refused \
    sh "$here/../../scripts/setup.sh" "$@" >"$state/out" 2>&1
  status=$?
}
asked() { grep -c "^$1" "$state/calls"; }
installs() { grep "^apt-get install" "$state/calls"; }

for registry in healthy midsync refuses32; do
  play "$registry-run" "$registry"
  [ "$status" = 0 ] || fail "exit status $status"
  grep -q wine64 "$state/installed" || fail "wine64 not installed"
  grep -q -e "i386" "$state/calls" && fail "asked for i386: $(grep i386 "$state/calls")"
  [ "$(asked "apt-get install")" = 1 ] || fail "not one install: $(installs)"
done
[ "$(grep -c "apt-get update" "$work/midsync-run/calls")" = 3 ] ||
  { case=midsync-run state=$work/midsync-run; fail "the failing update was not tried 3 times"; }

play healthy-tests healthy --tests
[ "$status" = 0 ] && [ "$(asked "apt-get update")" = 1 ] || fail "status $status, updates"
installs | grep -q " wine32:i386" && ! installs | grep -q -- "-t " || fail "$(installs)"
sed -n '/add-architecture/,$p' "$state/calls" | grep -q "^apt-get install" ||
  fail "i386 added after the install"
play healthy-tests healthy --tests
[ "$status" = 0 ] && [ "$(asked apt-get)" = 0 ] || fail "asked again for what is installed"

play midsync-tests midsync --tests
[ "$status" = 0 ] && [ ! -e "$state/refused" ] || fail "status $status or wine32 refused"
[ "$(asked "apt-get install")" = 2 ] && installs | tail -n 1 | grep -q -- "-t $codename .*wine32" ||
  fail "not once more with -t $codename: $(installs)"
grep -q "trying once more with the release's own suite as the target (-t $codename)" "$state/out" ||
  fail "the fallback is not said"
grep -qx wine32:i386 "$state/installed" || fail "wine32:i386 not installed"

play refuses32-tests refuses32 --tests
reason="32-bit Windows programs can't run here: the set-up could not install wine32:i386: E: \
Unable to correct problems, you have held broken packages."
[ "$status" = 0 ] && [ "$(cat "$state/refused")" = "$reason" ] ||
  fail "status $status, record: $(cat "$state/refused" 2>&1)"
grep -q xdotool "$state/installed" && ! grep -q wine32 "$state/installed" || fail "installed"
# The tests that start 32-bit programs skip with that reason where the loader is missing.
VERNIX_WINE32_REFUSED=$state/refused VERNIX_WINE32_LOADER=$state/none \
  sh "$here/../wine/prefix.sh" probe32 "$state/tests" "$state/none.exe" 2>/dev/null || fail probe32
out=$(sh "$here/../wine/prefix.sh" needs32 "$state/tests" echo ran)
[ "$?:$out" = "77:skipped: $reason" ] || fail "needs32: $out"
cp "$state/refused" "$work/refused"
play refuses32-tests healthy --tests
[ "$status" = 0 ] && [ ! -e "$state/refused" ] || fail "the refusal outlived the install"
cp "$work/refused" "$state/refused"   # as if wine32 had been installed by hand since
play refuses32-tests refuses32 --tests
[ "$(asked apt-get)" = 0 ] && [ ! -e "$state/refused" ] || fail "a refusal kept beside wine32"

[ "$failures" = 0 ] && echo "setup_check: passed"
exit "$failures"
