#!/usr/bin/env bash
# Tests viewer/index.html in headless Chromium (Debian's) driven by playwright-core from npm,
# and leaves a screenshot in build/viewer-screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs chromium fonts-dejavu-core
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  needs nodejs npm
fi

(cd viewer/test && npm ci --no-audit --no-fund --loglevel=error)
mkdir -p build
node viewer/test/viewer.test.mjs build/viewer-screenshot.png
