#!/usr/bin/env bash
# Builds quillmarsh.exe and starts it under Wine in a prefix of its own
# (build/wineprefix), which keeps the settings made in it: the tests, the
# benchmark and the picture scripts never use it.
# With a DISPLAY the program opens there and runs until it is closed.
# Without one it runs in Xvfb, saves build/screenshot.png after
# QM_RUN_SECONDS (default 8) seconds and stops by itself.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64
source "$root/scripts/wine-env.sh"
export WINEPREFIX="$QM_RUN_PREFIX"
exe="$QM_BUILD/quillmarsh.exe"

if [ -n "${DISPLAY:-}" ]; then
    qm_prefix
    trap qm_stop EXIT
    cd "$QM_BUILD"
    "$QM_WINE64" "$exe"
    exit $?
fi

trap qm_stop EXIT
qm_start_display
qm_prefix
qm_start_wineserver
qm_warm_up
cd "$QM_BUILD"
"$QM_WINE64" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
sleep "${QM_RUN_SECONDS:-8}"
import -window root "$QM_BUILD/screenshot.png"
echo "run.sh: screenshot saved to $QM_BUILD/screenshot.png"
kill "$program" 2>/dev/null || true
