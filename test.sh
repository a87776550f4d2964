#!/usr/bin/env bash
# Checks that every C++ file is formatted and that the includes of src/
# follow its layers, builds everything at zero warnings and runs every check
# and test:
#   the 64-bit and 32-bit programs (win32 threads) and their import check,
#   the program built by clang with -Wthread-safety, clang-tidy over src/,
#   then unit and end-to-end tests headless under Wine (ctest), in a
#   throwaway prefix on an Xvfb display that this script starts and stops,
#   and, on a run without arguments, the benchmark once in quick mode (that
#   it runs; its figures are not judged).
# Arguments go to ctest (./test.sh -R Summary).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
export QM_BUILD=${QM_BUILD:-$root/build}
export QM_WERROR=1
"$root/scripts/setup.sh"
"$root/scripts/check-format.sh"
"$root/scripts/check-layers.py"
for kind in x86_64 i686 clang tests; do
    "$root/scripts/build.sh" "$kind"
done
"$root/scripts/check-imports.sh" "$root/tests/static/windows-xp-imports.txt" \
    "$QM_BUILD/quillmarsh.exe" "$QM_BUILD-i686/quillmarsh.exe"
"$root/scripts/tidy.sh" "$QM_BUILD-clang"

source "$root/scripts/wine-env.sh"
unset DISPLAY
trap qm_stop EXIT
qm_start_headless
cd "$QM_BUILD-tests"
ctest --output-on-failure --timeout 300 "$@"
if [ $# -eq 0 ]; then "$root/scripts/bench.sh" --quick; fi
