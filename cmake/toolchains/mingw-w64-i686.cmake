# Windows on 32-bit x86 with Debian's mingw-w64 cross compiler.
#
# Builds the user-mode DLL and the kernel-mode export driver
# (targets/windows/). Debian's wine64 runs only 64-bit programs, so this
# build is checked at link time (exports, imports) and its code is tested by
# the 32-bit Linux build; see docs/targets.md.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(PPLCAM_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
