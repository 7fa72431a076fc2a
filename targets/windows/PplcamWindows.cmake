# Windows builds (mingw-w64 toolchains from cmake/toolchains/), included from
# the top-level directory because it adds steps to the core's DLL target:
#  - the export list, generated from the public header;
#  - the user-mode DLL pplcam.dll exporting exactly that list, under the
#    undecorated names of the header (stdcall decoration name@N is dropped
#    with --kill-at, as a Windows .def does), with an import library that
#    maps the decorated references of 32-bit callers to those names;
#  - the kernel-mode export driver pplcam.sys (kernel/).
# Every image is checked after its link: its export table against the
# header, its imports against the DLLs it may use. A failed check fails the
# build.

find_program(PPLCAM_BASH bash REQUIRED)
find_program(PPLCAM_OBJDUMP NAMES ${PPLCAM_MINGW_PREFIX}-objdump objdump REQUIRED)
find_program(PPLCAM_DLLTOOL NAMES ${PPLCAM_MINGW_PREFIX}-dlltool dlltool REQUIRED)

set(PPLCAM_HEADER ${PROJECT_SOURCE_DIR}/include/pplcam/pplcam.h)
# Exports are declared in the header and in the extension header beside it.
set(PPLCAM_EXPORT_HEADERS ${PPLCAM_HEADER} ${PROJECT_SOURCE_DIR}/include/pplcam/pplcam_ext.h)
set(PPLCAM_EXPORTS_TOOL ${PROJECT_SOURCE_DIR}/scripts/pplcam-exports.sh)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(PPLCAM_DEF_FLAVOUR x86)   # stdcall: names decorated with @N in the .def
else()
  set(PPLCAM_DEF_FLAVOUR "")
endif()

# The export list, regenerated whenever the header changes.
set(PPLCAM_DEF ${CMAKE_BINARY_DIR}/windows/pplcam.def)
add_custom_command(OUTPUT ${PPLCAM_DEF}
  COMMAND ${PPLCAM_BASH} ${PPLCAM_EXPORTS_TOOL} def ${PPLCAM_HEADER} ${PPLCAM_DEF_FLAVOUR} > ${PPLCAM_DEF}
  DEPENDS ${PPLCAM_EXPORT_HEADERS} ${PPLCAM_EXPORTS_TOOL}
  COMMENT "Export list from pplcam.h and pplcam_ext.h")
add_custom_target(pplcam_def DEPENDS ${PPLCAM_DEF})

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/windows)

# Exports `target` with the generated list, replaces its import
# library with one made from the list, and checks the linked image.
function(pplcam_windows_exports target image_name)
  add_dependencies(${target} pplcam_def)
  target_link_options(${target} PRIVATE ${PPLCAM_DEF} -Wl,--kill-at)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PPLCAM_DEF})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${PPLCAM_DLLTOOL} --kill-at -d ${PPLCAM_DEF} -D ${image_name}
            -l $<TARGET_LINKER_FILE:${target}>
    COMMAND ${PPLCAM_BASH} ${PPLCAM_EXPORTS_TOOL} check-pe $<TARGET_FILE:${target}>
            ${PPLCAM_OBJDUMP} ${PPLCAM_HEADER} ${ARGN}
    VERBATIM)
endfunction()

# User mode: the core's shared library, named as Windows names DLLs. It may
# import from the C runtime DLL and KERNEL32 (memcpy, memset, the runtime's
# DLL start-up), nothing else: libgcc and libstdc++ are linked in if needed.
set_target_properties(pplcam PROPERTIES PREFIX "")
target_link_options(pplcam PRIVATE -static-libgcc -static-libstdc++)
pplcam_windows_exports(pplcam pplcam.dll KERNEL32.dll msvcrt.dll)

# A program that refers to every function of the header through the DLL's
# import library: on 32-bit x86 each reference is the decorated name@N the
# header's stdcall declaration produces, so the link proves the list's
# argument sizes match the header.
set(refs ${CMAKE_BINARY_DIR}/windows/export_refs.cpp)
add_custom_command(OUTPUT ${refs}
  COMMAND ${PPLCAM_BASH} ${PPLCAM_EXPORTS_TOOL} refs ${PPLCAM_HEADER} > ${refs}
  DEPENDS ${PPLCAM_EXPORT_HEADERS} ${PPLCAM_EXPORTS_TOOL})
add_executable(pplcam_export_refs ${refs})
target_link_libraries(pplcam_export_refs PRIVATE pplcam)

add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/kernel ${CMAKE_BINARY_DIR}/windows/kernel)
