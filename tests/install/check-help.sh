#!/usr/bin/env bash
# The help document renders: its first page becomes a picture that is not blank, it is French and
# it gives the program's version (the second argument) in words and in its creator field.
set -euo pipefail
pdf="$1"
version="$2"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
pdftoppm -png -r 40 -f 1 -l 1 "$pdf" "$out/page"
page="$(ls "$out"/page*.png)"
colours="$(identify -format '%k' "$page")"
[ "$colours" -gt 8 ] || { echo "the first page is blank ($colours colours)"; exit 1; }
text="$(pdftotext -l 1 "$pdf" -)"
for phrase in "La fenêtre principale" "Recherche par adresse" "coordonnées" "Version $version"; do
  grep -qF "$phrase" <<<"$text" || { echo "missing on page 1: $phrase"; exit 1; }
done
creator="$(pdfinfo "$pdf" | sed -n 's/^Creator: *//p')"
[ "$creator" = "Tarnel $version" ] || { echo "creator is '$creator', not 'Tarnel $version'"; exit 1; }
echo "first page: $colours colours, French text found"
