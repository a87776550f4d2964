#!/usr/bin/env bash
# The real end action: with test mode off and force on, a scheduled end that
# reaches its moment asks Wine to end the session, which ends every process
# of the prefix, the program's own included. It runs in a prefix of its own
# (build-tests/wineprefix-end) with its own wineserver, so nothing else is
# ended. ctest runs it for the 64-bit and for the 32-bit program.
#
# Usage: real_end_action.sh QUILLMARSH_EXE BUILD_DIR
set -euo pipefail
if [ -n "${QM_NEEDS_32BIT:-}" ] && [ -n "${QM_32BIT_UNAVAILABLE:-}" ]; then
    echo "skipped: $QM_32BIT_UNAVAILABLE"
    exit 77  # ctest's skip code for this test
fi
exe=$1
QM_BUILD=$2
source "$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-env.sh"
export WINEPREFIX="$QM_BUILD/wineprefix-end"
qm_prefix
"$QM_WINESERVER" -p </dev/null >/dev/null 2>&1
trap '"$QM_WINESERVER" -k </dev/null >/dev/null 2>&1 || true' EXIT

reg() {
    "$QM_WINE64" reg "$@" </dev/null >/dev/null 2>&1
}
key='HKCU\Software\tovakeli\quillmarsh'
reg delete "$key" /f || true

# The next minute on the wall clock (Wine's local time is this shell's),
# with room to start the program before it comes.
now=$(date +%s)
[ $((60 - now % 60)) -lt 8 ] && now=$((now + 60))
target=$(( (now / 60 + 1) * 60 ))
for value in "WAYTOEND 0" "FORCECHECK 1" "TESTCHECK 0" "SOUND 0" "COUNTDOWNTIME 1" "STARTUPCHECK 1" \
    "MONTH 0" "DAY 0" "HOUR $((10#$(date -d "@$target" +%H)))" "MINUTE $((10#$(date -d "@$target" +%M)))"; do
    set -- $value
    reg add "$key" /v "$1" /t REG_DWORD /d "$2" /f
done

cd "$QM_BUILD"
"$QM_WINE64" "$exe" </dev/null >/dev/null 2>&1 &
program=$!

# Silent mode: the count-down starts at the target and takes
# COUNTDOWNTIME + 1 seconds; then the session ends.
while [ "$(date +%s)" -lt $((target - 2)) ]; do
    if ! kill -0 "$program" 2>/dev/null; then
        echo "FAIL: the program ended $((target - $(date +%s))) s before its moment"
        exit 1
    fi
    sleep 0.5
done
deadline=$((target + 20))
while kill -0 "$program" 2>/dev/null; do
    if [ "$(date +%s)" -gt "$deadline" ]; then
        echo "FAIL: the program still runs 20 s after its moment"
        kill "$program" 2>/dev/null || true
        exit 1
    fi
    sleep 0.5
done
ended=$(( $(date +%s) - target ))
echo "the session ended ${ended} s after the moment"
[ "$ended" -ge 1 ] || { echo "FAIL: ended before the count-down could run"; exit 1; }
