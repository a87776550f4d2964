# Shared by the mingw-w64 toolchain files: compilers of the chosen threads
# model (win32 unless QM_MINGW_THREADS says posix) and the target's sysroot.
if(NOT QM_MINGW_THREADS)
    set(QM_MINGW_THREADS win32)
endif()
# try_compile projects read the toolchain again: hand them the same choice.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QM_MINGW_THREADS)

set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-${QM_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-${QM_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
