#!/usr/bin/env bash
# Configures and builds one architecture: $QM_BUILD (default build/) for
# x86_64, the program and its tests; $QM_BUILD-i686 for the 32-bit program,
# which is compiled but cannot run here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-x86_64}
base=${QM_BUILD:-$root/build}
case "$arch" in
    x86_64) dir="$base" ;;
    i686) dir="$base-i686" ;;
    *) echo "build.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQUILLMARSH_TESTS="$([ "$arch" = x86_64 ] && echo ON || echo OFF)" >/dev/null
cmake --build "$dir" -j "$(nproc)"
