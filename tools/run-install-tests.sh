#!/usr/bin/env bash
# Installs vantrix into a fresh temporary prefix and builds programs against it the ways a user
# would: the CMake package (examples/library) and pkg-config. Checks the installed files, the
# installed program and manual, and that a consumer sees only the public headers. Then makes
# the Debian package of the same build, installs it with apt-get, runs vantrix and
# man vantrix from it, and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" pkg-config man-db

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

# The release build that the other scripts use; its tests are not needed here.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF >/dev/null
cmake --build build/release
cmake --install build/release --prefix "$prefix" >/dev/null

source tools/checks.sh

# lib, lib64 or lib/<multiarch>, as GNUInstallDirs chooses.
libdir=$(cd "$prefix" && find lib* -name libvantrix.a -printf '%h\n' -quit)
for file in bin/vantrix "$libdir/libvantrix.a" include/vantrix/vantrix.hpp \
  include/vantrix/save_preview.hpp include/vantrix/codecs.hpp "$libdir/cmake/vantrix/vantrixConfig.cmake" \
  "$libdir/cmake/vantrix/vantrixConfigVersion.cmake" "$libdir/cmake/vantrix/vantrixTargets.cmake" \
  "$libdir/pkgconfig/vantrix.pc" share/man/man1/vantrix.1 share/vantrix/viewer/index.html; do
  [ -f "$prefix/$file" ] && pass || fail "not installed: $file"
done
check "installed headers" "codecs.hpp save_preview.hpp text.hpp vantrix.hpp" \
  "$(cd "$prefix/include/vantrix" && echo *)"

# The installed program gives the reviewed document.
cp -r examples/game "$work/game"
(cd "$work/game" && "$prefix/bin/vantrix" Save01.lsd) && pass || fail "installed vantrix failed"
cmp -s "$work/game/Save01.xml" examples/expected/Save01.xml && pass ||
  fail "installed vantrix: the document differs from examples/expected/Save01.xml"
rm -f "$work/game/Save01.xml"

# The manual renders and tells the usage and exit codes.
manual=$(MANWIDTH=100 man -l "$prefix/share/man/man1/vantrix.1" 2>&1 | col -b)
for text in "vantrix <Input file> [Output file]" "Invalid file!" "Can't write: " "LcfSaveData"; do
  grep -qF -- "$text" <<<"$manual" && pass || fail "manual lacks '$text'"
done

# The example consumer through find_package(vantrix), built from outside the source tree.
cp -r examples/library "$work/library"
cmake -S "$work/library" -B "$work/library-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >/dev/null
cmake --build "$work/library-build" >/dev/null && pass || fail "the CMake consumer does not build"
if [ -x "$work/library-build/save_slot" ]; then
  # Run beside the save, as the program was: the document names the input as given.
  (cd "$work/game" && "$work/library-build/save_slot" Save01.lsd "$work/library.xml" >"$work/out") ||
    fail "save_slot failed"
  cat "$work/out"
  cmp -s "$work/library.xml" examples/expected/Save01.xml && pass ||
    fail "convertSaveFile: the document differs from examples/expected/Save01.xml"
  check "document size" "document: $(stat -c %s examples/expected/Save01.xml) bytes" \
    "$(sed -n 1p "$work/out")"
  check "hero" "hero: Alex level 12 hp 345" "$(grep '^hero:' "$work/out")"
  check "faces" "face: Hero 1|face: Friends 6|face: Spirits 11|face: Monster1 4|faces: 4" \
    "$(grep '^face' "$work/out" | paste -sd '|')"
  check "decodePng" "Friends.png: 192 x 192, top left RGBA 200 220 240 96" \
    "$(grep '^Friends.png' "$work/out")"
fi
"$work/library-build/save_slot" "$work/game/FaceSet/Friends.png" >/dev/null 2>&1 &&
  fail "save_slot converted a PNG file" || pass

