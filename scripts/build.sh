#!/usr/bin/env bash
# Installs what is missing, then configures and builds PRESET (default: "default").
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
bash scripts/setup.sh
source scripts/compiler-cache.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
