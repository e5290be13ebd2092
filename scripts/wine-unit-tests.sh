#!/usr/bin/env bash
# Builds the unit suites for Windows (preset windows-i686-tests) and runs each under Wine, so the
# win32 platform layer meets the same tests as the Linux one. The suites run in a throw-away copy
# of the prepared prefix, with an X server of their own for the window tests. Prints every suite's
# summary and fails when any suite fails.
#   scripts/wine-unit-tests.sh [build folder]   (default: build/windows-i686-tests)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/windows-i686-tests}
started=$SECONDS

scripts/windows-deps.sh >/dev/null # GoogleTest and the picture libraries for i686
cmake --preset windows-i686-tests -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target zr_unit_tests
built=$SECONDS

work=$(mktemp -d)
xvfb=""
cleanup() {
  if [ -d "$work/prefix" ]; then WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
cp -a "$(scripts/wine-prefix.sh)" "$work/prefix"

# Xvfb picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "wine-unit-tests: Xvfb did not start" >&2; exit 1; }

# Wine's Direct3D draws through 32-bit OpenGL, given to the Windows programs alone: the X server
# keeps finding its own 64-bit driver.
wine=(wine)
mesa=$(scripts/mesa-i386.sh)
if [ -n "$mesa" ]; then
  wine=(env "LD_LIBRARY_PATH=$mesa/usr/lib/i386-linux-gnu:$mesa/lib/i386-linux-gnu"
    "LIBGL_DRIVERS_PATH=$mesa/usr/lib/i386-linux-gnu/dri" wine)
fi

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=":$(cat "$work/display")" LANG=C.UTF-8 LC_ALL=C.UTF-8
failed=()
for suite in "$build"/tests/zr_*_tests.exe; do
  name=$(basename "$suite" .exe)
  # Output to a file: Wine consoles are slow on pipes.
  # A run that ends well but leaves no summary lost its output under Wine: it runs once more.
  for _ in 1 2; do
    status=0
    timeout 300 "${wine[@]}" "$suite" --gtest_brief=1 >"$work/$name.log" 2>&1 || status=$?
    if [ "$status" -ne 0 ] || grep -q '^\[==========\]' "$work/$name.log"; then break; fi
    status=1 # no summary: a failure unless the second run gives one
  done
  printf -- '-- %s\n' "$name"
  if [ "$status" -ne 0 ]; then
    failed+=("$name")
    grep -v '^Running main()' "$work/$name.log" | tail -n 80
    [ "$status" -ne 124 ] || echo "(ended after 300 s)"
  else
    grep -E '^\[  (PASSED|SKIPPED) *\]|^\[==========\]' "$work/$name.log"
  fi
done
echo "wine-unit-tests: build $((built - started)) s, run $((SECONDS - built)) s"
if [ "${#failed[@]}" -ne 0 ]; then
  echo "wine-unit-tests: failed: ${failed[*]}" >&2
  exit 1
fi
