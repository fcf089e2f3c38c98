#!/usr/bin/env bash
# Builds the project and runs every test. With --sanitize, in a separate build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-packages.sh
build=build
options=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  options+=(-DQUORVELIX_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$build" -G Ninja "${options[@]}"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
