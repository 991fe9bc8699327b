#!/usr/bin/env bash
# The package is what Debian's own tools accept, and holds exactly the expected files:
#   check-package.sh DEB_DIR VERSION EXPECTED_CONTENTS SOURCE_DIR
set -euo pipefail
dir="$1" version="$2" expected="$3" src="$4"
arch="$(dpkg --print-architecture)"
deb="$dir/tarnel_${version}_${arch}.deb"
[ -f "$deb" ] || { echo "no package $deb (found: $(ls "$dir"))"; exit 1; }
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# Control fields: the computed library dependencies and the run-time needs no link shows.
field() { dpkg-deb --field "$deb" "$1"; }
dpkg-deb --field "$deb" Package Version Architecture Installed-Size Depends Recommends Suggests
[ "$(field Package)" = tarnel ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version $(field Version), expected $version"
depends=", $(field Depends),"
for need in libc6 libqt6core6 libqt6widgets6 libqt6webenginewidgets6 libcurl4 \
            fonts-liberation fonts-comic-neue ca-certificates libqt6svg6 \
            libqt6webengine6-data qt6-translations-l10n libjs-leaflet proj-data libproj25 \
            libgeographiclib23 libqt6webchannel6 libicu72 libjs-leaflet.markercluster \
            libqt6sql6-sqlite; do
  grep -qE "[, ]$need( \([^)]*\))?," <<<"$depends" || fail "Depends lacks $need"
done
[ "$(field Recommends)" = "hardinfo | kinfocenter | gnome-system-monitor, xdg-utils" ] ||
  fail "Recommends: $(field Recommends)"

# Exactly the expected files, modes, owners and link targets.
actual="$(dpkg-deb --contents "$deb" | awk '{line = $1 " " $2; for (i = 6; i <= NF; i++) line = line " " $i; print line}')"
if ! diff -u "$expected" <(echo "$actual"); then
  fail "the package's contents differ from $expected (- expected, + found)"
fi

# Debian's own checks.
echo "--- lintian"
lintian_output="$(lintian --display-info --tag-display-limit 0 "$deb" 2>&1)" || true
echo "${lintian_output:-(nothing reported)}"
! grep -q '^E: ' <<<"$lintian_output" || fail "lintian reports errors"

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
echo "--- desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/tarnel.desktop" || fail "desktop entry"
echo "--- appstreamcli validate --no-net, then validate-tree (the metadata with its desktop entry)"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml || fail "AppStream metadata"
appstreamcli validate-tree --no-net "$root" || fail "AppStream metadata with the desktop entry"
grep -q "<release version=\"${version%-*}\"" "$root"/usr/share/metainfo/*.xml ||
  fail "the AppStream release is not ${version%-*}"
# The screenshots are the README's pictures.
screenshots="$(grep -o '<image>[^<]*</image>' "$root"/usr/share/metainfo/*.xml | sed 's|.*/docs/||; s|</image>||')"
[ -n "$screenshots" ] || fail "no screenshot in the AppStream metadata"
for picture in $screenshots; do
  grep -qF "](docs/$picture)" "$src/README.md" || fail "screenshot $picture is not a picture of the README"
done
# One licence for the program everywhere, and the licences of the data it shows.
copyright="$root/usr/share/doc/tarnel/copyright"
for phrase in "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
              "License: GPL-3+" "/usr/share/common-licenses/GPL-3" "OpenStreetMap contributors" \
              "(ODbL-1.0)" "Base Adresse Nationale" "Licence Ouverte"; do
  grep -qF "$phrase" "$copyright" || fail "the copyright file does not name: $phrase"
done
grep -qF "<project_license>GPL-3.0-or-later</project_license>" "$root"/usr/share/metainfo/*.xml ||
  fail "the AppStream licence is not the program's (GPL-3.0-or-later)"
grep -q "^ *Version 3, 29 June 2007" "$src/LICENSE" || fail "LICENSE is not the GNU GPL version 3"
echo "--- manual page"
zcat "$root/usr/share/man/man1/tarnel.1.gz" | man -l --warnings -E UTF-8 - 2>&1 >/dev/null |
  { ! grep .; } || fail "the manual page has errors"

[ "$failed" -eq 0 ] && echo "package checked"
exit "$failed"
