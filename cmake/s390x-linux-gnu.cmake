# Cross build for IBM Z (s390x): 64-bit and big-endian. Test programs run through qemu-user.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(G722KIT_CROSS_TRIPLE s390x-linux-gnu)
set(G722KIT_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
