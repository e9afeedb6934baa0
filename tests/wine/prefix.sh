#!/bin/sh
# The Wine prefix of the Windows-side tests, kept in the build tree (never ~/.wine).
#
#   prefix.sh setup DIR [PROBE]   a fresh prefix in DIR/prefix; as root also a network namespace
#                                 with one usable veth adapter (00:0c:29:ab:cd:ef) and one whose
#                                 address ends in three zero bytes, where its Wine server runs.
#                                 With PROBE (a 32-bit vxbits.exe): whether 32-bit programs run
#                                 here, see probe32 below
#   prefix.sh probe32 DIR PROBE   the same probe alone, in the prefix that is there
#   prefix.sh run DIR EXE [ARG]   runs a Windows executable in that prefix (and namespace),
#                                 with no console input
#   prefix.sh needs32 DIR CMD...  runs CMD, or skips it (exit 77, the reason on one line) where
#                                 the setup found that 32-bit programs can't run here
#   prefix.sh cleanup DIR         stops the prefix's server and removes the namespace
#
# The tests read the adapters' real addresses from /sys/class/net themselves; the namespace
# only makes the set of adapters small and known.
set -eu

WINE=${VERNIX_WINE:-/usr/lib/wine/wine64}
WINESERVER=${VERNIX_WINESERVER:-/usr/lib/wine/wineserver}
# Wine's 32-bit loader, an i386 Linux program. A stand-in that the kernel refuses (an ELF file
# for another machine) shows what a kernel without IA32 emulation does.
WINE32_LOADER=${VERNIX_WINE32_LOADER:-/usr/lib/wine/wine}
# Written by scripts/setup.sh --tests when it asked for wine32:i386 and the registry refused it.
WINE32_REFUSED=${VERNIX_WINE32_REFUSED:-$(dirname "$0")/../../build/setup/wine32-refused}

command=$1
dir=$2
shift 2
prefix=$dir/prefix
export WINEPREFIX="$prefix" WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}
unset DISPLAY

in_namespace() {
  if [ -s "$dir/netns" ]; then
    ip netns exec "$(cat "$dir/netns")" "$@"
  else
    "$@"
  fi
}

# The server and Wine's background processes keep open the standard streams of the process
# that started them: start them with every stream on /dev/null, never with the test's pipes.
warm_up() {
  in_namespace "$WINESERVER" -p30 </dev/null >/dev/null 2>&1 || true
  in_namespace "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
}

# Whether this machine runs 32-bit Windows programs under Wine. Only the kernel's refusal of
# Wine's 32-bit loader ("Exec format error": no IA32 emulation), or a loader that is missing
# because the set-up asked for wine32 and the registry refused it, counts as "can't"; the reason
# is written to DIR/no32. Where the loader starts, the 32-bit PROBE must print "vxbits 32" in
# the prefix: anything else is a broken setup, and fails.
probe32() {
  status=0
  if [ ! -e "$WINE32_LOADER" ]; then
    if [ -s "$WINE32_REFUSED" ]; then
      head -n 1 "$WINE32_REFUSED" >"$dir/no32"
      cat "$dir/no32" >&2
      return 0
    fi
    echo "prefix.sh: Wine's 32-bit loader $WINE32_LOADER is missing: wine32:i386 is not" \
      "installed (sh scripts/setup.sh --tests installs it)" >&2
    return 1
  fi
  answer=$("$WINE32_LOADER" --version 2>&1 </dev/null) || status=$?
  case $status:$answer in
  126:*"Exec format error"*)
    echo "32-bit Windows programs can't run here, the kernel has no IA32 emulation:" \
      "$WINE32_LOADER: Exec format error" >"$dir/no32"
    cat "$dir/no32" >&2
    return 0
    ;;
  0:*) ;;
  *)
    echo "prefix.sh: Wine's 32-bit loader failed ($status): $answer" >&2
    return 1
    ;;
  esac
  answer=$(in_namespace "$WINE" "$1" </dev/null 2>&1) || status=$?
  answer=$(printf '%s' "$answer" | tr -d '\r')
  if [ "$status:$answer" != "0:vxbits 32" ]; then
    echo "prefix.sh: Wine's 32-bit loader starts, but the 32-bit $1 did not run ($status): $answer" >&2
    return 1
  fi
}

case $command in
setup)
  sh "$0" cleanup "$dir"
  rm -rf "$prefix" "$dir/no32"
  mkdir -p "$dir"
  if [ "$(id -u)" = 0 ] && ip netns add "vxwt$$" 2>/dev/null; then
    ns=vxwt$$
    ip netns add "${ns}p"
    ip -n "$ns" link add v0 address 00:0c:29:ab:cd:ef type veth peer name v1 netns "${ns}p"
    ip -n "$ns" link add v2 address 12:34:56:00:00:00 type veth peer name v3 netns "${ns}p"
    ip -n "$ns" link set lo up
    ip -n "$ns" link set v0 up
    echo "$ns" >"$dir/netns"
  else
    echo "prefix.sh: not root or no network namespaces; the tests see this machine's adapters" >&2
  fi
  # The adapters appear under NetworkCards only from the second start of the server.
  in_namespace "$WINE" wineboot -i </dev/null >/dev/null 2>&1
  in_namespace "$WINESERVER" -w
  warm_up
  if [ $# -gt 0 ] && [ -f "$1" ]; then probe32 "$1"; fi
  ;;
probe32)
  mkdir -p "$dir"
  rm -f "$dir/no32"
  probe32 "$1"
  ;;
run)
  # The background processes that the warm-up starts (services.exe and its services) must not
  # inherit the lock: they outlive the call, and one left by a killed run would hold it for good.
  (flock 9; warm_up 9>&-) 9>"$dir/lock"
  in_namespace "$WINE" "$@" </dev/null
  ;;
needs32)
  if [ -s "$dir/no32" ]; then
    echo "skipped: $(cat "$dir/no32")"
    exit 77
  fi
  exec "$@"
  ;;
cleanup)
  if [ -d "$prefix" ]; then
    in_namespace "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    in_namespace "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
  fi
  if [ -s "$dir/netns" ]; then
    ns=$(cat "$dir/netns")
    ip netns del "$ns" 2>/dev/null || true
    ip netns del "${ns}p" 2>/dev/null || true
    rm -f "$dir/netns"
  fi
  ;;
*)
  echo "usage: prefix.sh setup|probe32|run|needs32|cleanup DIR [EXE ARGS]" >&2
  exit 2
  ;;
esac
