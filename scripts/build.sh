#!/usr/bin/env bash
# Configures and builds one kind of tree, under the build folder $QM_BUILD
# (default build/):
#   x86_64  $QM_BUILD        the 64-bit program (win32 threads), run here
#   i686    $QM_BUILD-i686   the 32-bit program
#   tests   $QM_BUILD-tests  unit and end-to-end tests (posix threads, as
#                            GoogleTest needs); the end-to-end tests drive
#                            $QM_BUILD's program and $QM_BUILD-i686's
#   clang   $QM_BUILD-clang  the 64-bit program built by clang, whose compile
#                            commands clang-tidy reads
# QM_WERROR=1 turns warnings into errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-x86_64}
base=${QM_BUILD:-$root/build}
options=(-DCMAKE_BUILD_TYPE=Release -DQUILLMARSH_TESTS=OFF "-DQUILLMARSH_WERROR=${QM_WERROR:-0}")
case "$kind" in
    x86_64) dir="$base" toolchain=mingw-x86_64 compiler=x86_64-w64-mingw32-g++-win32 ;;
    i686) dir="$base-i686" toolchain=mingw-i686 compiler=i686-w64-mingw32-g++-win32 ;;
    tests)
        dir="$base-tests" toolchain=mingw-x86_64 compiler=x86_64-w64-mingw32-g++-posix
        options+=(-DQM_MINGW_THREADS=posix -DQUILLMARSH_TESTS=ON "-DQUILLMARSH_EXE=$base/quillmarsh.exe"
                  "-DQUILLMARSH_EXE_I686=$base-i686/quillmarsh.exe")
        ;;
    clang) dir="$base-clang" toolchain=clang-x86_64 compiler=clang++ ;;
    *) echo "build.sh: unknown kind $kind" >&2; exit 2 ;;
esac
# A tree configured for another compiler (an older layout) is configured anew.
# CMake records the compiler it found in CMakeFiles/<version>/
# CMakeCXXCompiler.cmake; the cache has no entry for it, as the toolchain
# files set it as a plain variable.
cache="$dir/CMakeCache.txt"
if [ -f "$cache" ] &&
    ! grep -qs "^set(CMAKE_CXX_COMPILER \".*/$compiler\")\$" "$dir"/CMakeFiles/*/CMakeCXXCompiler.cmake; then
    rm -rf "$cache" "$dir/CMakeFiles"
fi
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" "${options[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
