#!/usr/bin/env bash
# `cpack -G DEB` in a build tree of the default preset makes the same package, which passes the
# same checks:
#   package-build-tree.sh BUILD_DIR VERSION EXPECTED_CONTENTS SOURCE_DIR
set -euo pipefail
build="$1"
shift
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
bash "$(dirname "$0")/check-package.sh" "$out" "$@"
