# What the two MinGW-w64 toolchains share; each sets XCJM_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first. The -posix compilers are required: the
# -win32 ones have no std::thread or std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${XCJM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${XCJM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${XCJM_MINGW_TRIPLE}-windres)
# Resource scripts are UTF-8, so their Chinese text stays intact.
set(CMAKE_RC_FLAGS_INIT "--codepage=65001")

set(CMAKE_FIND_ROOT_PATH /usr/${XCJM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs are single self-contained .exe files: take zlib's static
# library, not the import library of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
