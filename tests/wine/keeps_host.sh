#!/bin/sh
# keeps_host.sh DIR TESTS: the Windows-side tests TESTS, run in the prefix of DIR (prefix.sh) as on
# a machine that holds a stored choice, its address record and a key beside them, leave all three
# as they were: reg's listing of SOFTWARE\Orlenk (32-bit view) is the same before and after.
# What this script put there it removes again.
set -eu
dir=$1 tests=$2 key='HKLM\SOFTWARE\Orlenk' card='{00000009-0000-0000-0000-4E6574446576}'
reg() { sh "$(dirname "$0")/prefix.sh" run "$dir" reg "$@" /reg:32; }
if reg query "$key" >/dev/null 2>&1; then echo "keeps_host: $key is there already" >&2; exit 1; fi
trap 'reg delete "$key" /f >/dev/null 2>&1 || true' EXIT
reg add "$key\\Quarvel" /v ServiceName /d "$card" /f >/dev/null
reg add "$key\\Quarvel" /v PermanentAddress /d "00-50-56-C0-00-08 $card" /f >/dev/null
reg add "$key\\Other" /v Kept /t REG_BINARY /d 0001feff /f >/dev/null
before=$(reg query "$key" /s)
status=0
log=$(sh "$(dirname "$0")/prefix.sh" run "$dir" "$tests" 2>&1) || status=$?
after=$(reg query "$key" /s 2>&1) || true
if [ "$after" != "$before" ]; then
  printf 'keeps_host: the tests changed %s from\n%s\nto\n%s\n' "$key" "$before" "$after" >&2
  exit 1
fi
[ "$status" = 0 ] || { printf '%s\nkeeps_host: the tests failed (%s)\n' "$log" "$status" >&2; exit 1; }
echo "keeps_host: $key as before, after $(printf '%s\n' "$log" | grep -c '^\[       OK \]') passed tests"
