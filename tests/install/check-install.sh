#!/usr/bin/env bash
# `cmake --install` gives a program folder that holds what the program needs, and it starts.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in tarnel AideTarnel.pdf translations/qtbase_fr.qm \
            share/applications/tarnel.desktop share/icons/hicolor/scalable/apps/tarnel.svg; do
  [ -e "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
grep -qxF "Exec=\"$prefix/tarnel\"" "$prefix/share/applications/tarnel.desktop" \
  || { echo "the desktop entry does not start the installed program"; exit 1; }

# Started from the folder, it keeps running (its window up) until it is stopped.
status=0
QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 timeout 10 "$prefix/tarnel" || status=$?
[ "$status" -eq 124 ] || { echo "the installed program ended by itself (status $status)"; exit 1; }
echo "installed and started from $prefix"
