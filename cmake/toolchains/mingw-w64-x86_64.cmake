# Windows on x86-64 with Debian's mingw-w64 cross compiler.
#
# Builds the user-mode DLL, its tests and the kernel-mode export driver
# (targets/windows/). Test programs run under Wine when it is installed
# (see docs/targets.md).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(PPLCAM_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Debian's wine64 runs 64-bit Windows programs (test discovery and ctest).
find_program(PPLCAM_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT PPLCAM_WINE64)
  find_program(PPLCAM_WINE64 NAMES wine64 wine)
endif()
if(PPLCAM_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PPLCAM_WINE64})
endif()
