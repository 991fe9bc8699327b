#!/usr/bin/env bash
# Installs what is missing, builds the program alone (preset "package") and makes its Debian
# package, build/package/tarnel_<version>_<architecture>.deb, with Debian's hardening flags.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/compiler-cache.sh
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake --preset package \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build --preset package -j "$(nproc)"
cpack --preset package
