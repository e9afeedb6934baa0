#!/bin/sh
# Sets up, builds build/windows-x64/vernix.exe and runs it under Wine in this terminal.
# Arguments go to vernix.exe (for example -d for diagnostics).
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target vernix >/dev/null

WINE=/usr/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}
prefix=${WINEPREFIX:-$HOME/.wine}
if [ ! -d "$prefix" ]; then
  # Wine lists the network adapters from the second start of a new prefix's server on.
  echo "run: creating the Wine prefix $prefix" >&2
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
fi
exec "$WINE" build/windows-x64/vernix.exe "$@"
