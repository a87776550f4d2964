#!/usr/bin/env bash
# Checks that every library an exe imports is on the list of libraries that
# are safe to import (a planted copy beside the exe can never be loaded in
# their place), that every function it imports is on a reviewed list of
# imports known to exist on one Windows version (XP SP3, or 2000 SP4 for the
# 32-bit program), and that its PE subsystem version lets the oldest loader
# start it: at most 5.01 (XP), and exactly 5.00 for a 32-bit exe, as the
# Windows 2000 loader refuses 5.01.
# Usage: check-imports.sh SAFE-DLLS ALLOWED-LIST EXE...
#        check-imports.sh --self-test SAFE-DLLS ALLOWED-LIST EXE
# The self-test shows that the check refuses: it runs it on EXE with each
# imported library struck from a copy of SAFE-DLLS in turn, and fails unless
# every run fails, and the run with the lists as they are passes.
set -euo pipefail
if [ "${1:-}" = "--self-test" ]; then
    shift
    safe=$1 allowed=$2 exe=$3
    self=$0
    scratch=$(mktemp)
    trap 'rm -f "$scratch"' EXIT
    "$self" "$safe" "$allowed" "$exe" >/dev/null || { echo "check-imports self-test: $exe fails as it is" >&2; exit 1; }
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z')
    for dll in $dlls; do
        grep -vix "$dll" "$safe" >"$scratch"
        if "$self" "$scratch" "$allowed" "$exe" >/dev/null 2>&1; then
            echo "check-imports self-test: an import of $dll passed without $dll on the safe list" >&2
            exit 1
        fi
    done
    echo "check-imports self-test: each of $(echo $dlls | wc -w) imported libraries is refused once off the safe list"
    exit 0
fi
safe=$1
allowed=$2
shift 2
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
safe_dlls=$(sed -e 's/#.*//' -e 's/[[:space:]]//g' -e '/^$/d' "$safe" | tr 'A-Z' 'a-z' | sort -u)
reviewed=$(sed -e 's/#.*//' -e 's/[[:space:]]//g' -e '/^$/d' "$allowed" | sort -u)
for exe in "$@"; do
    found=$(imports_of "$exe")
    if [ -z "$found" ]; then
        echo "check-imports: no imports read from $exe" >&2
        status=1
        continue
    fi
    unsafe=$(comm -23 <(printf '%s\n' "$found" | cut -d'!' -f1 | sort -u) <(printf '%s\n' "$safe_dlls"))
    if [ -n "$unsafe" ]; then
        echo "check-imports: $exe imports libraries that a copy beside it could replace:" >&2
        printf '  %s\n' $unsafe >&2
        echo "  Load each from the system folder at run time (platform/system_library.h) instead." >&2
        status=1
    fi
    unknown=$(comm -23 <(printf '%s\n' "$found") <(printf '%s\n' "$reviewed"))
    if [ -n "$unknown" ]; then
        echo "check-imports: $exe imports what the reviewed list lacks:" >&2
        printf '  %s\n' $unknown >&2
        echo "  Add each to $allowed only once it is known to exist on the Windows version it lists." >&2
        status=1
    fi
    version=$("$objdump" -p "$exe" | awk '/^MajorSubsystemVersion/ { major = $2 } /^MinorSubsystemVersion/ { minor = $2 } END { printf "%d %d", major, minor }')
    read -r major minor <<<"$version"
    if [ "$major" -gt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -gt 1 ]; }; then
        echo "check-imports: $exe has subsystem version $major.$minor, above 5.01" >&2
        status=1
    fi
    if "$objdump" -f "$exe" | grep -q "file format pei-i386" && { [ "$major" -ne 5 ] || [ "$minor" -ne 0 ]; }; then
        echo "check-imports: the 32-bit $exe has subsystem version $major.$minor; Windows 2000 starts only 5.00" >&2
        status=1
    fi
    [ $status -eq 0 ] && echo "check-imports: $(basename "$(dirname "$exe")")/$(basename "$exe"): $(printf '%s\n' "$found" | wc -l) imports, all reviewed; subsystem $major.$(printf '%02d' "$minor")"
done
exit $status
