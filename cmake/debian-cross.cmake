# Shared part of the toolchain files for Linux targets built with Debian's cross compilers:
# G722KIT_CROSS_TRIPLE names the target (s390x-linux-gnu, ...), G722KIT_QEMU the qemu-user
# program that runs its test programs here, with the target's libraries from /usr/<triple>.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${G722KIT_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${G722KIT_CROSS_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${G722KIT_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(G722KIT_QEMU_PROGRAM ${G722KIT_QEMU} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${G722KIT_QEMU_PROGRAM} -L /usr/${G722KIT_CROSS_TRIPLE})
