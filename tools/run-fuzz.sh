#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang (libFuzzer, AddressSanitizer, UndefinedBehavior-
# Sanitizer), replays each target's corpus, then fuzzes each for SECONDS (default 60), two at
# a time, within the program's bounds: 256 MiB of memory and 2 seconds an input.
#   bash tools/run-fuzz.sh [SECONDS] [TARGET...]
# New inputs gather in build/fuzz/corpus/<target>/; a crash, timeout or memory overrun is kept
# as build/fuzz/artifacts/<target>-*, fails the run, and belongs in fuzz/corpus/<target>/ as a
# regression once fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" clang-14 libclang-rt-14-dev libexpat1-dev

seconds=${1:-60}
shift || true
build=build/fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTRIX_FUZZ=ON -DVANTRIX_TESTS=OFF -DVANTRIX_WERROR=ON >/dev/null
cmake --build "$build" -j2 >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzzer.cpp; do
    name=$(basename "$source" _fuzzer.cpp)
    targets+=("$name")
  done
fi

# The sanitizers' own bookkeeping is no part of the program's memory: a small quarantine of
# freed blocks keeps it out of the 256 MiB bound.
export ASAN_OPTIONS=quarantine_size_mb=16:detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
options=(-rss_limit_mb=256 -timeout=2 -max_len=16384)

mkdir -p "$build/logs" "$build/artifacts"
run_target() {
  local name=$1 fuzzer="$build/fuzz/${1}_fuzzer" seeds="fuzz/corpus/$1" log="$build/logs/$1.log"
  mkdir -p "$build/corpus/$name"
  {
    echo "== replay of $seeds"
    "$fuzzer" "${options[@]}" "$seeds"/*
    echo "== fuzzing $name for $seconds s"
    "$fuzzer" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$name-" "$build/corpus/$name" "$seeds"
  } >"$log" 2>&1
}

summary() {
  local name=$1 status=$2 log="$build/logs/$1.log"
  local execs cov ft rss
  execs=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  printf 'fuzz %-10s %s  exec/s %s  cov %s  ft %s  peak RSS %s MB\n' "$name" \
    "$([ "$status" -eq 0 ] && echo ok || echo FAILED)" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${rss:-?}"
}

declare -A pids
failed=0
for name in "${targets[@]}"; do
  [ -x "$build/fuzz/${name}_fuzzer" ] || { echo "no fuzz target $name"; exit 2; }
  # Two at a time: the machine has two cores.
  while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n || true; done
  run_target "$name" &
  pids[$name]=$!
done
for name in "${targets[@]}"; do
  status=0
  wait "${pids[$name]}" || status=$?
  summary "$name" "$status"
  if [ "$status" -ne 0 ]; then
    failed=$((failed + 1))
    grep -E 'ERROR|SUMMARY|expectation failed|Test unit written' "$build/logs/$name.log" | head -n 20
  fi
done
echo "fuzz: $((${#targets[@]} - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
