# Cross-builds the Windows program with Debian's mingw-w64 compilers, for the
# processor the including file sets. The -posix thread model, since the
# -win32 one has no std::mutex in GCC 12.
set(CMAKE_SYSTEM_NAME Windows)
set(GLIMMERBOX_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${GLIMMERBOX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GLIMMERBOX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GLIMMERBOX_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${GLIMMERBOX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
