#!/usr/bin/env bash
# Compiles every unit of the corpus (tools/make-corpus.sh), the sample programs and each program
# of the differential tables (tests/differential/*.cases) with two builds of the compiler, with
# and without -g, and compares what they write: each class file byte for byte, and the
# diagnostics. For changes that must not change the output; prints the units that differ and
# exits 1 if any does.
#   usage: tools/compare-corpus.sh OLD_QUORVELIX NEW_QUORVELIX CORPUS_DIR
set -euo pipefail
export LC_ALL=C

# One unit: DIR CLASSPATH FILES..., compiled by both into WORK/N; prints "differs" lines.
if [ "${1:-}" = --unit ]; then
  shift
  old=$1 new=$2 work=$3 n=$4 dir=$5 classpath=$6
  shift 6
  status=0
  for flags in "" "-g"; do
    for side in old new; do
      out=$work/$n/$side
      rm -rf "$out" && mkdir -p "$out/classes"
      compiler=$old
      [ $side = new ] && compiler=$new
      # shellcheck disable=SC2086
      (cd "$dir" && "$compiler" $flags -classpath "$classpath" -d "$out/classes" "$@" \
        >"$out/stdout" 2>"$out/stderr"; echo "status $?" >>"$out/stdout") || true
    done
    if ! diff -r "$work/$n/old" "$work/$n/new" >/dev/null; then
      echo "differs: $dir ${flags:-(no -g)}: $*"
      diff -r "$work/$n/old" "$work/$n/new" | head -20
      status=1
    fi
  done
  find "$work/$n/new/classes" -name '*.class' | wc -l >"$work/$n.count"
  rm -rf "${work:?}/$n"
  exit $status
fi

if [ $# -ne 3 ]; then
  echo "usage: $0 OLD_QUORVELIX NEW_QUORVELIX CORPUS_DIR" >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
corpus=$(realpath "$3")
root=$(realpath "$(dirname "$0")/..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# units: one line each, the directory, the class path and the files, tab-separated.
units=$work/units.txt
while IFS=$'\t' read -r _ files; do
  printf '%s\t%s\t%s\n' "$corpus" "$corpus/lib/runtime.zip" "$files"
done <"$corpus/units.txt" >"$units"
for own in samples tests/dumper/java; do
  printf '%s\t%s\t%s\n' "$root/$own" "$corpus/lib/runtime.zip" "$(cd "$root/$own" && ls ./*.java | tr '\n' ' ')" >>"$units"
done
# One directory per case of the differential tables, its files written out.
awk -v base="$work/cases" -v units="$units" '
  /^=== / { n++; dir = base "/" n; files = ""; next }
  /^file: .* <<END$/ { name = $2; path = dir "/" name; sub(/\/[^\/]*$/, "", path)
                       system("mkdir -p \"" path "\""); out = dir "/" name; files = files " " name; next }
  out != "" && /^END$/ { close(out); out = ""; next }
  out != "" { print > out; next }
  /^ecj: / && files != "" { print dir "\t.\t" files >> units; files = "" }
' "$root"/tests/differential/*.cases

status=0
export old new work
# JOBS compiles at a time (4 unless set).
i=0
while IFS=$'\t' read -r dir classpath files; do
  i=$((i + 1))
  echo "$i"$'\t'"$dir"$'\t'"$classpath"$'\t'"$files"
done <"$units" | xargs -d '\n' -P "${JOBS:-4}" -I {} bash -c \
  'IFS=$'"'"'\t'"'"' read -r n dir classpath files <<<"$1"; exec "$0" --unit "$old" "$new" "$work" "$n" "$dir" "$classpath" $files' \
  "$0" {} || status=1
total=$(cat "$work"/*.count | awk '{ s += $1 } END { print s }')
echo "$(wc -l <"$units") units compiled with and without -g, $total class files each"
exit $status
