# Windows x86 (32-bit) with MinGW-w64. Built here but never run: this kernel
# cannot execute 32-bit code, so there is no emulator.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(XCJM_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
