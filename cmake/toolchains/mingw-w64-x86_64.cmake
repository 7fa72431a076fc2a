# Windows on x86-64 with Debian's mingw-w64 cross compiler.
#
# Builds the user-mode DLL, its tests and the kernel-mode export driver
# (targets/windows/). Test programs run under Wine when it is installed
# (see docs/targets.md).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(PPLCAM_MINGW_PREFIX x86_64-w64-mingw32)
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

# Debian's wine64 runs 64-bit Windows programs (test discovery and ctest).
find_program(PPLCAM_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT PPLCAM_WINE64)
  find_program(PPLCAM_WINE64 NAMES wine64 wine)
endif()
if(PPLCAM_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PPLCAM_WINE64})
endif()
