# Cross build for 32-bit ARM with hardware floating point (armhf), the kind of processor
# handheld devices run. Test programs run through qemu-user.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(G722KIT_CROSS_TRIPLE arm-linux-gnueabihf)
set(G722KIT_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
