# Builds for targets other than the host: 32-bit x86 and Windows.
#
# Chosen by a toolchain file from cmake/toolchains/ (see docs/targets.md):
#  - PPLCAM_GTEST_SOURCE: GoogleTest is built from that source tree inside
#    the build, for toolchains that have no GoogleTest of their own (Debian
#    ships a 64-bit Linux libgtest only).
#  - A Windows toolchain adds targets/windows: the export list generated from
#    the public header for the user-mode DLL, and the kernel-mode export
#    driver (pplcam.sys) with its checks.

set(PPLCAM_GTEST_SOURCE "" CACHE PATH "GoogleTest source tree to build in-tree (empty: find_package)")

function(pplcam_add_gtest_from_source dir)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${dir} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
  # Older GoogleTest projects name their targets without the namespace that
  # find_package(GTest) gives them.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endfunction()

if(PPLCAM_BUILD_TESTS AND PPLCAM_GTEST_SOURCE)
  pplcam_add_gtest_from_source(${PPLCAM_GTEST_SOURCE})
endif()

# Test code drives every kernel path directly (the register structs Mmx
# and Sse2 in one file), so on 32-bit x86, where the baseline has neither
# MMX nor SSE2, it gets both instruction sets; the library keeps its
# per-file flags. x87 stays the floating-point unit of the tests
# (-mfpmath is left at its 32-bit default), which the EMMS checks rely on.
#
# The 32-bit core also records each function's stack frame (-fstack-usage,
# a .su file beside each object) for the kernel stack check of
# scripts/tests.d/i686-linux.sh: a 32-bit Windows kernel thread has 12 KB.
function(pplcam_finish_target_builds)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_compile_options(pplcam_objects PRIVATE -fstack-usage)
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    foreach(t pplcam_tests pplcam_bench)
      if(TARGET ${t})
        target_compile_options(${t} PRIVATE -mmmx -msse -msse2)
      endif()
    endforeach()
  endif()
endfunction()

# On ELF targets the shared library must export the header's functions and
# nothing else (the core is built with hidden visibility). Windows images
# are checked the same way at link time (targets/windows/).
function(pplcam_add_export_test)
  if(PPLCAM_BUILD_TESTS AND NOT WIN32 AND CMAKE_NM)
    add_test(NAME exports_match_header
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/pplcam-exports.sh check-elf $<TARGET_FILE:pplcam>
                     ${CMAKE_NM} ${PROJECT_SOURCE_DIR}/include/pplcam/pplcam.h)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL pplcam_add_export_test)

# Every ELF build checks that each core object keeps to its kernel path's
# instruction set (scripts/check-instruction-sets.sh).
function(pplcam_add_instruction_set_test)
  if(PPLCAM_BUILD_TESTS AND NOT WIN32 AND CMAKE_OBJDUMP)
    add_test(NAME core_instruction_sets
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-instruction-sets.sh ${CMAKE_OBJDUMP}
                     $<TARGET_OBJECTS:pplcam_objects>
             COMMAND_EXPAND_LISTS)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL pplcam_add_instruction_set_test)
# Runs once every subdirectory has added its targets.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL pplcam_finish_target_builds)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  include(${PROJECT_SOURCE_DIR}/targets/windows/PplcamWindows.cmake)
endif()
