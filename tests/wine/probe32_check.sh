#!/bin/sh
# The 32-bit probe's verdicts that need no Wine: a loader the kernel refuses is a skip with the
# kernel's answer, and every test behind needs32 is then skipped with it; a loader that starts
# but fails, or one that is missing without the set-up's record of a refused wine32, is a
# failure, never a skip.
set -u
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "probe32_check: FAIL: $*" >&2; failures=$((failures + 1)); }

# An ELF header for another machine (AArch64): what a kernel without IA32 emulation makes of
# Wine's i386 loader.
printf '\177ELF\002\001\001\000\000\000\000\000\000\000\000\000\002\000\267\000' >"$work/foreign"
chmod +x "$work/foreign"
VERNIX_WINE32_LOADER=$work/foreign sh "$here/prefix.sh" probe32 "$work/a" "$work/none.exe" \
  2>/dev/null || fail "a refused loader failed the probe"
grep -q "no IA32 emulation: .*Exec format error$" "$work/a/no32" 2>/dev/null ||
  fail "no reason with the kernel's answer in no32: $(cat "$work/a/no32" 2>&1)"
out=$(sh "$here/prefix.sh" needs32 "$work/a" echo ran) && status=0 || status=$?
[ "$status" = 77 ] || fail "needs32 ran its command where 32-bit programs can't run ($status)"
case $out in "skipped: 32-bit Windows programs can't run here"*) ;; *) fail "needs32: $out" ;; esac
out=$(sh "$here/prefix.sh" needs32 "$work/b" echo ran) || fail "needs32 without a verdict"
[ "$out" = ran ] || fail "needs32 did not run its command where nothing was refused: $out"

printf '#!/bin/sh\necho "broken loader" >&2\nexit 1\n' >"$work/broken"
chmod +x "$work/broken"
if VERNIX_WINE32_LOADER=$work/broken sh "$here/prefix.sh" probe32 "$work/c" "$work/none.exe" \
     2>/dev/null || [ -e "$work/c/no32" ]; then
  fail "a loader that starts and fails was taken for a skip"
fi
# A loader that is missing is a skip only where the set-up recorded that wine32 was refused.
if VERNIX_WINE32_LOADER=$work/none VERNIX_WINE32_REFUSED=$work/none sh "$here/prefix.sh" probe32 \
     "$work/d" "$work/none.exe" 2>/dev/null || [ -e "$work/d/no32" ]; then
  fail "a missing loader that nobody asked for was taken for a skip"
fi
[ "$failures" = 0 ] && echo "probe32_check: passed"
exit "$failures"
