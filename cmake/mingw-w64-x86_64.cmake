# Windows x86-64 with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(XCJM_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# The 64-bit programs run here under Wine, so ctest runs the Windows tests.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
