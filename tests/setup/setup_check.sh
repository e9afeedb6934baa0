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

# setup.sh ARGS, with the stand-ins playing REGISTRY in the folder CASE (kept from run to run).
play() {
  case=$1 state=$work/$1
  mkdir -p "$state/bin" && touch "$state/installed" && : >"$state/calls"
  echo "$2" >"$state/registry"
  for tool in apt-get dpkg dpkg-query sudo; do ln -sf "$here/standin.sh" "$state/bin/$tool"; done
  shift 2
  STANDIN=$state PATH=$state/bin:$PATH VERNIX_SETUP_WAIT=0 VERNIX_WINE32_REFUSED=$state/refused \
    sh "$here/../../scripts/setup.sh" "$@" >"$state/out" 2>&1
  status=$?
}
asked() { grep -c "^$1" "$state/calls"; }
installs() { grep "^apt-get install" "$state/calls"; }

for registry in healthy midsync refuses32; do
  play "$registry-run" "$registry"
  [ "$status" = 0 ] && grep -q wine64 "$state/installed" || fail "status $status"
  ! grep i386 "$state/calls" && [ "$(asked "apt-get install")" = 1 ] || fail "$(installs)"
  [ "$registry" != midsync ] || [ "$(asked "apt-get update")" = 3 ] || fail "updates"
done

play healthy-tests healthy --tests
[ "$status" = 0 ] && installs | grep -q " wine32:i386" && ! installs | grep -q -- "-t " &&
  sed -n '/add-architecture/,$p' "$state/calls" | grep -q "^apt-get install" || fail "$(installs)"
play healthy-tests healthy --tests
[ "$status" = 0 ] && [ "$(asked apt-get)" = 0 ] || fail "asked again for what is installed"

play midsync-tests midsync --tests
[ "$status" = 0 ] && [ ! -e "$state/refused" ] && grep -qx wine32:i386 "$state/installed" &&
  installs | tail -n 1 | grep -q -- "-t $codename .*wine32" || fail "no -t $codename: $(installs)"
grep -q "trying once more with the release's own suite as the target (-t $codename)" \
  "$state/out" || fail "the fallback is not said"

play refuses32-tests refuses32 --tests
reason="32-bit Windows programs can't run here: the set-up could not install wine32:i386: E: \
Unable to correct problems, you have held broken packages."
[ "$status" = 0 ] && [ "$(cat "$state/refused")" = "$reason" ] &&
  grep -q xdotool "$state/installed" || fail "status $status, record: $(cat "$state/refused")"
# The tests that start 32-bit programs skip with that reason where the loader is missing.
VERNIX_WINE32_REFUSED=$state/refused VERNIX_WINE32_LOADER=$state/none \
  sh "$here/../wine/prefix.sh" probe32 "$state/tests" "$state/none.exe" 2>/dev/null || fail probe32
out=$(sh "$here/../wine/prefix.sh" needs32 "$state/tests" echo ran)
[ "$?:$out" = "77:skipped: $reason" ] || fail "needs32: $out"
play refuses32-tests healthy --tests
[ "$status" = 0 ] && [ ! -e "$state/refused" ] || fail "the refusal outlived the install"

[ "$failures" = 0 ] && echo "setup_check: passed"
exit "$failures"
