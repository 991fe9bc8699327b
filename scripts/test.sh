#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite (PRESET: "default" or "sanitize").
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
bash scripts/build.sh "$preset"
# The builds the suite makes itself (the program for the stand-in, the package) too.
source scripts/compiler-cache.sh
ctest --preset "$preset" -j 2
