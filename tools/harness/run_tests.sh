#!/usr/bin/env bash
# Runs every test of the system on this machine, installing what is missing:
# the native build (portable code and reference server), the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, short fuzzing runs, and the
# Windows build's tests under Wine on a virtual display.
# Exits non-zero when any step or test fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=$(nproc)

tools/env/install_deps.sh

step() { printf '\n=== %s\n' "$*"; }

step "native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native -j"$jobs"

step "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan -j"$jobs"
ctest --preset native-asan -j"$jobs"

step "fuzz targets"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"
tools/harness/run_fuzzers.sh build/fuzz

step "Windows build and tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset windows -j"$jobs"
