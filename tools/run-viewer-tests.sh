#!/usr/bin/env bash
# Tests viewer/index.html in headless Chromium (Debian's, with a CJK font for the names of games
# in other languages) driven by playwright-core from npm, then again with more fonts, as a
# machine with other fonts installed has them (Liberation, Droid fallback, Roboto, URW, Noto
# CJK: unpacked in build/fonts-extra and given to Chromium alone, nothing is installed), so
# that no font can move a face off its pixels. Leaves a screenshot in
# build/viewer-screenshot.png. Game folders need the page's module (bash tools/run-wasm-build.sh
# first) and the vantrix executable, built here, whose documents the page's slots must show.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}" chromium fonts-dejavu-core fonts-wqy-zenhei
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  needs nodejs npm
fi

(cd viewer/test && npm ci --no-audit --no-fund --loglevel=error)
# The release build that the other scripts use; its tests are not needed here.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF >/dev/null
cmake --build build/release --target vantrix
status=0
VANTRIX_EXE=build/release/vantrix node viewer/test/viewer.test.mjs build/viewer-screenshot.png || status=1

fonts=$PWD/build/fonts-extra
if [ ! -f "$fonts/fonts.conf" ]; then
  rm -rf "$fonts" && mkdir -p "$fonts/debs"
  packages=(fonts-liberation fonts-droid-fallback fonts-roboto-unhinted fonts-urw-base35 fonts-noto-cjk)
  if ! (cd "$fonts/debs" && apt-get download -qq "${packages[@]}" 2>/dev/null); then
    apt-get update -qq
    (cd "$fonts/debs" && apt-get download -qq "${packages[@]}" 2>/dev/null)
  fi
  for deb in "$fonts"/debs/*.deb; do dpkg-deb -x "$deb" "$fonts/root"; done
  rm -rf "$fonts/debs"
  # The system's settings and the packages' together, in the order installed ones take.
  mkdir -p "$fonts/conf.d"
  for conf in /etc/fonts/conf.d/*.conf; do ln -sf "$(readlink -f "$conf")" "$fonts/conf.d/$(basename "$conf")"; done
  for conf in "$fonts"/root/etc/fonts/conf.d/*.conf; do
    ln -sf "$fonts/root$(readlink "$conf")" "$fonts/conf.d/$(basename "$conf")"
  done
  cat >"$fonts/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <dir>/usr/local/share/fonts</dir>
  <dir>$fonts/root/usr/share/fonts</dir>
  <include ignore_missing="yes">$fonts/conf.d</include>
  <cachedir>$fonts/cache</cachedir>
</fontconfig>
EOF
fi
FONTCONFIG_FILE=$fonts/fonts.conf VANTRIX_TEST_NAME="Viewer with more fonts" VANTRIX_EXE=build/release/vantrix \
  node viewer/test/viewer.test.mjs build/viewer-screenshot-more-fonts.png || status=1
exit $status
