#!/usr/bin/env bash
# Runs the scaling tests (scale_test.cpp) with the screen at DPI dots per
# inch (96 is 100 %), on an Xvfb display and in a prefix
# (build-tests/wineprefix-dpi) of their own: every prefix's Wine desktop is a
# window as large as its display, and another prefix's desktop on the same
# display (the 32-bit tests' or a real end action's) would cover the pixels
# these tests read back. The display is as large, in inches, as the others.
# ctest runs it at 144 and 192 DPI for the 64-bit and for the 32-bit program.
#
# Usage: session.sh DPI E2E_TESTS_EXE QUILLMARSH_EXE BUILD_DIR
set -euo pipefail
if [ -n "${QM_NEEDS_32BIT:-}" ] && [ -n "${QM_32BIT_UNAVAILABLE:-}" ]; then
    echo "skipped: $QM_32BIT_UNAVAILABLE"
    exit 77  # ctest's skip code for this test
fi
dpi=$1 tests=$(realpath "$2") exe=$(realpath "$3") QM_BUILD=$(realpath "$4")
QM_SCREEN="$((800 * dpi / 96))x$((600 * dpi / 96))"
source "$(cd "$(dirname "$0")/../../.." && pwd)/scripts/wine-env.sh"
export WINEPREFIX="$QM_BUILD/wineprefix-dpi"
unset DISPLAY
trap 'qm_stop_prefix "$WINEPREFIX"; qm_stop' EXIT
qm_start_display
qm_prefix
qm_start_wineserver
# Before the desktop starts, so that it and everything after share the DPI.
qm_set_dpi "$dpi"
qm_warm_up
cd "$QM_BUILD"
QM_DPI=$dpi "$QM_WINE64" "$tests" --gtest_filter='Scale.*' "$exe"
