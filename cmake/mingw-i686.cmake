# Cross toolchain: 32-bit Windows with Debian's mingw-w64 (win32 threads model).
# Nothing built with it can run on these machines; it is compiled to prove the
# 32-bit build, its structure sizes and its imports.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
