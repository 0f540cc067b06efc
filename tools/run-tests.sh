#!/usr/bin/env bash
# Builds vantrix with its tests (warnings are errors) and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

bash tools/check-layers.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_WERROR=ON >/dev/null
cmake --build build/test
ctest --test-dir build/test --output-on-failure -j2
