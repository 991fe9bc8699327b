#!/usr/bin/env bash
# Makes the Debian package the way the README says, in a clean clone of the sources:
#   build-package.sh SRC CLONE
# Leaves CLONE/build/package/tarnel_<version>_<architecture>.deb for the other package checks.
set -euo pipefail
src="$1" clone="$2"

# The first command of the README's "Installer le paquet" section.
command="$(awk '/^## Installer le paquet/ {section = 1}
                section && /^```/ {blocks++; next}
                section && blocks == 1 {print; exit}' "$src/README.md")"
command="${command%%#*}"
[ -n "${command// /}" ] || { echo "no command in the README's \"Installer le paquet\" section"; exit 1; }

rm -rf "$clone"
if git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
  git clone --quiet --no-hardlinks "$src" "$clone"
  git -C "$clone" checkout --quiet --detach "$(git -C "$src" rev-parse HEAD)"
  echo "clean clone of $(git -C "$clone" rev-parse --short HEAD) (committed changes only)"
else
  mkdir -p "$clone"
  tar -C "$src" --exclude=./build -cf - . | tar -C "$clone" -xf -
  echo "copy of $src (not a git repository)"
fi

echo "running the README's command: $command"
(cd "$clone" && bash -c "$command")
ls -l "$clone"/build/package/*.deb
