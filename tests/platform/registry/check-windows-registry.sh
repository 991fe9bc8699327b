#!/usr/bin/env bash
# Compiles the Windows registry (platform/registry/SystemRegistry_windows.cpp) with the MinGW
# cross-compiler, so that code only Windows builds is checked on Linux too. Syntax only: the
# Qt headers of this system stand in for a Windows Qt, which the check does not link against.
# Arguments: Qt include directories (default: the QtCore headers qtpaths6 names).
# Exits 77 when the cross-compiler is missing (CTest shows the check as skipped).
set -euo pipefail
cd "$(dirname "$0")/../../.."

compiler="${MINGW_CXX:-x86_64-w64-mingw32-g++}"
if ! command -v "$compiler" >/dev/null 2>&1; then
  echo "$compiler is missing (Debian package g++-mingw-w64-x86-64): check skipped" >&2
  exit 77
fi

includes=("$@")
if [ ${#includes[@]} -eq 0 ]; then
  headers="$(qtpaths6 --query QT_INSTALL_HEADERS)"
  includes=("$headers" "$headers/QtCore")
fi
flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -I.)
for dir in "${includes[@]}"; do
  flags+=(-isystem "$dir")
done

"$compiler" "${flags[@]}" platform/registry/SystemRegistry_windows.cpp
echo "platform/registry/SystemRegistry_windows.cpp compiles for Windows ($compiler)"
