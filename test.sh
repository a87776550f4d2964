#!/usr/bin/env bash
# Builds both architectures and runs every test headless under Wine (ctest),
# in a throwaway prefix on an Xvfb display that this script starts and stops.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" i686
"$root/scripts/build.sh" x86_64
source "$root/scripts/wine-env.sh"
unset DISPLAY
trap qm_stop EXIT
qm_start_display
qm_prefix
qm_start_wineserver
qm_warm_up
cd "$QM_BUILD"
ctest --output-on-failure --timeout 300 "$@"
