#!/bin/sh
# The Wine prefix of the Windows-side tests, kept in the build tree (never ~/.wine).
#
#   prefix.sh setup DIR           a fresh prefix in DIR/prefix; as root also a network namespace
#                                 with one usable veth adapter (00:0c:29:ab:cd:ef) and one whose
#                                 address ends in three zero bytes, where its Wine server runs
#   prefix.sh run DIR EXE [ARG]   runs a Windows executable in that prefix (and namespace),
#                                 with no console input
#   prefix.sh cleanup DIR         stops the prefix's server and removes the namespace
#
# The tests read the adapters' real addresses from /sys/class/net themselves; the namespace
# only makes the set of adapters small and known.
set -eu

WINE=${VERNIX_WINE:-/usr/lib/wine/wine64}
WINESERVER=${VERNIX_WINESERVER:-/usr/lib/wine/wineserver}

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

case $command in
setup)
  sh "$0" cleanup "$dir"
  rm -rf "$prefix"
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
  ;;
run)
  (flock 9; warm_up) 9>"$dir/lock"
  in_namespace "$WINE" "$@" </dev/null
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
  echo "usage: prefix.sh setup|run|cleanup DIR [EXE ARGS]" >&2
  exit 2
  ;;
esac
