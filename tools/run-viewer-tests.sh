#!/usr/bin/env bash
# Tests viewer/index.html in headless Chromium (Debian's, with a CJK font for the names of games
# in other languages) driven by playwright-core from npm,
# and leaves a screenshot in build/viewer-screenshot.png. Game folders need the page's module
# (bash tools/run-wasm-build.sh first) and the vantrix executable, built here, whose documents
# the page's slots must show.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" chromium fonts-dejavu-core fonts-wqy-zenhei
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  needs nodejs npm
fi

(cd viewer/test && npm ci --no-audit --no-fund --loglevel=error)
# The release build that the other scripts use; its tests are not needed here.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF >/dev/null
cmake --build build/release --target vantrix
VANTRIX_EXE=build/release/vantrix node viewer/test/viewer.test.mjs build/viewer-screenshot.png
