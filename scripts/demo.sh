#!/usr/bin/env bash
# Builds the release configuration and runs a dry run of the demo update: the demo package
# (examples/demo/package) against the game installed in the demo Wine prefix (examples/demo/prefix).
# Nothing is written.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target zrpackage >/dev/null
WINEPREFIX="$PWD/examples/demo/prefix" \
  build/linux-release/tools/zrpackage plan examples/demo/package "$@"
