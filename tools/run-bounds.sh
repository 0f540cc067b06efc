#!/usr/bin/env bash
# Converts each hostile game folder (every file at most 16 MiB, built to cost the most time or
# memory) with the release executable and checks the bounds vantrix holds: each conversion
# takes under 2 seconds and peaks under 256 MiB. The time checked is CPU time (user and
# system), which other work on a shared machine does not stretch; wall time is shown too.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" time

build=build/bounds
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=ON >/dev/null
cmake --build "$build" --target vantrix make_hostile_games >/dev/null
games=$(mktemp -d)
trap 'rm -rf "$games"' EXIT
"$build/fuzz/make_hostile_games" "$games" >/dev/null

exe=$(pwd)/$build/vantrix
passed=0
failed=0
for game in "$games"/*/; do
  name=$(basename "$game")
  code=0
  (cd "$game" && /usr/bin/time -f '%e %U %S %M' -o "$games/$name.time" "$exe" Save01.lsd) || code=$?
  read -r wall user system kib <"$games/$name.time"
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
  verdict=ok
  if [ "$code" -ne 0 ] || awk -v c="$cpu" -v k="$kib" 'BEGIN { exit !(c >= 2 || k >= 262144) }'; then
    verdict=FAILED
  fi
  printf 'bounds %-26s %-6s  CPU %5.2f s  wall %5.2f s  %4d MiB\n' "$name" "$verdict" "$cpu" \
    "$wall" $((kib / 1024))
  if [ "$verdict" = ok ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo "bounds: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
