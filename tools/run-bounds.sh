#!/usr/bin/env bash
# Converts each hostile game folder (saves of up to 1 MiB, face set files of up to 16 MiB built
# to cost the most time or memory, and face set files at, just over and far over 16 MiB) with
# the release executable and checks the bounds vantrix holds: each conversion takes under
# 2 seconds of CPU and peaks under 64 MiB. The time checked is CPU time (user and system),
# which other work on a shared machine does not stretch; wall time is shown too.
#
# The 4 GiB face set files are sparse: the generator writes their few meaningful bytes and
# leaves the rest unwritten, so they take almost no disk; the folder goes when the script ends.
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

# Sparse files must stay sparse: the folders hold about 200 MiB of real data.
used_kib=$(du -sk "$games" | cut -f1)
if [ "$used_kib" -ge $((1024 * 1024)) ]; then
  echo "bounds: the game folders take $((used_kib / 1024)) MiB of disk; sparse files were filled"
  exit 1
fi

max_cpu=2
max_kib=$((64 * 1024))
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
  if [ "$code" -ne 0 ] ||
    awk -v c="$cpu" -v k="$kib" -v mc="$max_cpu" -v mk="$max_kib" 'BEGIN { exit !(c >= mc || k >= mk) }'; then
    verdict=FAILED
  fi
  printf 'bounds %-30s %-6s  CPU %5.2f s  wall %5.2f s  %5.1f MiB\n' "$name" "$verdict" "$cpu" \
    "$wall" "$(awk -v k="$kib" 'BEGIN { printf "%.1f", k / 1024 }')"
  if [ "$verdict" = ok ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo "bounds: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
