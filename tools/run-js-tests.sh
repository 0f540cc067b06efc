#!/usr/bin/env bash
# Tests the npm package "vantrix" (js/): builds it with tools/run-wasm-build.sh and the vantrix
# executable whose documents it must give, then runs js/test/ with `node --test`: the package's
# calls, and the packed tarball installed offline and type-checked by Debian's TypeScript. The
# calls run under Debian 12's Node.js 18 too, the oldest the package supports, when the system's
# Node.js is another (its packages are unpacked in build/node18, nothing is installed over it).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" node-typescript
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  needs nodejs npm
fi

bash tools/run-wasm-build.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF >/dev/null
cmake --build build/release --target vantrix
export VANTRIX_EXE=$PWD/build/release/vantrix

passed=0
failed=0
status=0
# Runs the test files with a node and adds up its closing counts.
run_tests() {
  local node=$1 log
  shift
  log=$(mktemp)
  "$node" --test --test-reporter=tap "$@" 2>&1 | tee "$log" | grep -E '^(not )?ok |^# (pass|fail) ' || true
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  passed=$((passed + $(awk '/^# pass /{print $3}' "$log")))
  failed=$((failed + $(awk '/^# fail /{print $3}' "$log")))
  rm -f "$log"
}

echo "Node.js $(node --version)"
run_tests node js/test/*.test.mjs

if [[ "$(node --version)" != v18.* ]]; then
  # Debian's Node.js 18 takes some of its own modules from /usr/share/nodejs.
  needs node-cjs-module-lexer node-undici
  node18=build/node18
  if [ ! -x "$node18/usr/bin/node" ]; then
    version=$(apt-cache madison nodejs | awk '$3 ~ /^18\./ && /debian/ {print $3; exit}')
    if [ -z "$version" ]; then
      apt-get update -qq
      version=$(apt-cache madison nodejs | awk '$3 ~ /^18\./ && /debian/ {print $3; exit}')
    fi
    rm -rf "$node18" && mkdir -p "$node18/debs"
    (cd "$node18/debs" && apt-get download -qq "nodejs=$version" "libnode108=$version" 2>/dev/null)
    for deb in "$node18"/debs/*.deb; do dpkg-deb -x "$deb" "$node18"; done
  fi
  echo "Node.js $(LD_LIBRARY_PATH=$node18/usr/lib/x86_64-linux-gnu "$node18/usr/bin/node" --version)"
  LD_LIBRARY_PATH=$node18/usr/lib/x86_64-linux-gnu run_tests "$node18/usr/bin/node" js/test/vantrix.test.mjs
fi

echo "JavaScript package: $passed passed, $failed failed"
exit $status
