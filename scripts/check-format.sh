#!/usr/bin/env bash
# Fails when a C++ file of src/ or tests/ differs from what clang-format 14
# makes of it under .clang-format; lists every such file. `--fix` rewrites
# them instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
format=clang-format-14
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h')
if [ "${1:-}" = "--fix" ]; then
    "$format" -i "${files[@]}"
    exit 0
fi
bad=()
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    "$format" --dry-run --Werror "$file" 2>/dev/null || bad+=("$file")
done
if [ ${#bad[@]} -gt 0 ]; then
    echo "check-format: these files differ from clang-format's output (scripts/check-format.sh --fix):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
