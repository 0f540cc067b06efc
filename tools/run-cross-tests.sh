#!/usr/bin/env bash
# Builds vantrix for the processors its users' machines have besides x86-64, with Debian's
# cross compilers, and runs it there: under qemu-user where this machine cannot run the
# target's programs itself.
#   bash tools/run-cross-tests.sh [ARCH...]   # no ARCH: all three
# ARCH is aarch64 (64-bit ARM: handhelds, single-board computers, Android), s390x (64-bit
# big-endian: the one byte order no other build has) or i686 (32-bit x86, also named x86: the
# one size_t of 32 bits). Each is built into build/cross/<arch>/ (cmake/linux-<arch>.cmake,
# static executables, GoogleTest from Debian's sources, zlib and expat from the target's
# Debian packages unpacked into build/cross/<arch>/sysroot/), then runs:
#   - the unit tests, but HostileInputs, whose game folders the last check converts itself,
#     and, under qemu-user, the tests that start programs from two threads at once
#     (ConcurrentRuns, the pipe's slow reader): they test this machine's kernel, which
#     qemu-user's system calls are, and qemu-user's fork from a threaded program can hang;
#   - the fuzz corpus replays (fuzz/corpus/<target>/ through <target>_replay);
#   - on aarch64, whose vector loops have scalar twins, those tests (tests/vector_suites.txt)
#     and the replays again with VANTRIX_SCALAR=1;
#   - the example games, each document byte for byte its examples/expected/ one;
#   - the hostile game folders of tools/run-bounds.sh: exit code and document byte for byte
#     the native x86-64 build's, and under 64 MiB of memory where the program runs natively
#     (under qemu-user the peak is the emulator's). Time under emulation means nothing, but
#     each run has a limit, so that a hang fails this stage instead of the whole CI run.
# Prints "<arch>: N passed, N failed" for each and fails when anything failed.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh

[ $# -gt 0 ] || set -- aarch64 s390x i686
arches=()
for a in "$@"; do
  case $a in
    aarch64 | s390x | i686) arches+=("$a") ;;
    x86) arches+=(i686) ;;
    *)
      echo "run-cross-tests: unknown architecture $a (aarch64, s390x, i686 or x86)"
      exit 2
      ;;
  esac
done

# Debian's name of each architecture, its cross compiler's triple and qemu-user's program.
describe() {
  case $1 in
    aarch64) deb_arch=arm64 triple=aarch64-linux-gnu qemu=qemu-aarch64-static ;;
    s390x) deb_arch=s390x triple=s390x-linux-gnu qemu=qemu-s390x-static ;;
    i686) deb_arch=i386 triple=i686-linux-gnu qemu=qemu-i386-static ;;
  esac
}

compilers=()
for arch in "${arches[@]}"; do
  describe "$arch"
  compilers+=("g++-$triple")
done
needs "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${compilers[@]}" googletest qemu-user-static time

