# The core library: kernel-style C++ (no exceptions, no RTTI, no heap, no
# static constructors) behind the C API of include/pplcam/pplcam.h.
#
# Sources are picked up by folder so that a new kernel file needs no edit
# here. Files named *_<path>.cpp hold the kernels of one path (the rows of
# src/core/path_table.h): each gets the instruction set of its path and no
# more, so that a narrower path stays runnable on a processor without the
# wider one's instructions. platform_*.cpp files are the platform layer:
# this build takes the user-mode one.

set(PPLCAM_CORE_FLAGS
  -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-asynchronous-unwind-tables
  -fvisibility=hidden -fvisibility-inlines-hidden
  -Wall -Wextra -Wno-unused-parameter)

function(pplcam_core_sources out platform)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/api/*.cpp
    ${PROJECT_SOURCE_DIR}/src/core/*.cpp
    ${PROJECT_SOURCE_DIR}/src/controls/*.cpp
    ${PROJECT_SOURCE_DIR}/src/bayer/*.cpp
    ${PROJECT_SOURCE_DIR}/src/yuv/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/platform_[a-z0-9]+\\.cpp$")
  list(APPEND srcs ${PROJECT_SOURCE_DIR}/src/core/platform_${platform}.cpp)
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# The instruction set of each kernel path's objects, by file-name suffix:
# PPLCAM_PATH_FLAGS_<path>_<32|64> are the flags of *_<path>.cpp in a 32-bit
# x86 and in an x86-64 build (unset where the baseline already has the
# instructions: x86-64 includes SSE2). A new path adds its name to the list
# and its flags. -mavx2 brings SSSE3, SSE4.1/4.2 and AVX with it; nothing
# else (FMA, BMI2) is used, so nothing else is enabled.
set(PPLCAM_KERNEL_PATHS mmx sse2 avx2 avx512)
set(PPLCAM_PATH_FLAGS_mmx_32 -mmmx -msse)
set(PPLCAM_PATH_FLAGS_sse2_32 -msse2)
set(PPLCAM_PATH_FLAGS_avx2_32 -mavx2)
set(PPLCAM_PATH_FLAGS_avx2_64 -mavx2)
set(PPLCAM_PATH_FLAGS_avx512_32 -mavx2 -mavx512f -mavx512bw -mavx512vl -mavx512vbmi)
set(PPLCAM_PATH_FLAGS_avx512_64 ${PPLCAM_PATH_FLAGS_avx512_32})

function(pplcam_path_flags srcs)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(bits 32)
  else()
    set(bits 64)
  endif()
  foreach(f IN LISTS srcs)
    foreach(path IN LISTS PPLCAM_KERNEL_PATHS)
      if(f MATCHES "_${path}\\.cpp$" AND DEFINED PPLCAM_PATH_FLAGS_${path}_${bits})
        set_source_files_properties(${f} PROPERTIES COMPILE_OPTIONS "${PPLCAM_PATH_FLAGS_${path}_${bits}}")
      endif()
    endforeach()
  endforeach()
endfunction()

function(pplcam_add_core)
  pplcam_core_sources(srcs user)
  pplcam_path_flags("${srcs}")

  add_library(pplcam_objects OBJECT ${srcs})
  set_target_properties(pplcam_objects PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_options(pplcam_objects PRIVATE ${PPLCAM_CORE_FLAGS})
  target_compile_definitions(pplcam_objects PRIVATE PPLCAM_BUILDING)
  target_include_directories(pplcam_objects PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    PRIVATE ${PROJECT_SOURCE_DIR}/src)

  add_library(pplcam SHARED $<TARGET_OBJECTS:pplcam_objects>)
  set_target_properties(pplcam PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  target_link_options(pplcam PRIVATE -Wl,--no-undefined -Wl,--as-needed)
  target_include_directories(pplcam PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  add_library(pplcam::pplcam ALIAS pplcam)

  add_library(pplcam_static STATIC $<TARGET_OBJECTS:pplcam_objects>)
  set_target_properties(pplcam_static PROPERTIES OUTPUT_NAME pplcam)
  target_include_directories(pplcam_static PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  add_library(pplcam::pplcam_static ALIAS pplcam_static)

  # Internal view for tests and benchmarks: the static library plus the
  # private headers, so they can reach the pool, the feature word and the
  # platform layer's test controls.
  add_library(pplcam_internal INTERFACE)
  target_link_libraries(pplcam_internal INTERFACE pplcam_static)
  target_include_directories(pplcam_internal INTERFACE ${PROJECT_SOURCE_DIR}/src)
endfunction()
