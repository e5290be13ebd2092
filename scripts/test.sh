#!/usr/bin/env bash
# Builds everything and runs every test: the Linux debug build, the ASan+UBSan build, the TSan
# build of the threaded suites, the Windows cross build, and a short run of every fuzz harness.
# The tests that compare the Linux layer with Windows run a Windows helper under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
fuzz_seconds=${ZR_FUZZ_SECONDS:-15}
ZR_WINE_PREFIX=$(scripts/wine-prefix.sh)
export ZR_WINE_PREFIX

step() { printf '\n=== %s\n' "$*"; }

step "Linux debug build and tests"
cmake --preset linux-debug >/dev/null
cmake --build --preset linux-debug -j "$jobs"
ctest --preset linux-debug -j "$jobs"

step "Linux ASan+UBSan build and tests"
cmake --preset linux-asan >/dev/null
cmake --build --preset linux-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset linux-asan -j "$jobs"

step "Linux TSan build of the suites with threads"
cmake --preset linux-tsan >/dev/null
cmake --build --preset linux-tsan -j "$jobs" --target zr_platform_tests zr_system_tests \
  zr_copy_tests zr_file_tests zr_config_tests zr_e2e_tests updater
# The end-to-end suite runs the TSan build of the updater: its copy threads post to the windows.
for suite in platform system copy file config e2e; do
  TSAN_OPTIONS=halt_on_error=1 "build/linux-tsan/tests/zr_${suite}_tests" --gtest_brief=1
done

step "Windows (i686) cross build"
scripts/windows-deps.sh # the static picture libraries, built once per Debian version
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686 -j "$jobs"

step "updater.exe under Wine"
cmake --build --preset linux-debug -j "$jobs" --target zr_wine_tests
build/linux-debug/tests/zr_wine_tests --gtest_brief=1

step "Unit suites built for Windows, under Wine"
scripts/wine-unit-tests.sh

step "Fuzz harnesses, ${fuzz_seconds}s each"
cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz -j "$jobs"
for harness in build/linux-fuzz/fuzz/*_fuzz; do
  name=$(basename "$harness")
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$name/." "$work/" 2>/dev/null || true
  echo "-- $name"
  # Pictures may be up to 16384 pixels a side, and a frame may hold two of them while it decodes
  # (1 GiB each at most): more than libFuzzer's default 2 GiB limit allows.
  "$harness" -max_total_time="$fuzz_seconds" -rss_limit_mb=4096 -print_final_stats=0 "$work" 2>&1 |
    tail -n 2
  rm -rf "$work"
done

step "All tests passed"
