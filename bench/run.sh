#!/bin/sh
# The benchmark of both vernix.exe builds under Wine (run as root: it uses network namespaces).
#
#   bench/run.sh [X64_BUILD_DIR [X86_BUILD_DIR]]   default build/windows-x64, build/windows-x86
#
# Environment: VXBENCH_BATCHES (default 3) batches of VXBENCH_ROUNDS (default 13) rounds in
# each namespace, the namespaces taking turns batch by batch, so that a burst of other load on
# the machine doesn't fall on one namespace only; VXBENCH_VERBOSE=1 also prints every batch.
#
# It builds only what is missing from the build directories, then sets up two network
# namespaces, each with its own Wine prefix whose server runs inside it and stays warm: one with
# a single usable veth adapter, one with 36. In each, bench_runner.exe (the 64-bit one, run
# inside Wine, timing with QueryPerformanceCounter) starts the programs in turn, round after
# round, with no console and every standard stream on NUL, and with no display, so that
# vernix.exe's message box returns at once. Each build's vernix.exe is measured against the
# floor and no-op programs built for the same architecture. The programs run from a scratch
# copy, where vernix.exe writes its report.
#
# The figures pool all batches: medians over all rounds, and ratios as the median over rounds of
# the ratio of two programs' times in the same round.
#
# Exit status 0 when everything ran (whether or not the targets are met), 1 otherwise.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build_x64=${1:-$root/build/windows-x64}
build_x86=${2:-$root/build/windows-x86}
batches=${VXBENCH_BATCHES:-3}
rounds=${VXBENCH_ROUNDS:-13}
WINE=${VXBENCH_WINE:-/usr/lib/wine/wine64}
WINESERVER=${VXBENCH_WINESERVER:-/usr/lib/wine/wineserver}

