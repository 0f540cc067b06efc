# Cross-compiles for 32-bit x86 Linux with Debian's g++-i686-linux-gnu (gcc-multilib conflicts
# with the other cross compilers), the build whose size_t has 32 bits;
# tools/run-cross-tests.sh builds and runs it, natively where the kernel runs 32-bit programs,
# else under qemu-user:
#   cmake -S . -B build/cross/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VANTRIX_CROSS_TRIPLE i686-linux-gnu)
set(VANTRIX_CROSS_MULTIARCH i386-linux-gnu)
set(VANTRIX_CROSS_QEMU qemu-i386-static qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
