#!/usr/bin/env bash
# Checks that every function an exe imports is on the reviewed list of imports
# known to exist on Windows XP SP3, and that its PE subsystem version is at
# most 5.01, so the Windows XP loader starts it.
# Usage: check-imports.sh ALLOWED-LIST EXE...
set -euo pipefail
allowed=$1
shift
objdump=x86_64-w64-mingw32-objdump  # reads PE32 and PE32+ alike

# "dll!Function" per line, the DLL in lower case; imports by ordinal as "dll!#N".
imports_of() {
    "$objdump" -p "$1" | awk -F'\t' '
        /^\tDLL Name: / { sub(/^\tDLL Name: /, ""); dll = tolower($0); next }
        /^$/ { dll = "" }
        dll != "" && /^\t[0-9a-f]+\t/ {
            n = split($3, word, " ")
            if (n == 1) print dll "!#" word[1]; else print dll "!" word[n]
        }' | sort -u
}

status=0
reviewed=$(sed -e 's/#.*//' -e 's/[[:space:]]//g' -e '/^$/d' "$allowed" | sort -u)
for exe in "$@"; do
    found=$(imports_of "$exe")
    if [ -z "$found" ]; then
        echo "check-imports: no imports read from $exe" >&2
        status=1
        continue
    fi
    unknown=$(comm -23 <(printf '%s\n' "$found") <(printf '%s\n' "$reviewed"))
    if [ -n "$unknown" ]; then
        echo "check-imports: $exe imports what the reviewed list lacks:" >&2
        printf '  %s\n' $unknown >&2
        echo "  Add each to $allowed only once it is known to exist on Windows XP SP3." >&2
        status=1
    fi
    version=$("$objdump" -p "$exe" | awk '/^MajorSubsystemVersion/ { major = $2 } /^MinorSubsystemVersion/ { minor = $2 } END { printf "%d %d", major, minor }')
    read -r major minor <<<"$version"
    if [ "$major" -gt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -gt 1 ]; }; then
        echo "check-imports: $exe has subsystem version $major.$minor, above 5.01" >&2
        status=1
    fi
    [ $status -eq 0 ] && echo "check-imports: $(basename "$(dirname "$exe")")/$(basename "$exe"): $(printf '%s\n' "$found" | wc -l) imports, all reviewed; subsystem $major.$(printf '%02d' "$minor")"
done
exit $status
