# What the Linux cross builds share (linux-aarch64.cmake, linux-s390x.cmake, linux-i686.cmake
# set VANTRIX_CROSS_TRIPLE, _MULTIARCH and _QEMU, then include this file): Debian's cross
# compiler of that triple, and libraries only from the cross compiler's own folder and from
# VANTRIX_CROSS_SYSROOT, a folder holding the target's Debian packages (zlib1g-dev,
# libexpat1-dev) unpacked, as tools/run-cross-tests.sh makes it. Without one, the target's
# packages installed through multiarch (dpkg --add-architecture) are found under /usr/lib.
set(CMAKE_SYSTEM_NAME Linux)

find_program(CMAKE_C_COMPILER NAMES ${VANTRIX_CROSS_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VANTRIX_CROSS_TRIPLE}-g++ REQUIRED)

# try_compile projects read this file again: they get the same folders.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTRIX_CROSS_SYSROOT)
if(NOT VANTRIX_CROSS_SYSROOT)
  set(VANTRIX_CROSS_SYSROOT /)
endif()
set(CMAKE_LIBRARY_ARCHITECTURE ${VANTRIX_CROSS_MULTIARCH})
set(CMAKE_FIND_ROOT_PATH ${VANTRIX_CROSS_SYSROOT} /usr/${VANTRIX_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# GoogleTest is built from Debian's sources (/usr/src/googletest) for the target: the host's
# package holds x86-64 libraries.
set(CMAKE_DISABLE_FIND_PACKAGE_GTest ON)
# pkg-config (which FindEXPAT asks first) reads the target's files, not the host's.
set(ENV{PKG_CONFIG_LIBDIR} ${VANTRIX_CROSS_SYSROOT}/usr/lib/${VANTRIX_CROSS_MULTIARCH}/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${VANTRIX_CROSS_SYSROOT})

# Every executable static: under qemu-user it needs none of the target's shared libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest and CMake's own runs start the target's executables through qemu-user, where this
# machine cannot run them itself.
if(NOT CMAKE_HOST_SYSTEM_PROCESSOR STREQUAL CMAKE_SYSTEM_PROCESSOR)
  find_program(CMAKE_CROSSCOMPILING_EMULATOR NAMES ${VANTRIX_CROSS_QEMU})
endif()
