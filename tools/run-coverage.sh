#!/usr/bin/env bash
# Line coverage of src/ reached by the test suite (the unit tests and the fuzz corpus replays,
# both run by ctest): builds everything with gcc --coverage, unoptimised, runs ctest and prints
# the total and each file's percentage with its lines not reached. Only the platform side of
# the machine it runs on is built, so src/platform/windows is not measured.
#   bash tools/run-coverage.sh        # also writes build/coverage/coverage.txt
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" gcovr

build=build/coverage
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTRIX_WERROR=ON \
  -DCMAKE_CXX_COMPILER=g++ -DCMAKE_CXX_FLAGS="--coverage -O0" \
  -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null
cmake --build "$build"
# Counts of an earlier run would add up with this one's.
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" -j2 --output-on-failure | grep -E 'tests (passed|failed)'
# CMake's compiler check leaves a counted object of its own behind.
find "$build/CMakeFiles" -path '*CompilerId*' -name '*.gcno' -delete
gcovr --root . --object-directory "$build" --filter 'src/' --txt "$build/coverage.txt"
cat "$build/coverage.txt"
