#!/usr/bin/env bash
# Builds vantrix and its whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# (any report ends the test that caused it) and runs it, fuzz corpus replays included.
#   bash tools/run-sanitizer-tests.sh [gcc|clang]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
compiler=${1:-gcc}
case "$compiler" in
  gcc) needs "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"; cc=gcc cxx=g++ ;;
  clang) needs "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" clang-14 libclang-rt-14-dev
         cc=clang-14 cxx=clang++-14 ;;
  *) echo "usage: $0 [gcc|clang]"; exit 2 ;;
esac

build=build/sanitize-$compiler
CC=$cc CXX=$cxx cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTRIX_SANITIZE=ON -DVANTRIX_WERROR=ON >/dev/null
cmake --build "$build" -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan-suppressions.txt
ctest --test-dir "$build" --output-on-failure -j2
