# Second compiler: Debian's clang for 64-bit Windows, with the headers, the C++
# library and the linker of the mingw-w64 win32-threads toolchain. It builds the
# program only, to compile it with clang's warnings and -Wthread-safety and to
# give clang-tidy its compile commands.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${MINGW_TRIPLET})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_TRIPLET})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_SYSROOT /usr/${MINGW_TRIPLET})

# clang does not find Debian's versioned "NN-win32" folder by itself.
file(GLOB QM_GCC_DIRS /usr/lib/gcc/${MINGW_TRIPLET}/*-win32)
list(GET QM_GCC_DIRS 0 QM_GCC_DIR)
set(QM_CXX_INCLUDE ${QM_GCC_DIR}/include/c++)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
    ${QM_CXX_INCLUDE} ${QM_CXX_INCLUDE}/${MINGW_TRIPLET} ${QM_CXX_INCLUDE}/backward)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${QM_GCC_DIR}")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
