#!/bin/sh
# Tries the acceptance suite's helpers under Wine the way the suite uses them: started from no
# terminal, standard streams on files.
#
#   selftest.sh TOOLS_DIR WORK_DIR
#
# TOOLS_DIR holds vxkeys.exe, vxbox.exe, vxstation.exe, keyecho.exe and boxshow.exe. WORK_DIR
# gets a Wine prefix of its own (kept for the next run) and the runs' output. The message box
# checks need Xvfb. Exits 77 (skipped) when Wine or Xvfb is missing, unless CI=true.
set -u

tools=$1
work=$2
WINE=${VERNIX_WINE:-/usr/lib/wine/wine64}
WINESERVER=${VERNIX_WINESERVER:-/usr/lib/wine/wineserver}
export WINEPREFIX="$work/vxtool-prefix" WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
unset DISPLAY

missing() {
  echo "selftest: $1 is missing" >&2
  if [ "${CI:-}" = true ]; then exit 1; fi
  exit 77
}
[ -x "$WINE" ] || missing "Wine ($WINE)"
command -v Xvfb >/dev/null 2>&1 || missing Xvfb

failures=0
fail() { echo "selftest: FAIL: $*" >&2; failures=$((failures + 1)); }
# expect FILE TEXT: FILE holds exactly the lines of TEXT. expect_text: the same for text that a
# Windows C runtime wrote, with CR LF line ends.
expect() {
  printf '%s\n' "$2" >"$1.expected"
  cmp -s "$1" "$1.expected" || { fail "$1 differs:"; diff "$1.expected" "$1" >&2; }
}
expect_text() {
  tr -d '\r' <"$1" >"$1.lf"
  expect "$1.lf" "$2"
}

xvfb_pid=
cleanup() {
  "$WINESERVER" -k </dev/null >/dev/null 2>&1
  "$WINESERVER" -w </dev/null >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

mkdir -p "$work"
cd "$work" || exit 1
if [ ! -d "$WINEPREFIX" ]; then
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1
  "$WINESERVER" -w
fi
# Wine's background processes keep the first process's streams open: start them on /dev/null.
"$WINESERVER" -p30 </dev/null >/dev/null 2>&1
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1

keys() { "$WINE" "$tools/vxkeys.exe" "$@" </dev/null >out 2>err; }

# Characters, shifted characters and named keys reach a _kbhit/_getch reader with the codes a
# keyboard gives; an arrow alone never makes _kbhit report, so it is read with the next key.
keys --log log --keys "wait:100,alive,x,A,!,Comma,Esc,Up,Enter" -- "$tools/keyecho.exe" --exit 7 8
status=$?
[ "$status" = 7 ] || fail "keys: exit status $status, not the child's 7"
expect_text out "key 120
key 65
key 33
key 44
key 27
key 224
key 72
key 13"
# The child's output goes to vxkeys's own streams; its input is the console.
expect_text err "keyecho: stdin console stdout file stderr file"
expect log "alive 1
typed x consumed 1
typed A consumed 1
typed ! consumed 1
typed Comma consumed 1
typed Esc consumed 1
typed Up consumed 0
typed Enter consumed 1
unread 1
exit 7"

# The child's command line splits back into the same arguments.
keys -- "$tools/keyecho.exe" 0 'two words' '' 'a"b' 'c:\dir\' '\\"x'
expect_text out 'arg [two words]
arg []
arg [a"b]
arg [c:\dir\]
arg [\\"x]'

# A key after the child has exited stays unread, and the log says the child is gone.
keys --log log --keys "x,wait:300,alive,y" -- "$tools/keyecho.exe" 1
expect log "typed x consumed 1
alive 0
typed y consumed 0
unread 3
exit 0"

# A child that outlives the timeout is killed; vxkeys exits 124 and says so.
keys --log log --timeout-ms 1000 --keys "x" -- "$tools/keyecho.exe" 2
status=$?
[ "$status" = 124 ] || fail "timeout: exit status $status, not 124"
grep -q 'still running after 1000 ms; killed' err || fail "timeout: not reported on stderr"
expect log "typed x consumed 1
timeout 1000
unread 1
exit 124"

# Keys it cannot type are refused before anything starts.
for list in "x,,y" "Tab" "wait:soon"; do
  keys --keys "$list" -- "$tools/keyecho.exe" 0
  status=$?
  [ "$status" = 125 ] || fail "keys \"$list\": exit status $status, not 125"
  [ -s out ] && fail "keys \"$list\": the child was started"
done

# The message box: found by its caption, read, closed with OK.
: >display
Xvfb -displayfd 3 -nolisten tcp 3>display </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s display ] && break; sleep 0.1; done
[ -s display ] || { fail "Xvfb gave no display"; exit 1; }
export DISPLAY=":$(cat display)"

"$WINE" "$tools/boxshow.exe" 'line one\nline two\n' "Some Caption" >box 2>&1 &
box_pid=$!
"$WINE" "$tools/vxbox.exe" --caption "Some Caption" >out 2>err
status=$?
wait "$box_pid"
[ "$status" = 0 ] || fail "box: exit status $status"
expect out 'caption: Some Caption
text: line one\nline two'
expect_text box "MessageBoxA 1"

"$WINE" "$tools/vxbox.exe" --caption "No Such Box" --timeout-ms 300 >out 2>err
status=$?
[ "$status" = 1 ] || fail "no box: exit status $status, not 1"
expect_text err 'vxbox: no box with caption "No Such Box"'

# vxstation: its child runs on a window station without WSF_VISIBLE (WinSta0 has it), the
# console still reaches the child, and a box there waits for a click that never comes.
"$WINE" "$tools/vxstation.exe" --show >out 2>err
expect_text out "station WinSta0 flags 0x1 desktop Default"
"$WINE" "$tools/vxstation.exe" -- "$tools/vxstation.exe" --show >out 2>err
expect_text out "station vxhidden flags 0x0 desktop Default"
keys --keys "x" -- "$tools/vxstation.exe" -- "$tools/keyecho.exe" 1
expect_text out "key 120"
"$WINE" "$tools/vxstation.exe" --timeout-ms 1000 -- "$tools/boxshow.exe" >out 2>err
status=$?
[ "$status" = 124 ] || fail "box on the hidden window station: exit status $status, not 124"

if [ "$failures" != 0 ]; then exit 1; fi
echo "selftest: vxkeys, vxbox and vxstation work under Wine"
