# Shared part of the mingw-w64 toolchain files: the including file sets
# CMAKE_SYSTEM_PROCESSOR and PPLCAM_MINGW_PREFIX (the cross tool prefix).

set(CMAKE_SYSTEM_NAME Windows)
find_program(CMAKE_C_COMPILER NAMES ${PPLCAM_MINGW_PREFIX}-gcc-posix ${PPLCAM_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${PPLCAM_MINGW_PREFIX}-g++-posix ${PPLCAM_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PPLCAM_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PPLCAM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs are linked statically (libgcc, libstdc++, winpthread) so
# that Wine needs no DLLs from the cross compiler.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(PPLCAM_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree built in-tree")
