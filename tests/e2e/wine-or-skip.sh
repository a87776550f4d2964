#!/usr/bin/env bash
# ctest's runner for the end-to-end tests: the test program under wine64, or,
# for a test that needs a 32-bit process (QM_NEEDS_32BIT, set by
# tests/CMakeLists.txt) on a machine that cannot run one (QM_32BIT_UNAVAILABLE,
# the reason that ./test.sh found), no run at all but ctest's skip code.
if [ -n "${QM_NEEDS_32BIT:-}" ] && [ -n "${QM_32BIT_UNAVAILABLE:-}" ]; then
    echo "skipped: $QM_32BIT_UNAVAILABLE"
    exit 77
fi
exec /usr/lib/wine/wine64 "$@"
