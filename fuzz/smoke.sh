#!/usr/bin/env bash
# Builds the fuzz targets and runs each over its seeds and a fixed number of fresh inputs, so
# they keep building and their seeds keep passing (about a minute in all).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
build=${FUZZ_BUILD:-$top/build-fuzz}
"$top/tools/require-packages.sh" smoke.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DQUORVELIX_FUZZ=ON >/dev/null
cmake --build "$build"
"$here/make-seeds.sh" "$build/seeds" "$build/ZPK12/lib/classes.zip"
export ASAN_OPTIONS=quarantine_size_mb=16:detect_leaks=1
mkdir -p "$build/findings"
run() {
  local target=$1 seeds=$2 runs=$3 label=${4:-$1} status=0
  echo "== $label: seeds and $runs inputs"
  "$build/fuzz/$target" -dict="$here/java.dict" -timeout=1 -rss_limit_mb=2048 -max_len=65536 -runs="$runs" \
    -artifact_prefix="$build/findings/$label-" "$seeds" >"$build/findings/$label.log" 2>&1 || status=$?
  grep -E '^(#[0-9]+ +DONE|Done|==[0-9]+==|SUMMARY|INFO: a leak)' "$build/findings/$label.log" || true
  if [ "$status" -ne 0 ]; then tail -n 40 "$build/findings/$label.log"; return "$status"; fi
}
run fuzz_source "$build/seeds/source" 20000
# The source seeds read as debugger expressions: the evaluator's mode of the same target.
FUZZ_SOURCE_MODE=evaluate run fuzz_source "$build/seeds/source" 5000 fuzz_source_evaluate
run fuzz_class_file "$build/seeds/class_file" 20000
run fuzz_zip "$build/seeds/zip" 100000
run fuzz_dumper "$build/seeds/class_file" 10000