# pkg-config, with the whole program of the library's page (its one cpp block).
page=docs/library.md
sed -n '/^```cpp$/,/^```$/p' "$page" | sed '1d;$d' >"$work/example.cpp"
export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
check "pkg-config version" "1.0.0" "$(pkg-config --modversion vantrix)"
# shellcheck disable=SC2046
if g++ -std=c++20 -Wall -Wextra -Werror "$work/example.cpp" -o "$work/example" \
  $(pkg-config --cflags --libs vantrix); then
  pass
  (cd "$work/game" && "$work/example" Save01.lsd >"$work/example.xml") && pass ||
    fail "the example of $page failed"
  cmp -s "$work/example.xml" examples/expected/Save01.xml && pass ||
    fail "the example of $page: the document differs from examples/expected/Save01.xml"
  code=0
  "$work/example" "$work/game/FaceSet/Hero.bmp" >/dev/null || code=$?
  check "the example of $page on no save" 1 "$code"
else
  fail "the example of $page does not build with pkg-config"
fi
# The page's codec lines (its c++ block) compile against the installed headers, given the bytes
# they name.
codec_lines=$(sed -n '/^```c++$/,/^```$/p' "$page" | sed '1d;$d')
grep -q 'decodePng' <<<"$codec_lines" && pass || fail "$page shows no codec lines"
{
  echo '#include <vantrix/vantrix.hpp>'
  echo 'void codecs(const std::vector<std::uint8_t>& pngBytes, const std::vector<std::uint8_t>& bmpBytes,'
  echo '            const std::vector<std::uint8_t>& xyzBytes, const std::string& bitmapText) {'
  echo "$codec_lines"
  echo '}'
} >"$work/codecs.cpp"
# shellcheck disable=SC2046
g++ -std=c++20 -Wall -Wextra -Werror -Wno-unused-variable -c "$work/codecs.cpp" \
  -o "$work/codecs.o" $(pkg-config --cflags vantrix) && pass ||
  fail "the codec lines of $page do not compile"

# The Debian package of the same build, by the release's recipe: the same files under /usr,
# and the viewer's module when it was built.
rm -rf "$work/stage"
DESTDIR=$work/stage cmake --install build/release --prefix /usr --strip >/dev/null
deb=$(bash tools/make-deb.sh "$work/stage" "$(pkg-config --modversion vantrix)" "$work/deb")
check "package file" "vantrix_1.0.0_$(dpkg --print-architecture).deb" "$(basename "$deb")"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
packaged=(usr/bin/vantrix usr/share/man/man1/vantrix.1.gz "usr/$libdir/libvantrix.a"
  usr/include/vantrix/vantrix.hpp usr/include/vantrix/codecs.hpp
  usr/include/vantrix/save_preview.hpp "usr/$libdir/cmake/vantrix/vantrixConfig.cmake"
  "usr/$libdir/pkgconfig/vantrix.pc" usr/share/vantrix/viewer/index.html
  usr/share/doc/vantrix/copyright usr/share/doc/vantrix/changelog.gz)
[ -f viewer/vantrix.js ] && packaged+=(usr/share/vantrix/viewer/vantrix.js)
for file in "${packaged[@]}"; do
  grep -qx "./$file" <<<"$contents" && pass || fail "not in the package: $file"
done
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@" >/dev/null; }
apt_get install "$deb"
(cd "$work/game" && /usr/bin/vantrix Save01.lsd) && pass || fail "packaged vantrix failed"
cmp -s "$work/game/Save01.xml" examples/expected/Save01.xml && pass ||
  fail "packaged vantrix: the document differs from examples/expected/Save01.xml"
manual=$(MANWIDTH=100 man vantrix 2>&1 | col -b)
grep -qF -- "vantrix <Input file> [Output file]" <<<"$manual" && pass || fail "man vantrix: $manual"
apt_get remove vantrix
[ ! -e /usr/bin/vantrix ] && pass || fail "apt-get remove left /usr/bin/vantrix"

echo "Install and link: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
