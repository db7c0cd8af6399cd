# Cross-compiles the 64-bit Windows programs with mingw-w64 (x86-64); they run on 64-bit
# Windows XP x64 and later.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(ferrolink_pe_version 5.2)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
