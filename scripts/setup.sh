#!/usr/bin/env bash
# Installs, from Debian's archive, everything that building, running and testing
# need; with package names as arguments, just those. Safe to run again: it
# only installs what is missing.
set -euo pipefail

packages=(
    make cmake googletest
    g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix clang clang-tidy
    clang-format-14
    wine wine64 fonts-wine fonts-horai-umefont
    xvfb x11-utils imagemagick locales
)
[ $# -gt 0 ] && packages=("$@")

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

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
