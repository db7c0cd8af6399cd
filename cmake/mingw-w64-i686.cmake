# Cross-compiles the 32-bit Windows programs with mingw-w64 (i686); they run on 32-bit Windows
# XP SP3 and later, and on 64-bit Windows under WOW64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triple i686-w64-mingw32)
set(ferrolink_pe_version 5.1)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
