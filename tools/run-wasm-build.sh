#!/usr/bin/env bash
# Builds the viewer page's WebAssembly module with Debian's emscripten (the "wasm" CMake preset:
# the library without zlib) and writes it beside the page as viewer/vantrix.js, one file with
# the module inside, so that the page works when opened from disk.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs cmake ninja-build emscripten node-acorn
# Debian's emscripten finds acorn and its other Node.js modules there.
export NODE_PATH=/usr/share/nodejs

cmake --preset wasm >/dev/null
cmake --build --preset wasm
cp build/wasm/vantrix.js viewer/vantrix.js
echo "viewer/vantrix.js: $(stat -c %s viewer/vantrix.js) bytes, $(gzip -9 -c viewer/vantrix.js | wc -c) gzipped"
