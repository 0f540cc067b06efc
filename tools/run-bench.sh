#!/usr/bin/env bash
# Builds and runs the benchmarks: PNG decoding by vantrix beside libspng, libpng, stb_image
# and lodepng on three sets of pictures, conversions in-process, and then the vantrix
# executable converting each benchmark game, timed by hyperfine against a statically linked
# program that does nothing, with its peak memory. Extra arguments go to the benchmark
# binary (for instance --benchmark_filter=png/faceset). VANTRIX_BENCH_BASELINE names another
# vantrix executable (an earlier build, say) to time in the same batches, side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF \
  -DVANTRIX_BENCH=ON >/dev/null
cmake --build "$build"
"$build/bench/make_bench_data" "$build/data"

# Repetitions run in random order among all the benchmarks' repetitions, so that the best of
# each decoder's is taken over the same stretch of the host's load as the others'.
"$build/bench/vantrix_bench" --data="$build/data" \
  --benchmark_repetitions="${VANTRIX_BENCH_REPETITIONS:-10}" --benchmark_min_time=0.1 \
  --benchmark_enable_random_interleaving=true "$@"

# Each game's faces: the PNG game's from a palette, an RGB and an RGBA face set; the others'
# from two 256-colour face sets of one kind; the faceless game's from none (its FaceSet folder
# is empty), which is what a conversion costs with nothing to draw; the CJK game's from three
# XYZ face sets found only by reading their Shift-JIS names as GBK, in a full game folder.
games=(png-game palette-game bmp-game xyz-game faceless-game cjk-game)
# Both programs are timed from copies made now, so that neither is favoured by how its file
# came into the page cache: an executable the linker has just written in small pieces starts
# some 30 to 70 µs slower here than a copy of it, and the do-nothing program is rarely relinked.
timed="$build/timed"
mkdir -p "$timed"
cp "$build/bench/do_nothing" "$build/vantrix" "$timed/"
baseline=()
if [ -n "${VANTRIX_BENCH_BASELINE:-}" ]; then
  cp "$VANTRIX_BENCH_BASELINE" "$timed/baseline"
  baseline=("$timed/baseline")
fi
echo
echo "The vantrix executable converting each game (four faces, none for the faceless game; the"
echo "output exists, as when a launcher refreshes its previews), in batches that alternate with"
echo "the program that does nothing, so that each ratio compares runs made under the same load:"
batches=${VANTRIX_BENCH_BATCHES:-50}
runs=$((${VANTRIX_BENCH_RUNS:-1000} / batches))
((runs >= 2)) || runs=2
for game in "${games[@]}"; do
  save="$build/data/$game/Save01.lsd"
  document="$build/$game.xml"
  # The host's other work moves the do-nothing program's median by a fifth from one tenth of a
  # second to the next, so one long measurement of each program would compare different loads.
  # Short batches, each timing both programs within some 30 ms, give one ratio each; their
  # median is the figure.
  rm -f "$build/hyperfine-$game"-*.json "$build/hyperfine-$game"-*.log  # an earlier run's
  for ((batch = 1; batch <= batches; batch++)); do
    log="$build/hyperfine-$game-$batch.log"
    hyperfine -N --style none --warmup $((batch == 1 ? 100 : 5)) --runs "$runs" \
      --export-json "$build/hyperfine-$game-$batch.json" "$timed/do_nothing" \
      "$timed/vantrix $save $document" \
      ${baseline[@]+"${baseline[0]} $save $build/$game-baseline.xml"} >"$log" 2>&1 || {
      cat "$log" >&2
      exit 1
    }
  done
  faces=4
  [ "$game" = faceless-game ] && faces=0
  test "$(grep -c '<bitmap>' "$document")" -eq "$faces" || {
    echo "the document of $game lacks face bitmaps" >&2
    exit 1
  }
  /usr/bin/time -f '%M' -o "$build/peak-rss.txt" "$timed/vantrix" "$save" "$document"
  jq -rs --arg game "$game" --arg rss "$(cat "$build/peak-rss.txt")" '
    def middle: sort | .[length / 2 | floor];
    def us: . * 1e6 | round;
    def twoPlaces: . * 100 | round / 100;
    (map(.results[1].median / .results[0].median) | middle) as $ratio |
    ((map(.results[1].min) | min) / (map(.results[0].min) | min)) as $best |
    "- \($game): \($ratio | twoPlaces) times the do-nothing program (median of \(length) batches; medians \(map(.results[1].median) | middle | us) µs and \(map(.results[0].median) | middle | us) µs), \($best | twoPlaces) (fastest runs); peak memory \($rss) KiB" +
    (if .[0].results | length > 2 then
       (map(.results[2].median / .results[0].median) | middle) as $old |
       "; the baseline \($old | twoPlaces) times (medians \(map(.results[2].median) | middle | us) µs)"
     else "" end)' \
    "$build"/hyperfine-"$game"-*.json
done
