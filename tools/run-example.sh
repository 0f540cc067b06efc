#!/usr/bin/env bash
# Builds vantrix, converts the bundled example game's save and tells what the document holds.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/needs.sh
needs "${BUILD_PACKAGES[@]}"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRIX_TESTS=OFF >/dev/null
cmake --build build/release --target vantrix >/dev/null
document=build/Save01.xml
build/release/vantrix examples/game/Save01.lsd "$document"

# The document's values, one element a line (tags at the start of a line after indentation).
value() { sed -n "s|^ *<$1>\(.*\)</$1>\r\$|\1|p" "$document"; }
echo "vantrix converted examples/game/Save01.lsd into $(pwd)/$document"
echo "  saved      $(value timestamp)"
echo "  hero       $(value name), level $(value level), $(value hp) HP"
# Each face: its face set and number, then whether a bitmap line follows before </face>.
awk '
  /<filename>/ { gsub(/.*<filename>|<\/filename>.*/, ""); name = $0; picture = "no picture (not in the game folder)" }
  /<id>/       { gsub(/.*<id>|<\/id>.*/, ""); id = $0 }
  /<bitmap>/   { picture = "its 48 x 48 picture is embedded" }
  /<\/face>/   { printf "  face %d     %s, face %s: %s\n", ++n, name, id, picture }
' "$document"
echo "  played     $(value playingtime), money $(value money)"
echo
echo "To see it as a load menu shows it, open viewer/index.html in a browser and choose"
echo "$document (or drop it on the page)."
