#!/usr/bin/env bash
# Kills (SIGKILL) the release executable forty times at random moments while it converts a save
# whose document takes about 75 MiB, over an older document. After each kill the output must
# be a whole document, the old one or the new one byte for byte, and the folder must hold no
# other file: no temporary file is left behind.
#   bash tools/run-kill-test.sh [ROUNDS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

rounds=${1:-40}
seed=${2:-$$}
RANDOM=$seed
echo "kill test: $rounds rounds, seed $seed"

build=build/bounds
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=ON >/dev/null
cmake --build "$build" --target vantrix make_hostile_games >/dev/null
exe=$(pwd)/$build/vantrix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The originals stay outside the folder the conversions write into.
"$build/fuzz/make_hostile_games" --large-document 75 "$work/game"
mkdir "$work/out"
cp "$work/game/Save01.lsd" "$work/out/Save02.lsd"
(cd "$work/out" && "$exe" Save02.lsd "$work/old.xml")
mv "$work/out/Save02.lsd" "$work/game/Save01.lsd"
cd "$work/out"
cp "$work/game/Save01.lsd" Save01.lsd
start=$(date +%s%N)
"$exe" Save01.lsd "$work/new.xml"
run_ms=$((($(date +%s%N) - start) / 1000000))
echo "kill test: a whole conversion takes $run_ms ms, documents of $(stat -c %s "$work/new.xml") bytes"
cmp -s "$work/old.xml" "$work/new.xml" && { echo "kill test: old and new documents are the same"; exit 1; }

passed=0
failed=0
olds=0
news=0
for ((round = 1; round <= rounds; ++round)); do
  cp "$work/old.xml" Save01.xml
  delay_ms=$((RANDOM % (run_ms + run_ms / 10 + 1)))
  "$exe" Save01.lsd &
  pid=$!
  sleep "$(awk -v ms="$delay_ms" 'BEGIN { printf "%.3f", ms / 1000 }')"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  outcome=
  if cmp -s Save01.xml "$work/old.xml"; then
    outcome=old
    olds=$((olds + 1))
  elif cmp -s Save01.xml "$work/new.xml"; then
    outcome=new
    news=$((news + 1))
  fi
  left=$(ls -A | grep -vxE 'Save01\.(lsd|xml)' || true)
  if [ -n "$outcome" ] && [ -z "$left" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "kill test: round $round, killed after $delay_ms ms: output ${outcome:-damaged}," \
      "left behind: ${left:-nothing}"
    rm -f -- $left
  fi
done
echo "kill test: $olds kills kept the old document, $news came after the new one was in place"
echo "kill test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
