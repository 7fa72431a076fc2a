# 32-bit x86 Linux with the host GCC and -m32 (Debian: g++-multilib).
#
# The baseline is the compiler's i686 default: no SSE in general code and
# x87 floating point, so the MMX files (built with -mmmx -msse) run real MMX
# instructions and share the register file with the x87 stack. GoogleTest is
# built from source inside the build tree (see PPLCAM_GTEST_SOURCE), because
# Debian ships only a 64-bit libgtest.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

# Look for 32-bit libraries only; never pick up the host's 64-bit ones.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(FIND_LIBRARY_USE_LIB64_PATHS OFF)
set_property(GLOBAL PROPERTY FIND_LIBRARY_USE_LIB64_PATHS OFF)
set_property(GLOBAL PROPERTY FIND_LIBRARY_USE_LIB32_PATHS ON)

set(PPLCAM_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree built in-tree")
