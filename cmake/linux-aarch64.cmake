# Cross-compiles for 64-bit ARM Linux (handhelds, single-board computers) with Debian's
# g++-aarch64-linux-gnu; tools/run-cross-tests.sh builds and runs it under qemu-user:
#   cmake -S . -B build/cross/aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-aarch64.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VANTRIX_CROSS_TRIPLE aarch64-linux-gnu)
set(VANTRIX_CROSS_MULTIARCH aarch64-linux-gnu)
set(VANTRIX_CROSS_QEMU qemu-aarch64-static qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
