# Cross-compiles the Windows executable with Debian's MinGW-w64 (packages g++-mingw-w64-x86-64
# and libz-mingw-w64-dev):
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANTRIX_MINGW_PREFIX x86_64-w64-mingw32)

# The POSIX-threads flavour of the compiler, where installed, so std::thread works in tests.
find_program(CMAKE_C_COMPILER NAMES ${VANTRIX_MINGW_PREFIX}-gcc-posix ${VANTRIX_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VANTRIX_MINGW_PREFIX}-g++-posix ${VANTRIX_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VANTRIX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTRIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One executable that needs no DLL beside it: the C++ runtime and winpthread linked in. No
# link time in its header, so that the same sources always give the same file.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
