#!/usr/bin/env bash
# Runs one fuzz target for as long as asked, keeping the corpus it grows in fuzz/corpora/TARGET
# and any finding in fuzz/findings/. Needs the build of CMake option QUORVELIX_FUZZ in build-fuzz.
# Usage: fuzz/run.sh TARGET SECONDS [JOBS]   (TARGET: fuzz_source, fuzz_class_file, fuzz_zip, fuzz_dumper)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
target=$1
seconds=$2
jobs=${3:-1}
binary=${FUZZ_BUILD:-$top/build-fuzz}/fuzz/$target
corpus=$here/corpora/$target
seeds=${FUZZ_SEEDS:-$top/build-fuzz/seeds}
mkdir -p "$corpus" "$here/findings"
# The dumper's time goes into printing, so its inputs are kept shorter.
max_len=65536
case $target in
  fuzz_source) seed_dir=$seeds/source ;;
  fuzz_class_file) seed_dir=$seeds/class_file ;;
  fuzz_dumper) seed_dir=$seeds/class_file max_len=16384 ;;
  fuzz_zip) seed_dir=$seeds/zip ;;
  *) echo "unknown target $target" >&2; exit 2 ;;
esac
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:detect_leaks=1}
exec "$binary" -dict="$here/java.dict" -timeout=1 -rss_limit_mb=2048 -max_len="$max_len" \
  -max_total_time="$seconds" -fork="$jobs" -ignore_crashes=0 \
  -artifact_prefix="$here/findings/$target-" "$corpus" "$seed_dir"
