#!/usr/bin/env bash
# Compiles the corpus (tools/make-corpus.sh) and, when given, a directory of generated test
# programs (compile_bench -write-programs DIR) with two quorvelix programs, an old and a new, and
# compares everything they give: every class file byte for byte, the diagnostics and -verbose
# lines (each program's own kit and output directory written as <kit> and <out>), and the exit
# status. Made for changes that must not change the output, such as speed work.
# Usage: tools/compare-output.sh OLD_QUORVELIX NEW_QUORVELIX CORPUS_DIR RUNTIME_ZIP [PROGRAMS_DIR]
#   RUNTIME_ZIP: the version-45 view of the libraries the corpus calls (build/tests/corpus-classes/
#   runtime.zip after the corpus_classes test ran).
set -euo pipefail
export LC_ALL=C

if [ $# -lt 4 ] || [ $# -gt 5 ]; then
  echo "usage: $0 OLD_QUORVELIX NEW_QUORVELIX CORPUS_DIR RUNTIME_ZIP [PROGRAMS_DIR]" >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
corpus=$(realpath "$3")
runtime=$(realpath "$4")
programs=${5:+$(realpath "$5")}
for program in "$old" "$new"; do
  [ -x "$program" ] || { echo "$0: $program is not a program" >&2; exit 2; }
done
[ -f "$corpus/units.txt" ] || { echo "$0: $corpus has no units.txt: make it with tools/make-corpus.sh" >&2; exit 2; }
[ -f "$runtime" ] || { echo "$0: no $runtime" >&2; exit 2; }

work=$(mktemp -d)
[ -n "${KEEP_WORK:-}" ] && echo "work: $work" >&2 || trap 'rm -rf "$work"' EXIT

# The kit a program finds beside its tree: three levels above its directory.
kitOf() { realpath -m "$(dirname "$1")/../../../ZPK12"; }

# compile SIDE NAME DIRECTORY ARGUMENTS...: runs one side's program in DIRECTORY with -verbose,
# its class files into $work/SIDE/NAME, its output (normalised) and status into $work/SIDE/NAME.out.
compile() {
  local side=$1 name=$2 dir=$3
  shift 3
  local program=$old
  [ "$side" = new ] && program=$new
  local out=$work/$side/$name
  mkdir -p "$out"
  local status=0
  (cd "$dir" && "$program" -verbose -d "$out" "$@") >"$out.raw" 2>&1 || status=$?
  sed -e "s|$(kitOf "$program")|<kit>|g" -e "s|$out|<out>|g" "$out.raw" >"$out.out"
  echo "status $status" >>"$out.out"
  rm "$out.raw"
}

# Units as the corpus lists them: each on a source path of itself and the other units of its
# generator.
units=0
while IFS=$'\t' read -r unit files; do
  [ -n "$unit" ] || continue
  tool=${unit%%/*}
  sourcePath=$corpus/$unit
  for other in $(cut -f1 "$corpus/units.txt" | grep "^$tool/"); do sourcePath+=":$corpus/$other"; done
  name=$(echo "$unit" | tr / _)
  # The unit's files, as the list names them from the corpus's top (a unit may take a file that
  # the corpus keeps in another unit of its generator).
  read -r -a list <<<"$files"
  for side in old new; do
    compile "$side" "$name" "$corpus" -classpath "$runtime" -sourcepath "$sourcePath" "${list[@]}"
  done
  units=$((units + 1))
done <"$corpus/units.txt"

if [ -n "$programs" ]; then
  mapfile -t files < <(cd "$programs" && find . -name '*.java' | sort)
  for side in old new; do
    compile "$side" programs "$programs" "${files[@]}"
    compile "$side" programs-g "$programs" -g -xdepend "${files[@]}"
  done
fi

classes=$(find "$work/old" -name '*.class' | wc -l)
if diff -r "$work/old" "$work/new" >"$work/differences"; then
  echo "compare-output: the same: $units corpus units${programs:+ and the programs of $programs}, $classes class files, every output and status"
else
  echo "compare-output: DIFFERENT ($classes class files from the old program):" >&2
  head -50 "$work/differences" >&2
  exit 1
fi