fail() { echo "bench: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || fail "run me as root (network namespaces)"

# --- the programs of each build
programs="vernix.exe bench/noop.exe bench/floor.exe"
for arch in x64 x86; do
  eval "build=\$build_$arch"
  missing=
  for exe in $programs bench/bench_runner.exe; do [ -f "$build/$exe" ] || missing=1; done
  if [ -n "$missing" ]; then
    echo "bench: building what is missing in $build" >&2
    (cd "$root" && cmake --preset "windows-$arch" -B "$build" >/dev/null &&
      cmake --build "$build" -j2 --target vernix bench_runner noop floor >/dev/null) ||
      fail "build failed"
  fi
done

# --- scratch, namespaces, prefixes; all of it goes at the end, whatever happens
work=$(mktemp -d /tmp/vxbench.XXXXXX)
tag=vxbench$$
export WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
unset DISPLAY WAYLAND_DISPLAY

in_ns() {   # in_ns NAME COMMAND...: runs in namespace NAME with that namespace's prefix
  ns=$1
  shift
  WINEPREFIX=$work/prefix-$ns ip netns exec "$tag-$ns" "$@"
}

cleanup() {
  for ns in 1 36; do
    if [ -d "$work/prefix-$ns" ] && ip netns list | grep -q "^$tag-$ns\b"; then
      in_ns "$ns" "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
      in_ns "$ns" "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    fi
    ip netns del "$tag-$ns" 2>/dev/null || true
    ip netns del "$tag-${ns}p" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# Namespace N with N usable veth adapters (their peers in a second namespace, so that each
# counts once). Addresses 00:0c:29:ab:cd:ef, then 00:0c:29:10:00:02 and on: the last three
# bytes are never all zero, so each adapter is usable.
make_namespace() {
  n=$1
  ip netns add "$tag-$n"
  ip netns add "$tag-${n}p"
  ip -n "$tag-$n" link set lo up
  i=1
  while [ "$i" -le "$n" ]; do
    if [ "$i" = 1 ]; then address=00:0c:29:ab:cd:ef; else address=$(printf '00:0c:29:10:00:%02x' "$i"); fi
    ip -n "$tag-$n" link add "v$i" address "$address" type veth peer name "p$i" netns "$tag-${n}p"
    ip -n "$tag-$n" link set "v$i" up
    i=$((i + 1))
  done
}

# The server stays up (persistent) and warm; Wine's background processes are started now, with
# every stream on /dev/null, so they never hold a pipe of ours open.
start_server() {
  in_ns "$1" "$WINESERVER" -p </dev/null >/dev/null 2>&1
  in_ns "$1" "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
}

windows_path() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }

echo "bench: setting up (two namespaces, one Wine prefix each) ..." >&2
make_namespace 1
make_namespace 36
# One prefix initialised inside the first namespace; the second is a copy (the adapters under
# NetworkCards are listed afresh by each start of a prefix's server, from its namespace).
in_ns 1 "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || fail "wineboot failed"
in_ns 1 "$WINESERVER" -w
cp -a "$work/prefix-1" "$work/prefix-36"
start_server 1
start_server 36

for ns in 1 36; do
  for arch in x64 x86; do
    eval "build=\$build_$arch"
    mkdir -p "$work/run-$ns/$arch"
    for exe in $programs; do cp "$build/$exe" "$work/run-$ns/$arch/"; done
  done
  cp "$build_x64/bench/bench_runner.exe" "$work/run-$ns/"
done

# vernix.exe runs in full once first, its output kept: it must list every adapter, exit with
# 0 and write its report. This run also stores the default adapter, as any first run would;
# the timed runs that follow find it already stored.
check_full_run() {
  ns=$1
  dir=$work/run-$ns/$2
  status=0
  (cd "$dir" && in_ns "$ns" timeout 60 "$WINE" vernix.exe </dev/null >"$work/out-$ns" 2>"$work/err-$ns") ||
    status=$?
  listed=$(grep -Ec '^[1-9A-Z\[\\] : [0-9A-F]{8} : ' "$work/out-$ns" || true)
  report=$(ls "$dir"/vernix_*_*.txt 2>/dev/null | head -n 1)
  if [ "$status" != 0 ] || [ "$listed" != "$ns" ] || [ -z "$report" ]; then
    echo "bench: $2 vernix.exe with $ns adapter(s): exit status $status, $listed listed," \
      "report: ${report:-none}" >&2
    sed 's/^/  | /' "$work/out-$ns" "$work/err-$ns" >&2
    exit 1
  fi
  rm -f "$report"
}
for arch in x64 x86; do
  check_full_run 1 $arch
  check_full_run 36 $arch
done

# bench BATCH NS COMMAND-LINE...: one batch of bench_runner.exe in namespace NS; its runs are
# added to $work/raw-NS as "BATCH.ROUND PROGRAM MS".
bench() {
  batch=$1
  ns=$2
  shift 2
  runner=$(windows_path "$work/run-$ns/bench_runner.exe")
  status=0
  in_ns "$ns" "$WINE" "$runner" --rounds "$rounds" --timeout-ms 20000 --raw -- "$@" \
    </dev/null >"$work/batch" 2>&1 || status=$?
  if [ "$status" != 0 ] || [ -n "${VXBENCH_VERBOSE:-}" ]; then
    echo "-- batch $batch, $ns adapter(s)"
    grep -v '^raw ' "$work/batch"
  fi
  [ "$status" = 0 ] || fail "bench_runner.exe failed in the namespace with $ns adapter(s)"
  tr -d '\r' <"$work/batch" |
    awk -v b="$batch" '$1 == "raw" { print b "." $2, $3, $4 }' >>"$work/raw-$ns"
}

median_of() {   # the median of the numbers on standard input, one a line
  sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
runs_of() { awk -v p="$2" '$2 == p { print $3 }' "$1"; }
median() { runs_of "$1" "$2" | median_of; }
fastest() { runs_of "$1" "$2" | sort -g | head -n 1; }
slowest() { runs_of "$1" "$2" | sort -g | tail -n 1; }
ratio() {   # ratio RAW P Q: median over rounds of time(P) / time(Q) in the same round
  awk -v p="$2" -v q="$3" '$2 == p { tp[$1] = $3 } $2 == q { tq[$1] = $3 }
    END { for (r in tp) print tp[r] / tq[r] }' "$1" | median_of
}

# table RAW NAME...: the pooled figures of one namespace, one line per program; the ratio is
# the median over rounds of the program's time over vernix.exe's in the same round
table() {
  raw=$1
  shift
  printf '%3s %10s %12s %9s %9s  %s\n' "#" "median ms" "ratio to #1" "min ms" "max ms" "program"
  p=1
  for name in "$@"; do
    printf '%3d %10.2f %12.3f %9.2f %9.2f  %s\n' "$p" "$(median "$raw" "$p")" \
      "$(ratio "$raw" "$p" 1)" "$(fastest "$raw" "$p")" "$(slowest "$raw" "$p")" "$name"
    p=$((p + 1))
  done
}

# The programs of a build in a namespace's scratch folder, in the order of the tables: vernix.exe,
# no-op, floor, the floor's adapter calls alone.
echo "bench: $batches batches of $rounds rounds (each after a warm-up round) in each namespace" >&2
b=1
while [ "$b" -le "$batches" ]; do
  for ns in 1 36; do
    # For each build vernix.exe, no-op, floor and the floor's adapter calls alone; with one
    # adapter also the ipconfig of each architecture (64-bit in system32, 32-bit in syswow64).
    x64=$(windows_path "$work/run-$ns/x64")
    x86=$(windows_path "$work/run-$ns/x86")
    set -- "$x64\\vernix.exe" "$x64\\noop.exe" "$x64\\floor.exe" "$x64\\floor.exe --adapters-only" \
      "$x86\\vernix.exe" "$x86\\noop.exe" "$x86\\floor.exe" "$x86\\floor.exe --adapters-only"
    [ "$ns" = 36 ] ||
      set -- "$@" 'C:\windows\system32\ipconfig.exe /all' 'C:\windows\syswow64\ipconfig.exe /all'
    bench "$b" "$ns" "$@"
  done
  b=$((b + 1))
done
# The timed runs of vernix.exe must have written its report again.
for ns in 1 36; do
  for arch in x64 x86; do
    ls "$work/run-$ns/$arch"/vernix_*_*.txt >/dev/null 2>&1 ||
      fail "the timed runs of the $arch vernix.exe wrote no report ($ns adapter(s))"
  done
done

set -- "x64 vernix.exe" "x64 noop.exe" "x64 floor.exe" "x64 floor.exe --adapters-only" \
  "x86 vernix.exe" "x86 noop.exe" "x86 floor.exe" "x86 floor.exe --adapters-only"
total=$((batches * rounds))
echo
echo "== one usable adapter: $total rounds, each program once per round, in this order"
table "$work/raw-1" "$@" "x64 ipconfig.exe /all" "x86 ipconfig.exe /all"
echo
echo "== 36 usable adapters: $total rounds (vernix.exe has no console: it takes the default)"
table "$work/raw-36" "$@"

# figures ARCH FIRST IPCONFIG STRIP: the figures and targets of one build, whose programs start
# at position FIRST of the tables, against the ipconfig of its own architecture at IPCONFIG.
figures() {
  arch=$1
  v=$2; n=$(($2 + 1)); f=$(($2 + 2)); a=$(($2 + 3)); i=$3
  stripped=$work/vernix-$arch-stripped.exe
  cp "$work/run-1/$arch/vernix.exe" "$stripped"
  "$4" "$stripped"
  size=$(stat -c %s "$stripped")
  echo
  echo "== figures, $arch build (against the $arch floor and no-op)"
  awk -v v1="$(median "$work/raw-1" $v)" -v v36="$(median "$work/raw-36" $v)" \
    -v f1="$(median "$work/raw-1" $f)" -v f36="$(median "$work/raw-36" $f)" \
    -v a1="$(median "$work/raw-1" $a)" -v a36="$(median "$work/raw-36" $a)" \
    -v mv1="$(fastest "$work/raw-1" $v)" -v mv36="$(fastest "$work/raw-36" $v)" \
    -v mf1="$(fastest "$work/raw-1" $f)" -v mf36="$(fastest "$work/raw-36" $f)" \
    -v noop="$(median "$work/raw-1" $n)" -v noop36="$(median "$work/raw-36" $n)" \
    -v ipc="$(median "$work/raw-1" $i)" \
    -v vf="$(ratio "$work/raw-1" $v $f)" -v vi="$(ratio "$work/raw-1" $v $i)" \
    -v size="$size" -v arch="$arch" '
function verdict(ok) { return ok ? "met" : "NOT met" }
BEGIN {
  pv = (v36 - v1) / 35; pf = (f36 - f1) / 35; pa = (a36 - a1) / 35
  printf "one adapter, median ms:  vernix.exe %.1f, floor.exe %.1f, adapter calls alone %.1f," \
         " %s ipconfig /all %.1f, no-op %.1f\n", v1, f1, a1, arch, ipc, noop
  printf "36 adapters, median ms:  vernix.exe %.1f, floor.exe %.1f, adapter calls alone %.1f," \
         " no-op %.1f\n", v36, f36, a36, noop36
  printf "cost per added adapter, (t36 - t1) / 35 of the medians:  vernix.exe %.2f ms," \
         " floor.exe %.2f ms, adapter calls alone %.2f ms\n", pv, pf, pa
  printf "  the same from the fastest runs:  vernix.exe %.2f ms, floor.exe %.2f ms\n",
         (mv36 - mv1) / 35, (mf36 - mf1) / 35
  printf "stripped vernix.exe (%s): %d bytes\n\n", arch, size
  printf "%-44s %-16s %s\n", "target", "measured", "verdict"
  printf "%-44s %-16s %s\n", "full run <= 1.2 x floor.exe", sprintf("%.3f x", vf), verdict(vf <= 1.2)
  printf "%-44s %-16s %s\n", "full run <= 1.5 x " arch " ipconfig /all", sprintf("%.3f x", vi),
         verdict(vi <= 1.5)
  printf "%-44s %-16s %s\n", "per added adapter <= 1.5 x floor.exe", \
         (pf > 0 ? sprintf("%.2f x", pv / pf) : "floor <= 0"), verdict(pf > 0 && pv <= 1.5 * pf)
  printf "%-44s %-16s %s\n", "vernix.exe <= 96 KiB (98304 bytes)", sprintf("%d bytes", size),
         verdict(size <= 98304)
}'
}
figures x64 1 9 x86_64-w64-mingw32-strip
figures x86 5 10 i686-w64-mingw32-strip

echo
echo "== the 32-bit build next to the 64-bit one"
awk -v a1="$(median "$work/raw-1" 1)" -v b1="$(median "$work/raw-1" 5)" \
  -v a36="$(median "$work/raw-36" 1)" -v b36="$(median "$work/raw-36" 5)" \
  -v r1="$(ratio "$work/raw-1" 5 1)" -v r36="$(ratio "$work/raw-36" 5 1)" '
BEGIN {
  printf "one adapter, median ms:  x64 %.1f, x86 %.1f (x86 / x64 in the same round: %.3f)\n",
         a1, b1, r1
  printf "36 adapters, median ms:  x64 %.1f, x86 %.1f (x86 / x64 in the same round: %.3f)\n",
         a36, b36, r36
  printf "cost per added adapter:  x64 %.2f ms, x86 %.2f ms\n", (a36 - a1) / 35, (b36 - b1) / 35
}'
