#!/usr/bin/env bash
# The main job: builds the plug-in and runs the example MEL script in the
# MEL host, with the plug-in loaded.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

BUILD="${ZX_RUN_BUILD:-$ZX_ROOT/build}"
zx_install_packages
zx_configure "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j "$(zx_jobs)" --target zx melhost >/dev/null
cd "$ZX_ROOT"
# The repository's own job types (the "maya" type brings the farm menu).
export ZXPATH="${ZXPATH:-$ZX_ROOT/jobtypes}"
# A private folder (mode 0700) for the files the demo writes, removed at the end.
ZXDEMO_DIR="$(mktemp -d)"
export ZXDEMO_DIR
trap 'rm -rf "$ZXDEMO_DIR"' EXIT
"$BUILD/tools/melhost/melhost" -p "$BUILD/src/zx.so" "${1:-examples/demo.mel}"
