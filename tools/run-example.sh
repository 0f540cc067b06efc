#!/usr/bin/env bash
# Builds vantrix and converts the bundled example game's save, printing the document.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF >/dev/null
cmake --build build/release --target vantrix
build/release/vantrix examples/game/Save01.lsd build/Save01.xml
cat build/Save01.xml
echo "Wrote build/Save01.xml"
