# Cross-compiles the same sources for 64-bit Windows. Used only to run the
# tests on a Linux machine whose kernel cannot run 32-bit processes (and so
# cannot run 32-bit Wine); the program itself is built for i686.
set(TARVIK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
