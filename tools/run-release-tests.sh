#!/usr/bin/env bash
# Builds the release downloads (tools/make-release.sh) and checks each on its own, unpacked in an
# empty temporary folder, as the people who take it would use it:
# - the zip's vantrix.exe under Wine and the tarball's vantrix convert the example games into
#   exactly the documents of examples/expected/;
# - the Debian package passes lintian with no error, installs with apt-get, converts the
#   example game, shows its manual, and is removed again;
# - the npm tarball installs offline into an empty folder and converts the example game from a
#   five-line script;
# - the zip's viewer page, in headless Chromium, converts the example game folder chosen with
#   its folder input;
# - SHA256SUMS lists exactly the downloads, sorted, with their hashes.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source tools/needs.sh
needs wine wine64 lintian man-db unzip chromium fonts-dejavu-core
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  needs nodejs npm
fi
source tools/checks.sh

root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An empty temporary folder for each check.
fresh() { mktemp -d "$work/$1.XXXX"; }

if bash tools/make-release.sh; then pass; else fail "tools/make-release.sh"; fi
version=$(sed -n 's/^project(vantrix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip=dist/vantrix-$version-windows-x86_64.zip
tarball=dist/vantrix-$version-linux-x86_64.tar.gz
deb=dist/vantrix_${version}_$(dpkg --print-architecture).deb
npm_tgz=dist/vantrix-$version.tgz
downloads=("$zip" "$tarball" "$deb" "$npm_tgz")

# converts NAME COMMAND...: runs COMMAND Save01.lsd out.xml in a copy of each example game and
# compares the document with the reviewed one.
converts() {
  local name=$1 game expected folder
  shift
  for game in game:Save01.xml unpacked-game:unpacked-game.xml; do
    expected=examples/expected/${game#*:}
    folder=$(fresh "${game%%:*}")
    cp -r "examples/${game%%:*}/." "$folder/"
    if (cd "$folder" && "$@" Save01.lsd out.xml >"$work/console" 2>&1) &&
      cmp -s "$folder/out.xml" "$expected"; then
      pass
    else
      fail "$name: examples/${game%%:*}/Save01.lsd does not give $expected: $(head -c 300 "$work/console")"
    fi
  done
}

check "downloads" "$(printf '%s\n' "${downloads[@]##*/}" SHA256SUMS | sort)" "$(ls dist 2>&1)"
check "SHA256SUMS sorted by name" "$(printf '%s\n' "${downloads[@]##*/}" | sort)" \
  "$(awk '{print $2}' dist/SHA256SUMS 2>&1)"
(cd dist && sha256sum --check --strict --quiet SHA256SUMS) && pass || fail "sha256sum --check SHA256SUMS"

echo "release: the Windows zip"
zip_dir=$(fresh zip)
if unzip -q "$zip" -d "$zip_dir"; then
  top=$zip_dir/vantrix-$version-windows-x86_64
  check "zip contents" "LICENSE.txt README.txt THIRD-PARTY.txt vantrix.exe viewer/index.html viewer/vantrix.js" \
    "$(cd "$top" && find . -type f | sed 's|^\./||' | sort | paste -sd ' ')"
  check "README.txt lines end with CR LF" 0 "$(grep -vc $'\r$' "$top/README.txt")"
  export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$HOME/.wine-vantrix}" LC_ALL=C.UTF-8
  wine=/usr/lib/wine/wine64
  [ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
  "$wine" cmd /c exit >/dev/null 2>&1 || true # the first start makes the prefix
  wineserver -p 60 2>/dev/null || true
  converts "vantrix.exe under Wine" "$wine" "$top/vantrix.exe"
  check "vantrix.exe needs no DLL but Windows' own" "KERNEL32.dll msvcrt.dll" \
    "$(x86_64-w64-mingw32-objdump -p "$top/vantrix.exe" | awk '/DLL Name/ {print $3}' | sort | paste -sd ' ')"
else
  fail "unzip $zip"
fi

echo "release: the Linux tarball"
tar_dir=$(fresh tarball)
if tar -xzf "$tarball" -C "$tar_dir"; then
  top=$tar_dir/vantrix-$version-linux-x86_64
  check "tarball contents" "LICENSE README THIRD-PARTY.txt vantrix vantrix.1 viewer/index.html viewer/vantrix.js" \
    "$(cd "$top" && find . -type f | sed 's|^\./||' | sort | paste -sd ' ')"
  converts "the tarball's vantrix" "$top/vantrix"
  check "the tarball's vantrix is static" "not a dynamic executable" "$(ldd "$top/vantrix" 2>&1 | sed 's/^[[:space:]]*//')"
  grep -qF "\"vantrix $version\"" "$top/vantrix.1" && pass || fail "the manual does not name vantrix $version"
else
  fail "tar -xzf $tarball"
fi

echo "release: the Debian package"
lintian_out=$(lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1)
code=$?
lintian_out=$(grep -v 'running with root privileges' <<<"$lintian_out")
echo "lintian: ${lintian_out:-no tag}"
check "lintian exit code" 0 "$code"
check "lintian errors" "" "$(grep '^E:' <<<"$lintian_out")"
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@" >/dev/null; }
if apt_get install "$root/$deb"; then
  pass
  converts "the packaged vantrix" /usr/bin/vantrix
  check "packaged version" "$version" "$(dpkg-query -W -f='${Version}' vantrix)"
  [ -s /usr/share/doc/vantrix/copyright ] && pass || fail "no /usr/share/doc/vantrix/copyright"
  MANWIDTH=100 man vantrix 2>&1 | col -b | grep -qF "vantrix $version" && pass ||
    fail "man vantrix does not name vantrix $version"
  apt_get remove vantrix && [ ! -e /usr/bin/vantrix ] && pass || fail "apt-get remove vantrix"
else
  fail "apt-get install $deb"
fi

echo "release: the npm package"
npm_dir=$(fresh npm)
if [ -f "$npm_tgz" ] &&
  (cd "$npm_dir" && npm install --offline --no-audit --no-fund --loglevel=error "$root/$npm_tgz" >/dev/null); then
  pass
  cat >"$npm_dir/convert.mjs" <<'EOF'
import { writeFileSync } from "node:fs";
import { convertSaveFile } from "vantrix/node";
const result = await convertSaveFile(process.argv[2]);
if (result.status !== "converted") throw new Error(`vantrix: ${result.status}`);
writeFileSync(process.argv[3], result.document);
EOF
  converts "the npm package" node "$npm_dir/convert.mjs"
else
  fail "npm install --offline $npm_tgz"
fi

echo "release: the zip's viewer page"
(cd viewer/test && npm ci --no-audit --no-fund --loglevel=error) >/dev/null
page=$zip_dir/vantrix-$version-windows-x86_64/viewer/index.html
game=$(fresh viewer-game)/game
cp -r examples/game "$game"
node viewer/test/release.test.mjs "$page" "$game" && pass || fail "the zip's viewer page"

echo "release: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
