#!/usr/bin/env bash
# Builds the Windows executable and unit tests with MinGW-w64 and runs them under Wine: the
# command-line cases with Windows paths, and the example game's preview, which must be byte
# for byte the Linux build's.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" g++-mingw-w64-x86-64 mingw-w64 libz-mingw-w64-dev googletest wine wine64

cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVANTRIX_WERROR=ON >/dev/null
cmake --build build/windows
# The Linux executable is the reference for the output bytes.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF >/dev/null
cmake --build build/release --target vantrix

exe=$(pwd)/build/windows/vantrix.exe
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$HOME/.wine-vantrix}"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
"$wine" cmd /c exit >/dev/null 2>&1 || true  # the first start makes the prefix
wineserver -p 60 2>/dev/null || true           # one server for every case

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
drive_c="$WINEPREFIX/drive_c"
rm -rf "$drive_c/vantrix-game"
cp -r examples/game "$drive_c/vantrix-game"
cp -r examples/game "$work/game"
printf 'not a save' > "$work/game/Notes.txt"

source tools/checks.sh
# run DIR ARGS...: the program's standard output goes to $work/out, its exit code to $code.
run() {
  local dir=$1
  shift
  code=0
  (cd "$dir" && "$wine" "$exe" "$@" >"$work/out") || code=$?
}
# console LINE...: the standard output must be exactly these lines, each ended by CR LF.
console() {
  local name=$1
  shift
  printf '%s\r\n' "$@" >"$work/expected"
  if cmp -s "$work/expected" "$work/out"; then pass; else fail "$name: console output differs"; od -c "$work/out" | head -5; fi
}

run "$work"
console "usage" "VANTRIX v1.00" "by Ombrel" "" \
  "Puts preview info from a RM2k(3) save file (*.lsd) into a XML file." \
  "Usage: vantrix.exe <Input file> [Output file]" "" \
  "If the LSD file is in a RM2k(3) project folder, the faces will be loaded too" \
  "and saved as Base64 encoded BMP files in the XML file. If a RTP face is used," \
  "no bitmap is saved!"
check "usage exit code" 0 "$code"
cp "$work/out" "$work/usage"
run "$work" ""
cmp -s "$work/usage" "$work/out" && pass || fail "an empty argument shows the usage"
run "$work" 'C:\no\such\Save01.lsd'
console "missing input" "Can't open C:\no\such\Save01.lsd"
check "missing input exit code" 1 "$code"
run "$work/game" Notes.txt
console "no save" "Invalid file!"
check "no save exit code" 2 "$code"
[ ! -e "$work/game/Notes.xml" ] && pass || fail "no output after an invalid save"
run "$work/game" Save01.lsd 'C:\no\such\folder\out.xml'
console "output folder missing" "Can't open: C:\no\such\folder\out.xml"
check "output folder missing exit code" 3 "$code"
run "$work/game" Save01.lsd 'C:\'
check "output is a folder: exit code" 3 "$code"

# The example game, relative and by C:\ paths: the same document as the Linux build's.
(cd examples/game && ../../build/release/vantrix Save01.lsd "$work/linux.xml")
run "$work/game" Save01.lsd windows.xml
check "relative conversion exit code" 0 "$code"
cmp -s "$work/linux.xml" "$work/game/windows.xml" && pass ||
  fail "the Windows document differs from the Linux one"
run "$work/game" Save01.lsd
cmp -s "$work/linux.xml" "$work/game/Save01.xml" && pass || fail "derived output name"
# Converting an unchanged save again leaves its document as it is; one of the same size but
# other bytes is replaced.
touch -d '2020-01-02 03:04:05' "$work/game/windows.xml"
run "$work/game" Save01.lsd windows.xml
check "unchanged document: modification time" 2020-01-02 "$(date -r "$work/game/windows.xml" +%F)"
sed -i 's/<money>/<monex>/' "$work/game/windows.xml"
run "$work/game" Save01.lsd windows.xml
cmp -s "$work/linux.xml" "$work/game/windows.xml" && pass || fail "a changed document is replaced"
sed '3d' "$work/linux.xml" >"$work/linux-body.xml"
for input in 'C:\vantrix-game\Save01.lsd' 'C:/vantrix-game/Save01.lsd' 'c:\VANTRIX-GAME\SAVE01.LSD'; do
  rm -f "$drive_c/vantrix-game/Save01.xml" "$drive_c/vantrix-game/SAVE01.xml"
  run "$work" "$input"
  check "$input: exit code" 0 "$code"
  sed '3d' "$drive_c"/vantrix-game/S[Aa][Vv][Ee]01.xml >"$work/windows-body.xml"
  cmp -s "$work/linux-body.xml" "$work/windows-body.xml" && pass ||
    fail "$input: the document differs from the Linux one"
done
check "faces with bitmaps" 3 "$(grep -c '<bitmap>' "$work/game/windows.xml")"

# A game made in other code pages and unpacked with UTF-8 file names: every face is found, and
# the document is the Linux build's.
cp -r examples/unpacked-game "$work/unpacked"
(cd examples/unpacked-game && ../../build/release/vantrix Save01.lsd "$work/unpacked-linux.xml")
run "$work/unpacked" Save01.lsd windows.xml
check "unpacked game: exit code" 0 "$code"
cmp -s "$work/unpacked-linux.xml" "$work/unpacked/windows.xml" && pass ||
  fail "unpacked game: the Windows document differs from the Linux one"
check "unpacked game: faces with bitmaps" 4 "$(grep -c '<bitmap>' "$work/unpacked/windows.xml")"

# A game folder named in a script the ANSI code page lacks opens through the wide command
# line; the document names it as the narrow command line would.
rm -rf "$drive_c/ゲーム"
cp -r examples/game "$drive_c/ゲーム"
run "$work" 'C:\ゲーム\Save01.lsd'
check "folder named in Japanese: exit code" 0 "$code"
sed '3d' "$drive_c/ゲーム/Save01.xml" >"$work/windows-body.xml"
cmp -s "$work/linux-body.xml" "$work/windows-body.xml" && pass ||
  fail "folder named in Japanese: the document differs from the Linux one"
check "folder named in Japanese: input comment" '<!-- Input file: C:\???\Save01.lsd -->' \
  "$(sed -n '3s/\r$//p' "$drive_c/ゲーム/Save01.xml")"

# A save whose face sets are named like devices (NUL, CON, COM1, COM with a superscript 1):
# the conversion ends, and no face gets a picture.
printf '\x0bLcfSaveData\x64\x1a\x0c\x01\x01\x15\x03NUL\x17\x03CON\x19\x04COM1\x1b\x04COM\xb9\x00' \
  >"$work/game/Devices.lsd"
run "$work/game" Devices.lsd
check "device face sets: exit code" 0 "$code"
check "device face sets: faces" 4 "$(grep -c '<filename>' "$work/game/Devices.xml")"
check "device face sets: no bitmaps" 0 "$(grep -c '<bitmap>' "$work/game/Devices.xml" || true)"
check "no temporary files" "" "$(ls -A "$work/game" "$drive_c/vantrix-game" | grep '\.tmp$' || true)"

echo "Windows unit tests:"
(cd build/windows/tests && "$wine" vantrix_tests.exe --gtest_brief=1)

echo "Windows command line under Wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
