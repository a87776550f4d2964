#!/usr/bin/env bash
# Checks that every C++ file is formatted, that the includes of src/ follow
# its layers and that every input of the dialog templates has its name and
# tab stop, builds everything at zero warnings and runs every check
# and test:
#   the 64-bit and 32-bit programs (win32 threads) and their import check,
#   the program built by clang with -Wthread-safety, clang-tidy over src/,
#   then unit and end-to-end tests headless under Wine (ctest), in the
#   tests' own prefixes on an Xvfb display that this script starts and stops,
#   the end-to-end tests once for the 64-bit and once for the 32-bit program
#   (those are named i686:..., and run beside the others, two at a time, in
#   a prefix of their own), and, on a run without arguments, the benchmark
#   once in quick mode (that it runs; its figures are not judged).
# Last it checks that ./run.sh's prefix, which holds the user's settings, is
# as it was before the run (or still absent).
# Arguments go to ctest (./test.sh -R Summary; ./test.sh -LE i686 leaves the
# 32-bit program out).
# On a machine whose kernel runs no 32-bit code, the tests that need a 32-bit
# process are reported by ctest as skipped, with the reason, at the start and
# again beside ctest's summary; everything else runs as anywhere.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
export QM_BUILD=${QM_BUILD:-$root/build}
export QM_WERROR=1
"$root/scripts/setup.sh"
source "$root/scripts/wine-env.sh"

# Decided once, by starting Wine's 32-bit loader; the end-to-end tests' runner
# reads the answer (tests/e2e/wine-or-skip.sh).
QM_32BIT_UNAVAILABLE=$(qm_32bit_unavailable)
export QM_32BIT_UNAVAILABLE
if [ -n "$QM_32BIT_UNAVAILABLE" ]; then
    echo "test.sh: the 32-bit tests will be skipped: $QM_32BIT_UNAVAILABLE"
fi
"$root/scripts/check-format.sh"
"$root/scripts/check-layers.py"
"$root/scripts/check-guards.py"
"$root/scripts/check-templates.py"
for kind in x86_64 i686 clang tests; do
    "$root/scripts/build.sh" "$kind"
done
"$root/scripts/check-imports.sh" "$root/tests/static/safe-dlls.txt" "$root/tests/static/windows-xp-imports.txt" \
    "$QM_BUILD/quillmarsh.exe" "$QM_BUILD-i686/quillmarsh.exe"
"$root/scripts/check-imports.sh" "$root/tests/static/safe-dlls.txt" "$root/tests/static/windows-2000-imports.txt" \
    "$QM_BUILD-i686/quillmarsh.exe"
"$root/scripts/check-imports.sh" --self-test "$root/tests/static/safe-dlls.txt" \
    "$root/tests/static/windows-xp-imports.txt" "$QM_BUILD/quillmarsh.exe"
"$root/scripts/tidy.sh" "$QM_BUILD-clang"

# What ./run.sh's prefix holds: its registry files and stamp with their
# checksums, or that it does not exist. Wine writes every registry change of
# a prefix to these files, so a test that used this prefix changes them, and
# on a fresh clone it would create the prefix.
run_prefix_state() {
    if [ ! -d "$QM_RUN_PREFIX" ]; then
        echo "absent"
        return
    fi
    (cd "$QM_RUN_PREFIX" && find . -maxdepth 1 -type f \( -name '*.reg' -o -name '.quillmarsh-prefix-*' \) |
        LC_ALL=C sort | xargs -r sha256sum)
}
run_prefix_before=$(run_prefix_state)

unset DISPLAY
stop_sessions() {
    if [ -z "$QM_32BIT_UNAVAILABLE" ]; then qm_stop_prefix "$QM_TEST_PREFIX_I686"; fi
    qm_stop
}
trap stop_sessions EXIT
qm_start_headless
if [ -z "$QM_32BIT_UNAVAILABLE" ]; then qm_start_prefix_session "$QM_TEST_PREFIX_I686"; fi
cd "$QM_BUILD-tests"

# The line that says what was skipped and why, counted from ctest's own report.
skipped_line=""
ctest_status=0
ctest --output-on-failure --timeout 300 -j2 "$@" 2>&1 | tee ctest-output.log || ctest_status=$?
if [ -n "$QM_32BIT_UNAVAILABLE" ]; then
    skipped_line="32-bit tests skipped ($(grep -c -- '\*\*\*Skipped' ctest-output.log || true)): $QM_32BIT_UNAVAILABLE"
    echo "$skipped_line"
fi
[ "$ctest_status" -eq 0 ] || exit "$ctest_status"
if [ $# -eq 0 ]; then "$root/scripts/bench.sh" --quick; fi

# The sessions end before the comparison: a wineserver writes the registry
# changes of its prefix to its files when it exits, and before only every half
# minute, so a short run's changes would not show yet.
if [ -z "$QM_32BIT_UNAVAILABLE" ]; then qm_stop_prefix "$QM_TEST_PREFIX_I686"; fi
qm_stop_prefix "$QM_TEST_PREFIX"
run_prefix_after=$(run_prefix_state)
if [ "$run_prefix_after" != "$run_prefix_before" ]; then
    echo "test.sh: FAILED: the run changed ./run.sh's prefix $QM_RUN_PREFIX (was ./run.sh open meanwhile?)" >&2
    diff <(echo "$run_prefix_before") <(echo "$run_prefix_after") >&2 || true
    exit 1
fi
if [ "$run_prefix_after" = absent ]; then
    echo "test.sh: ./run.sh's prefix was not created"
else
    echo "test.sh: ./run.sh's prefix is unchanged"
fi
[ -z "$skipped_line" ] || echo "test.sh: $skipped_line"
