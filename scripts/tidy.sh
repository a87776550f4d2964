#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over every source file of src/ with
# the clang build's compile commands; fails on any finding.
# Usage: tidy.sh CLANG-BUILD-DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
mapfile -t sources < <(cd "$root" && find src -name '*.cpp' | sort)
report=$(mktemp)
trap 'rm -f "$report"' EXIT
status=0
(cd "$root" && printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet) >"$report" 2>&1 || status=$?
findings=$(grep -cE '(warning|error): ' "$report" || true)
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' "$report" >&2
    echo "tidy: $findings findings in ${#sources[@]} files" >&2
    exit 1
fi
echo "tidy: ${#sources[@]} files, no findings"
