#!/usr/bin/env bash
# Builds the program alone, pointed at the stand-in map service:
#   build-program.sh SRC DIR HOST BUILD_TYPE
set -euo pipefail
src="$1" dir="$2" host="$3" type="$4"
cmake -S "$src" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DBUILD_TESTING=OFF \
  -DTARNEL_MAP_HOST="$host" >/dev/null
cmake --build "$dir" --target tarnel -j "$(nproc)"
