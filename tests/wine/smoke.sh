#!/bin/sh
# Smoke run of the real vernix.exe under Wine, with no display and no console input: it lists
# the adapters, settles on one without waiting, writes its report next to itself and, with no
# desktop for the message box, prints where the report went.
set -eu
here=$(dirname "$0")
exe=$1
dir=$2
work=$dir/smoke
rm -rf "$work"
mkdir -p "$work"
cp "$exe" "$work/vernix.exe"

status=0
sh "$here/prefix.sh" run "$dir" "$work/vernix.exe" >"$work/out" 2>"$work/err" || status=$?
fail() { echo "smoke: $*" >&2; echo "--- stdout" >&2; cat "$work/out" >&2; echo "--- stderr" >&2; cat "$work/err" >&2; exit 1; }

[ "$status" = 0 ] || fail "exit status $status"
grep -Eq '^1 : [0-9A-F]{8} : ' "$work/out" || fail "no adapter list line"
report=$(ls "$work"/vernix_*_*.txt 2>/dev/null | head -n 1)
[ -n "$report" ] || fail "no report file next to the executable"
name=$(basename "$report")
grep -q "VERNIX information has been written to \"Z:.*\\\\$name\"\\." "$work/out" ||
  fail "final message missing from standard output"
printf 'Model:               \t' >"$work/expect"
head -c 22 "$report" | cmp -s - "$work/expect" || fail "report does not begin with the Model: line"
lines=$(wc -l <"$report")
[ "$lines" -ge 2 ] && [ "$(grep -c "$(printf '\r')\$" "$report")" = "$lines" ] ||
  fail "report lines do not end in CR LF"
[ -s "$work/err" ] && fail "unexpected standard error"
echo "smoke: $(head -n 1 "$work/out") -> $name"
