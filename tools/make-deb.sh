#!/usr/bin/env bash
# The one recipe of vantrix's Debian package, used by tools/make-release.sh and
# tools/run-install-tests.sh:
#
#   bash tools/make-deb.sh STAGE VERSION OUTDIR
#
# STAGE holds what `DESTDIR=STAGE cmake --install BUILD --prefix /usr --strip` installs; the
# package gets those files with the Debian documents (copyright, changelog) and compressed
# manual pages, owned by root, dated SOURCE_DATE_EPOCH (default: the last commit's time), so
# that the same STAGE always gives the same bytes. Prints the package's path.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 STAGE VERSION OUTDIR" >&2; exit 2; }
stage=$1 version=$2 outdir=$3
here=$(cd "$(dirname "$0")/.." && pwd)
[ -x "$stage/usr/bin/vantrix" ] || { echo "$0: $stage/usr/bin/vantrix is missing" >&2; exit 1; }
: "${SOURCE_DATE_EPOCH:=$(git -C "$here" log -1 --format=%ct)}"
export SOURCE_DATE_EPOCH
umask 022

arch=$(dpkg --print-architecture)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cp -a "$stage/." "$root/"
doc=$root/usr/share/doc/vantrix
mkdir -p "$doc" "$root/DEBIAN"

# Debian reads the manual pages and changelog compressed, without a name or time in the header.
find "$root/usr/share/man" -type f -name '*.[0-9]' -exec gzip -9n {} +
install -m 644 "$here/packaging/copyright" "$doc/copyright"
mkdir -p "$root/usr/share/lintian/overrides"
install -m 644 "$here/packaging/lintian-overrides" "$root/usr/share/lintian/overrides/vantrix"
# A package whose version has no Debian revision keeps its changelog in Debian's format as
# changelog.gz; each release of CHANGELOG.md becomes one entry, its sections' bullets shortened
# to their bold titles. CHANGELOG.md itself goes beside it.
# No mail address of the project exists yet (packaging/lintian-overrides says so).
maintainer="vantrix authors <vantrix@invalid>"
awk -v maintainer="$maintainer" '
  function close_entry() {
    if (entry == "") return
    printf "%s  * In full: /usr/share/doc/vantrix/CHANGELOG.md.gz\n", entry
    cmd = "date -u -R -d " date " 2>/dev/null"
    cmd | getline stamp; close(cmd)
    printf "\n -- %s  %s\n\n", maintainer, stamp
  }
  /^## \[/ {
    close_entry()
    match($0, /\[[^]]+\]/); ver = substr($0, RSTART + 1, RLENGTH - 2)
    date = $NF
    entry = ver == "Unreleased" ? "" : "vantrix (" ver ") unstable; urgency=medium\n\n"
    next
  }
  entry != "" && /^- \*\*/ {
    title = $0; sub(/^- \*\*/, "", title); sub(/\*\*.*/, "", title); sub(/\.$/, "", title)
    entry = entry "  * " title ".\n"
  }
  END { close_entry() }
' "$here/CHANGELOG.md" | gzip -9n >"$doc/changelog.gz"
[ "$(zcat "$doc/changelog.gz" | head -1)" == "vantrix ($version) unstable; urgency=medium" ] || {
  echo "$0: CHANGELOG.md's latest release is not $version" >&2
  exit 1
}
gzip -9n <"$here/CHANGELOG.md" >"$doc/CHANGELOG.md.gz"

installed_kib=$(du -sk --apparent-size "$root/usr" | cut -f1)
cat >"$root/DEBIAN/control" <<EOF
Package: vantrix
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $installed_kib
Suggests: zlib1g-dev
Section: utils
Priority: optional
Description: preview documents of RPG Maker 2000/2003 saves, with their faces
 vantrix reads a save file of the RPG Maker 2000 and 2003 engines (*.lsd) and
 writes an XML preview of what a load menu shows of it: save time, hero,
 playing time, money and up to four faces from the game's FaceSet folder. It
 is careful with files from strangers: bounded memory and time, atomic output,
 no name that leaves the FaceSet folder.
 .
 This package holds the program and its manual, the static library with its
 headers, CMake package and pkg-config file, and a viewer page that shows
 preview documents, saves and game folders as save slots.
EOF
(cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"

# Fixed modes and times: programs 755, everything else 644, folders 755.
find "$root" -type d -exec chmod 755 {} +
find "$root" -type f -exec chmod 644 {} +
chmod 755 "$root"/usr/bin/*
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

mkdir -p "$outdir"
deb=$outdir/vantrix_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
