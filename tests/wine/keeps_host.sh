#!/bin/sh
# keeps_host.sh DIR TESTS: the Windows-side tests run in the prefix of DIR (prefix.sh) on a machine
# that already holds a stored choice, its address record and a key beside them, as a Windows
# host may: afterwards the registry below SOFTWARE\Orlenk (32-bit view) is exported byte for
# byte as before. The values this script put there are removed again.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$1" && pwd)
tests=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$dir/keeps_host
rm -rf "$work"
mkdir -p "$work"
run() { (cd "$work" && sh "$here/prefix.sh" run "$dir" "$@"); }
key='HKLM\SOFTWARE\Orlenk'
# The key as reg exports it; an empty file where it is gone.
export_to() {
  : >"$work/$1"
  run reg export 'HKLM\SOFTWARE\Wow6432Node\Orlenk' "Z:$(echo "$work/$1" | tr / '\\')" /y \
    >/dev/null 2>&1 || true
}

if run reg query "$key" /reg:32 >/dev/null 2>&1; then
  echo "keeps_host: $key is there already in the tests' prefix" >&2
  exit 1
fi
trap 'run reg delete "$key" /f /reg:32 >/dev/null 2>&1 || true' EXIT
run reg add "$key\\Quarvel" /v ServiceName /d '{00000009-0000-0000-0000-4E6574446576}' /f /reg:32 >/dev/null
run reg add "$key\\Quarvel" /v PermanentAddress /d '00-50-56-C0-00-08 {00000009-0000-0000-0000-4E6574446576}' /f /reg:32 >/dev/null
run reg add "$key\\Other" /v Kept /t REG_BINARY /d 0001feff /f /reg:32 >/dev/null
export_to before.reg

status=0
run "$tests" >"$work/tests.log" 2>&1 || status=$?
export_to after.reg
if ! cmp -s "$work/before.reg" "$work/after.reg"; then
  echo "keeps_host: the tests changed $key:" >&2
  for f in before after; do iconv -f utf-16 -t utf-8 "$work/$f.reg" >"$work/$f.txt" || true; done
  diff "$work/before.txt" "$work/after.txt" >&2 || true
  exit 1
fi
[ "$status" = 0 ] || { cat "$work/tests.log" >&2; echo "keeps_host: the tests failed ($status)" >&2; exit 1; }
echo "keeps_host: $key as before, after $(grep -c '^\[       OK \]' "$work/tests.log") passed tests"
