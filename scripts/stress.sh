#!/usr/bin/env bash
# Runs the robustness tests of the end-to-end suite at full count: the
# registry fuzz, the start/cancel storm, the suspend/resume storm and the
# notification-area restart, with a random seed that it prints first.
#   QM_STRESS_SEED=N    replays a seed
#   QM_STRESS_COUNT=N   one count for every test instead of the full ones
#   scripts/stress.sh RegistryFuzz   runs only the tests matching a filter
# The quick forms of the same tests run in ./test.sh with a fixed seed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export QM_BUILD=${QM_BUILD:-$root/build}
export QM_WERROR=1  # as ./test.sh builds, so that no tree is configured anew
"$root/scripts/build.sh" x86_64 >/dev/null
"$root/scripts/build.sh" tests >/dev/null

seed=${QM_STRESS_SEED:-$(( (RANDOM << 15 | RANDOM) % 1000000000 ))}
echo "stress: seed $seed (replay with QM_STRESS_SEED=$seed)"

source "$root/scripts/wine-env.sh"
unset DISPLAY
trap qm_stop EXIT
qm_start_headless

# Test filter and full count.
tests=(
    "RegistryFuzz.*:500"
    "Storm.StartCancelCyclesLeaveNothingBehind:1000"
    "Storm.SuspendResumeKeepsOneWorkerAndActsOnceAtTheMoment:100"
    "Storm.TheIconReturnsAfterTheNotificationAreaRestarts:200"
)
status=0
for entry in "${tests[@]}"; do
    filter=${entry%:*}
    count=${QM_STRESS_COUNT:-${entry##*:}}
    if [ $# -gt 0 ] && [[ "$filter" != *"$1"* ]]; then continue; fi
    echo "stress: $filter x $count"
    start=$(date +%s)
    if ! QM_STRESS_COUNT=$count QM_STRESS_SEED=$seed "$QM_WINE64" "$QM_BUILD-tests/e2e_tests.exe" \
        --gtest_filter="$filter" "$QM_BUILD/quillmarsh.exe"; then
        status=1
        echo "stress: $filter FAILED (seed $seed, count $count)"
    fi
    echo "stress: $filter took $(( $(date +%s) - start )) s"
done
echo "stress: seed $seed, $([ $status -eq 0 ] && echo passed || echo FAILED)"
exit $status
