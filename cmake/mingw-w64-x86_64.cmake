# Cross build for 64-bit Windows with Debian's MinGW-w64, test programs run through Wine.
# The posix thread-model compilers are named explicitly: the win32 model has no std::mutex, and
# the unsuffixed names follow whichever model was installed last.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(G722KIT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${G722KIT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${G722KIT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${G722KIT_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${G722KIT_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${G722KIT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(G722KIT_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${G722KIT_WINE})
