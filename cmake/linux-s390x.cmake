# Cross-compiles for 64-bit big-endian Linux (IBM Z) with Debian's g++-s390x-linux-gnu, the
# byte order no other build has; tools/run-cross-tests.sh builds and runs it under qemu-user:
#   cmake -S . -B build/cross/s390x -DCMAKE_TOOLCHAIN_FILE=cmake/linux-s390x.cmake
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VANTRIX_CROSS_TRIPLE s390x-linux-gnu)
set(VANTRIX_CROSS_MULTIARCH s390x-linux-gnu)
set(VANTRIX_CROSS_QEMU qemu-s390x-static qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
