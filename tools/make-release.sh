#!/usr/bin/env bash
# Builds the release downloads into dist/, from a clean clone on a fresh Debian 12 machine (as
# root; installs what it needs):
#
#   vantrix-<version>-windows-x86_64.zip   vantrix.exe (static, MinGW-w64), the viewer, notes
#   vantrix-<version>-linux-x86_64.tar.gz  vantrix (static), its manual, the viewer, notes
#   vantrix_<version>_amd64.deb            the same files under /usr, with the library
#   vantrix-<version>.tgz                  the npm package (npm pack of build/wasm/npm)
#   SHA256SUMS                             over all of them
#
# The version is project()'s in CMakeLists.txt. Every file is dated SOURCE_DATE_EPOCH (the last
# commit's time), owned by root and sorted in its archive, and no build path enters a binary,
# so two clones of one commit, in any folders, give byte-identical downloads.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" g++-mingw-w64-x86-64 mingw-w64 libz-mingw-w64-dev zip git
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  needs nodejs npm
fi

SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022
if [ -n "$(git status --porcelain --untracked-files=normal)" ]; then
  echo "make-release: WARNING: the working tree differs from the last commit; these downloads" \
    "are not that commit's" >&2
fi

root=$(pwd)
dist=$root/dist
work=$root/build/dist
rm -rf "$dist" "$work/stage" "$work/trees"
mkdir -p "$dist" "$work/trees"

# The viewer's module first: the Linux install below takes viewer/vantrix.js with the page.
bash tools/run-wasm-build.sh

# Linux: configured for /usr, so the staged tree is the Debian package's; the tarball takes
# the same files from it.
cmake -S . -B "$work/linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$work/linux" --parallel 2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$work/linux/CMakeCache.txt")
[ -n "$version" ] || { echo "make-release: no project version in $work/linux" >&2; exit 1; }
DESTDIR=$work/stage cmake --install "$work/linux" --strip >/dev/null
# The compiler's version notes say nothing a user needs (lintian asks for them gone).
strip --remove-section=.comment --remove-section=.note "$work/stage/usr/bin/vantrix"
strip --remove-section=.comment --enable-deterministic-archives \
  "$work"/stage/usr/lib/*/libvantrix.a

# Windows: the static executable, stripped.
cmake -S . -B "$work/windows" -G Ninja --no-warn-unused-cli \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF -DVANTRIX_INSTALL=OFF >/dev/null
cmake --build "$work/windows" --parallel 2 --target vantrix

# Fixed modes and times for a tree: programs 755, everything else 644.
normalise() {
  find "$1" -type d -exec chmod 755 {} +
  find "$1" -type f -exec chmod 644 {} +
  find "$1" -type f \( -name vantrix -o -name vantrix.exe \) -exec chmod 755 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}
# Text for Windows: CR LF line ends.
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }
with_version() { sed "s/@VERSION@/$version/g" "$1"; }

name=vantrix-$version-windows-x86_64
tree=$work/trees/$name
mkdir -p "$tree/viewer"
x86_64-w64-mingw32-strip -o "$tree/vantrix.exe" "$work/windows/vantrix.exe"
with_version packaging/README-windows.txt >"$work/readme.txt"
crlf "$work/readme.txt" "$tree/README.txt"
crlf LICENSE "$tree/LICENSE.txt"
crlf packaging/THIRD-PARTY.txt "$tree/THIRD-PARTY.txt"
cp viewer/index.html viewer/vantrix.js "$tree/viewer/"
normalise "$tree"
# zip -X stores no owner or extra times; entries sorted, times in UTC.
(cd "$work/trees" && find "$name" -type f | sort | zip -X -D -9 -q "$dist/$name.zip" -@)

name=vantrix-$version-linux-x86_64
tree=$work/trees/$name
mkdir -p "$tree/viewer"
cp "$work/stage/usr/bin/vantrix" "$work/stage/usr/share/man/man1/vantrix.1" "$tree/"
cp "$work/stage/usr/share/vantrix/viewer/index.html" "$work/stage/usr/share/vantrix/viewer/vantrix.js" \
  "$tree/viewer/"
cp LICENSE packaging/THIRD-PARTY.txt "$tree/"
with_version packaging/README-linux.txt >"$tree/README"
normalise "$tree"
tar --sort=name --format=gnu --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" \
  -C "$work/trees" -cf - "$name" | gzip -9n >"$dist/$name.tar.gz"

bash tools/make-deb.sh "$work/stage" "$version" "$dist" >/dev/null

# The npm package, assembled by tools/run-wasm-build.sh with its version from CMake.
npm_folder=build/wasm/npm
if [ ! -f "$npm_folder/package.json" ]; then
  echo "make-release: FAILED: $npm_folder/package.json is missing; tools/run-wasm-build.sh" \
    "must assemble the npm package there" >&2
  exit 1
fi
(cd "$npm_folder" && npm pack --pack-destination "$dist" --loglevel=error >/dev/null)
[ -f "$dist/vantrix-$version.tgz" ] || {
  echo "make-release: FAILED: npm pack did not give vantrix-$version.tgz:" "$(ls "$dist")" >&2
  exit 1
}

(cd "$dist" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | sort |
  xargs sha256sum >SHA256SUMS)
echo "make-release: vantrix $version in $dist (SOURCE_DATE_EPOCH $SOURCE_DATE_EPOCH)"
(cd "$dist" && ls -l --time-style=+ | tail -n +2 && cat SHA256SUMS)
