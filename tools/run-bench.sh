#!/usr/bin/env bash
# Builds and runs the benchmarks: PNG decoding by vantrix beside libspng, libpng, stb_image
# and lodepng on three sets of pictures, conversions in-process, and then the vantrix
# executable converting a game with four PNG faces, timed by hyperfine against a statically
# linked program that does nothing, with its peak memory. Extra arguments go to the
# benchmark binary (for instance --benchmark_filter=png/faceset).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF \
  -DVANTRIX_BENCH=ON >/dev/null
cmake --build "$build"
"$build/bench/make_bench_data" "$build/data"

"$build/bench/vantrix_bench" --data="$build/data" \
  --benchmark_repetitions="${VANTRIX_BENCH_REPETITIONS:-5}" --benchmark_min_time=0.2 "$@"

game="$build/data/png-game/Save01.lsd"
document="$build/png-game.xml"
echo
echo "The vantrix executable converting $game (four PNG faces):"
hyperfine -N --style basic --warmup 100 --runs "${VANTRIX_BENCH_RUNS:-1000}" \
  --export-json "$build/hyperfine.json" \
  "$build/vantrix $game $document" "$build/bench/do_nothing"
test "$(grep -c '<bitmap>' "$document")" -eq 4 || {
  echo "the document lacks face bitmaps" >&2
  exit 1
}
jq -r '.results as $r | ($r[0].median / $r[1].median) as $median |
  ($r[0].min / $r[1].min) as $best |
  "Ratio to the do-nothing program: \($median * 100 | round / 100) (medians \($r[0].median * 1e6 | round) µs and \($r[1].median * 1e6 | round) µs), \($best * 100 | round / 100) (fastest runs)"' \
  "$build/hyperfine.json"
/usr/bin/time -f '%M' -o "$build/peak-rss.txt" "$build/vantrix" "$game" "$document"
echo "Peak memory (maximum resident set) of that conversion: $(cat "$build/peak-rss.txt") KiB"
