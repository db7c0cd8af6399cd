# What both Windows toolchains share; the including file sets `triple` and the oldest Windows
# version that its programs run on (`ferrolink_pe_version`: 5.1 is XP, 5.2 XP x64 and 2003).
#
# FERROLINK_MINGW_THREADS picks the thread model: "posix" (the default) can compile GoogleTest;
# "win32" links no threads library, whose Vista-only imports would keep the shipped programs
# from starting on XP.
if(NOT FERROLINK_MINGW_THREADS)
  set(FERROLINK_MINGW_THREADS posix)
endif()
# Checks of the compiler run in their own projects, which see only what is listed here.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES FERROLINK_MINGW_THREADS)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${triple}-gcc-${FERROLINK_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${triple}-g++-${FERROLINK_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_MC_COMPILER ${triple}-windmc)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every program must run on a bare Windows without mingw's DLLs, and its PE header must not
# ask for a newer Windows than the oldest one supported (the linker's default is 6.0, Vista).
string(REPLACE "." ";" ferrolink_pe_parts ${ferrolink_pe_version})
list(GET ferrolink_pe_parts 0 ferrolink_pe_major)
list(GET ferrolink_pe_parts 1 ferrolink_pe_minor)
set(ferrolink_link_flags "-static -static-libgcc -static-libstdc++ \
-Wl,--major-os-version,${ferrolink_pe_major},--minor-os-version,${ferrolink_pe_minor} \
-Wl,--major-subsystem-version,${ferrolink_pe_major},--minor-subsystem-version,${ferrolink_pe_minor}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${ferrolink_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${ferrolink_link_flags}")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
