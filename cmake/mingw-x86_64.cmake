# Cross toolchain: 64-bit Windows with Debian's mingw-w64. The program is built
# with the win32 threads model, whose runtime imports only what old Windows
# has; the tests (GoogleTest needs std::thread) pass -DQM_MINGW_THREADS=posix.
# The test executables run under the wine64 loader through ctest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
