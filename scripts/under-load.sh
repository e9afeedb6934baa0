#!/bin/sh
# under-load.sh [-n N] [COMMAND [ARGS...]]: runs COMMAND (the test command, scripts/test.sh, by
# default) with N busy loops beside it, one per processor unless told, as on a machine that
# other jobs keep busy; the loops end with it. Says how long it took; exits with its status.
set -eu
cd "$(dirname "$0")/.."
loops=$(nproc)
if [ "${1:-}" = -n ]; then loops=$2; shift 2; fi
[ $# -gt 0 ] || set -- sh scripts/test.sh
pids=
i=0
while [ "$i" -lt "$loops" ]; do
  sh -c 'while :; do :; done' &
  pids="$pids $!"
  i=$((i + 1))
done
trap 'kill $pids 2>/dev/null || true' EXIT INT TERM
started=$(date +%s)
status=0
"$@" || status=$?
echo "under-load: $* took $(($(date +%s) - started)) s beside $loops busy loops (status $status)"
exit $status
