#!/usr/bin/env bash
# Runs the demo update with the Linux build of the updater: the demo package (examples/demo/package)
# updates the game installed in a fresh copy of the demo Wine prefix (examples/demo/prefix), so the
# checked-in prefix stays as it is. The updater's windows and questions appear on the console; the
# script answers OK to each (pass --ask to answer them yourself). Prints where the result is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target updater >/dev/null

result=$(mktemp -d /tmp/zr-demo-XXXXXX)
cp -a examples/demo/prefix "$result/prefix"
updater="$PWD/build/linux-release/updater"
cd examples/demo/package
if [ "${1:-}" = "--ask" ]; then
  WINEPREFIX="$result/prefix" "$updater"
else
  printf '\n\n' | WINEPREFIX="$result/prefix" "$updater"
fi

game="$result/prefix/drive_c/Games/StarlitGarden"
printf '\nThe updated game is in %s\n' "$game"
(cd "$game" && find . -type f | sort | sed 's/^\.\//  /')
printf 'install.log (Shift-JIS, CR LF):\n'
iconv -f CP932 -t UTF-8 "$game/install.log" | tr -d '\r' | sed 's/^/  /'
