#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tarnel.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Tarnel est un programme graphique : aucun écran n'est disponible (ni DISPLAY ni WAYLAND_DISPLAY)." >&2
  echo "Lancez-le depuis une session de bureau, ou sous xvfb-run pour un écran virtuel." >&2
  exit 1
fi
bash scripts/build.sh default
exec build/default/app/tarnel
