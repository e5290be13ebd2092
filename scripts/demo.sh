#!/usr/bin/env bash
# Builds the release configuration and shows the demo update package as the updater reads it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target zrpackage >/dev/null
build/linux-release/tools/zrpackage show examples/demo/package "$@"
