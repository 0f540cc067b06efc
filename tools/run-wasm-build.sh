#!/usr/bin/env bash
# Builds the conversion as WebAssembly with Debian's emscripten (the "wasm" CMake preset: the
# library without zlib) and, from it and js/, the npm package "vantrix" in build/wasm/npm
# (`npm pack` there gives vantrix-<version>.tgz) and the viewer page's script, copied beside the
# page as viewer/vantrix.js. Each is one file with the module inside, so that the page works
# when opened from disk.
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
echo "npm package: $PWD/build/wasm/npm (vantrix.js: $(stat -c %s build/wasm/npm/vantrix.js) bytes," \
  "$(gzip -9 -c build/wasm/npm/vantrix.js | wc -c) gzipped)"