# The target's zlib and expat: Debian's packages for its architecture, unpacked rather than
# installed, so that their versions need not match the host's (Debian's multiarch requires
# that, and the mirror's architectures are not always at the same security update).
sysroot() {
  local root=$1 download packages=("zlib1g-dev:$deb_arch" "libexpat1-dev:$deb_arch")
  [ -f "$root/.complete" ] && return 0
  if ! dpkg --print-foreign-architectures | grep -qx "$deb_arch"; then
    dpkg --add-architecture "$deb_arch" || return 1
    apt_update
  fi
  download=$(mktemp -d)
  fetch() { (cd "$download" && apt-get -o APT::Sandbox::User=root download -qq "${packages[@]}"); }
  if ! fetch >/dev/null 2>&1; then
    apt_update
    fetch || return 1
  fi
  rm -rf "$root" && mkdir -p "$root" || return 1
  for deb in "$download"/*.deb; do dpkg-deb -x "$deb" "$root" || return 1; done
  rm -rf "$download"
  # Static libraries only: the executables must run without the target's shared ones.
  find "$root" -name '*.so*' -delete
  touch "$root/.complete"
}

replays=()
for source in fuzz/*_fuzzer.cpp; do
  name=$(basename "$source" _fuzzer.cpp)
  replays+=("$name")
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The native x86-64 build (tools/run-bounds.sh's) writes the hostile game folders and
# converts each: its exit codes and documents are what every target must give.
echo "cross: the native build's documents of the hostile game folders"
native=build/bounds
cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=ON >/dev/null
cmake --build "$native" -j2 --target vantrix make_hostile_games >/dev/null
games=$work/games
"$native/fuzz/make_hostile_games" "$games" >/dev/null
mkdir -p "$work/native"
for game in "$games"/*/; do
  name=$(basename "$game")
  code=0
  (cd "$game" && "$OLDPWD/$native/vantrix" Save01.lsd "$work/native/$name.xml" >/dev/null) ||
    code=$?
  echo "$code" >"$work/native/$name.code"
done

status=0
lines=()
for arch in "${arches[@]}"; do
  describe "$arch"
  build=build/cross/$arch
  start=$SECONDS
  echo "== $arch: building in $build"
  if ! sysroot "$build/sysroot" >"$work/build.log" 2>&1 ||
    ! cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/linux-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DVANTRIX_WERROR=ON \
      -DVANTRIX_CROSS_SYSROOT="$(pwd)/$build/sysroot" >>"$work/build.log" 2>&1 ||
    ! cmake --build "$build" -j2 --target vantrix vantrix_tests "${replays[@]/%/_replay}" \
      >>"$work/build.log" 2>&1; then
    tail -40 "$work/build.log"
    echo "$arch: the build failed"
    lines+=("$arch: 0 passed, 1 failed")
    status=1
    continue
  fi
  built=$((SECONDS - start))

  # 32-bit x86 runs natively where the kernel runs such programs; the rest under qemu-user.
  launcher=$(command -v "$qemu")
  if [ "$arch" = i686 ] && [ "$(uname -m)" = x86_64 ] && "$build/vantrix" >/dev/null 2>&1; then
    launcher=
  fi
  prefix=(${launcher:+"$launcher"})
  # Each run has a time limit, so that a program that hangs under emulation fails this
  # stage with its name instead of stopping the whole CI run.
  run() { timeout -k 10 "$limit" "${prefix[@]}" "$@"; }
  echo "$arch: running ${launcher:+under }$(basename "${launcher:-natively}")"
  passed=0
  failed=0
  verdict() { # verdict OK WHAT
    if [ "$1" = ok ]; then passed=$((passed + 1)); else
      failed=$((failed + 1))
      echo "$arch: FAILED $2"
    fi
  }

  # The unit tests, in one run of GoogleTest's own runner: its summary gives the counts.
  # The whole log is kept, so that a run that times out names the test it was in; what is
  # shown is the failures and the totals.
  units() { # units SCALAR FILTER
    local log=$work/$arch-unit.log unit=0 ok bad limit=900
    (cd "$build/tests" && VANTRIX_SCALAR=$1 VANTRIX_TEST_LAUNCHER=$launcher \
      run ./vantrix_tests --gtest_filter="$2") >"$log" 2>&1 || unit=$?
    local chatter='Running main|Note: Google Test filter|\[=+\] Running |\[ +(RUN|OK|PASSED) +\]'
    grep -vE "^($chatter|\[-+\]|$)" "$log" || true
    ok=$(sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' "$log")
    bad=$(grep -cE '^\[  FAILED  \] [^ ]+ \([0-9]+ ms\)' "$log" || true)
    passed=$((passed + ${ok:-0}))
    failed=$((failed + ${bad:-0}))
    if [ "$unit" -eq 124 ] || [ "$unit" -eq 137 ]; then
      verdict failed "the unit tests: no end after $limit s, in $(grep -E '^\[ RUN' "$log" |
        tail -1 | sed -E 's/^\[ RUN +\] //')"
    elif [ "$unit" -ne 0 ] && [ "${bad:-0}" -eq 0 ]; then
      verdict failed "the unit tests (exit $unit)"
    fi
  }
  replays() { # replays SCALAR
    local limit=300 name
    for name in "${replays[@]}"; do
      if VANTRIX_SCALAR=$1 run "$build/fuzz/${name}_replay" "fuzz/corpus/$name" \
        >"$work/replay.log" 2>&1; then
        verdict ok
      else
        cat "$work/replay.log"
        verdict failed "fuzz corpus $name${1:+ (scalar)}"
      fi
    done
  }
  threaded='ConcurrentRuns.*:CommandLine.WritesAPipeWholeForASlowReader'
  units "" "-HostileInputs.*${launcher:+:$threaded}"
  replays ""
  # ARM64 has vector loops: what reaches them runs again on their scalar twins.
  if [ "$arch" = aarch64 ]; then
    units 1 "$(cat tests/vector_suites.txt)"
    replays 1
  fi

  limit=120
  for pair in game:Save01.xml unpacked-game:unpacked-game.xml; do
    game=${pair%%:*}
    out=$work/$arch-$game.xml
    code=0
    (cd "examples/$game" && run "$OLDPWD/$build/vantrix" Save01.lsd "$out" >/dev/null) || code=$?
    if [ "$code" -eq 0 ] && cmp -s "$out" "examples/expected/${pair#*:}"; then verdict ok; else
      verdict failed "example $game (exit $code, document differs from examples/expected)"
    fi
  done

  measured=0
  for game in "$games"/*/; do
    name=$(basename "$game")
    out=$work/$arch-$name.xml
    code=0
    (cd "$game" && /usr/bin/time -f %M -o "$work/kib" timeout -k 10 "$limit" "${prefix[@]}" \
      "$OLDPWD/$build/vantrix" Save01.lsd "$out" >/dev/null) || code=$?
    why=
    [ "$code" = "$(cat "$work/native/$name.code")" ] || why="exit $code"
    if [ -e "$out" ] || [ -e "$work/native/$name.xml" ]; then
      cmp -s "$out" "$work/native/$name.xml" || why="${why:+$why, }the document differs"
    fi
    if [ -z "$launcher" ]; then
      measured=1
      kib=$(tail -1 "$work/kib")
      [ "$kib" -lt $((64 * 1024)) ] || why="${why:+$why, }$((kib / 1024)) MiB"
    fi
    rm -f "$out"
    if [ -z "$why" ]; then verdict ok; else verdict failed "hostile game $name: $why"; fi
  done
  [ "$measured" -eq 1 ] ||
    echo "$arch: memory bounds not checked: under qemu-user the peak is the emulator's"

  echo "$arch: built in $built s, ran in $((SECONDS - start - built)) s"
  lines+=("$arch: $passed passed, $failed failed")
  [ "$failed" -eq 0 ] || status=1
done

printf '%s\n' "${lines[@]}"
exit "$status"
