#!/usr/bin/env bash
# Installs, from Debian's archive, everything that building, running and testing
# need; with package names as arguments, just those. Safe to run again: it
# only installs what is missing.
set -euo pipefail

packages=(
    make cmake googletest
    g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix clang clang-tidy
    clang-format-14 python3
    wine wine64 wine32:i386 fonts-wine fonts-horai-umefont
    xvfb x11-utils imagemagick locales
)
[ $# -gt 0 ] && packages=("$@")

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# The 32-bit program runs in the 64-bit prefix through Wine's 32-bit half
# (wine32, an i386 package), as 32-bit programs run on 64-bit Windows. Its
# architecture is added once; the package lists are then fetched anew below,
# as the missing i386 packages make that happen.
if printf '%s\n' "${packages[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture" >&2
    $sudo dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q >&2
    $sudo apt-get install -y -q "${missing[@]}" >&2
fi

[ $# -gt 0 ] && exit 0

# Wine takes its code page and system fonts from the locale: the program's
# Japanese texts drawn with the default font need a Japanese one.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "setup: generating the ja_JP.UTF-8 locale" >&2
    $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
