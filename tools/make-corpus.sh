#!/usr/bin/env bash
# Builds a corpus of real Java 1.1 source: runs Debian's parser and scanner generators
# (javacc4, antlr 2.7, jflex, cup, byacc-j, jlex) on the grammars and examples their
# packages ship, keeps only files that ecj accepts at source level 1.3 and that use no
# assert/enum/annotations and only ASCII, and copies them, deduplicated, into OUTDIR.
set -euo pipefail
export LC_ALL=C

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
OUTDIR=$1

# --- packages --------------------------------------------------------------------------
packages=(default-jre-headless ecj junit jlex cup jflex byacc-j libantlr-java antlr antlr-doc
          javacc4 javacc4-doc javacc-doc)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT #DBG
GEN=$WORK/gen
mkdir -p "$GEN"

# The example trees live under /usr/share/doc. Machines whose dpkg is set to leave out
# /usr/share/doc get them from the package archives instead.
DOC=/usr/share/doc
if [ ! -d $DOC/antlr/examples/java ] || [ ! -d $DOC/javacc4/examples ] ||
   [ ! -d $DOC/javacc/grammars ] || [ ! -d $DOC/jflex/examples ] ||
   [ ! -f $DOC/jlex/examples/sample.lex ] || [ ! -f $DOC/byacc-j/tf.y ]; then
  mkdir -p "$WORK/debs" "$WORK/root"
  (cd "$WORK/debs" && apt-get download -qq antlr-doc javacc4-doc javacc-doc jflex jlex byacc-j)
  for d in "$WORK"/debs/*.deb; do dpkg-deb -x "$d" "$WORK/root"; done
  DOC=$WORK/root/usr/share/doc
fi

CP=/usr/share/java/antlr.jar:/usr/share/java/cup_runtime.jar:/usr/share/java/junit.jar
ANTLR="java -cp /usr/share/java/antlr.jar antlr.Tool"

# --- generation units ------------------------------------------------------------------
# A unit is a directory of inputs plus the commands that generate Java in it; all the
# .java files of a unit are checked together.
shopt -s nullglob
units=()
# unit NAME SRCDIR COMMANDS FILE... : copies FILEs (paths relative to SRCDIR, kept as they
# are; .gz files are unpacked) into the unit and records COMMANDS to run there.
unit() {
  local name=$1 src=$2 cmds=$3 f
  shift 3
  mkdir -p "$GEN/$name"
  for f in "$@"; do
    mkdir -p "$GEN/$name/$(dirname "$f")"
    case $f in
      *.gz) gzip -dc "$src/$f" > "$GEN/$name/${f%.gz}" ;;
      *) cp "$src/$f" "$GEN/$name/$f" ;;
    esac
  done
  printf '%s\n' "$cmds" > "$GEN/$name/.gen"
  units+=("$name")
}

# javacc4 / jjtree4 commands for one grammar file (.jj, .jjt, maybe .gz)
jcc() {
  local g=${1%.gz}
  case $g in
    *.jjt) echo "jjtree4 $g && javacc4 ${g%.jjt}.jj" ;;
    *) echo "javacc4 $g" ;;
  esac
}

# javacc4's examples: one unit per grammar, with the hand-written Java of its directory;
# Obfuscator's three grammars work together and form a single unit.
EX=$DOC/javacc4/examples
while read -r dir; do
  rel=${dir#"$EX"/}
  javas=()
  grammars=()
  for f in $(cd "$dir" && ls); do
    case $f in
      *.java) javas+=("$f") ;;
      *.jj | *.jjt) grep -q 'OUTPUT_LANGUAGE *= *"c++"' "$dir/$f" || grammars+=("$f") ;;
    esac
  done
  [ ${#grammars[@]} -gt 0 ] || continue
  if [ "$rel" = Obfuscator ]; then
    cmds=""
    for g in "${grammars[@]}"; do cmds+="$(jcc "$g")"$'\n'; done
    # shellcheck disable=SC2046
    unit "javacc4/$rel" "$dir" "$cmds" "${javas[@]}" "${grammars[@]}" \
      $(cd "$dir" && find input -name '*.java' | sort)
    continue
  fi
  for g in "${grammars[@]}"; do
    unit "javacc4/$rel/${g%.*}" "$dir" "$(jcc "$g")" "${javas[@]}" "$g"
  done
done < <(find "$EX" -type d | sort)

# The larger grammars that the javacc (7) package ships, generated with javacc4, whose
# output stays within the old language.
for g in $(cd $DOC/javacc/grammars && ls | grep -E '\.jjt?(\.gz)?$'); do
  b=${g%.gz}
  unit "javacc4/grammars/${b%.*}" $DOC/javacc/grammars "$(jcc "$g")" "$g"
done

# antlr 2.7.7's Java examples: one unit per directory, grammars in build order.
AX=$DOC/antlr/examples/java
for dir in "$AX"/*/; do
  d=$(basename "$dir")
  case $d in
    java) order="java.g java.tree.g" ;;
    multiLexer) order="javadoclex.g javadocparse.g javalex.g javaparse.g" ;;
    pascal) order="pascal.g pascal.tree.g -glib:pascal.tree.g:symtab.g" ;;
    tinybasic) order="TinyBasic.g TinyBasicTreeWalker.g" ;;
    tinyc) order="lexer.g tinyc.g" ;;
    inherit.tinyc) order="lexer.g tinyc.g -glib:tinyc.g:subc.g" ;;
    *) order=$(cd "$dir" && ls -- *.g) ;;
  esac
  cmds=""
  for g in $order; do
    case $g in
      -glib:*) g=${g#-glib:}; cmds+="$ANTLR -glib ${g%%:*} ${g#*:}"$'\n' ;;
      *) cmds+="$ANTLR $g"$'\n' ;;
    esac
  done
  files=$(cd "$dir" && find . -type f | sed 's|^\./||' | sort |
          grep -vE '(^|/)(Makefile\.in|shiplist|.*\.bat)$' || true)
  # shellcheck disable=SC2086
  unit "antlr/$d" "$dir" "$cmds" $files
  if [ "$d" = inherit.tinyc ]; then
    cp "$AX/tinyc/lexer.g" "$AX/tinyc/tinyc.g" "$GEN/antlr/$d/"
  fi
done

# jflex's examples, with cup and byacc-j where they use them.
FX=$DOC/jflex/examples
unit jflex/byaccj "$FX/byaccj" "jflex -q calc.flex
byaccj -J calc.y" calc.flex calc.y
unit jflex/cup-maven "$FX/cup-maven" "jflex -q src/main/jflex/lcalc.flex
cup -parser parser -symbols sym src/main/cup/ycalc.cup" \
  src/main/cup/ycalc.cup src/main/jflex/lcalc.flex src/main/java/Main.java \
  src/test/java/LexerTest.java
unit jflex/interpreter "$FX/interpreter" "jflex -q scanner.flex
cup -interface parser.cup" $(cd "$FX/interpreter" && ls -- *.java *.flex *.cup)
unit jflex/java "$FX/java" "jflex -q java.flex
jflex -q unicode.flex
cup -interface java12.cup" $(cd "$FX/java" && ls -- *.java *.flex *.cup)
unit jflex/simple-maven "$FX/simple-maven" "jflex -q src/main/jflex/simple.flex" \
  src/main/jflex/simple.flex src/main/java/Utility.java src/main/java/Yytoken.java \
  src/test/java/YylexTest.java
unit jflex/standalone-maven "$FX/standalone-maven" "jflex -q src/main/jflex/standalone.flex" \
  src/main/jflex/standalone.flex $(cd "$FX/standalone-maven" && find src/test -name '*.java' | sort)
unit jflex/zero-reader "$FX/zero-reader" "jflex -q zero-lexer.jflex" \
  zero-lexer.jflex FunkyReader.java ZeroReader.java

# byacc-j's and jlex's own examples
unit byaccj/tf $DOC/byacc-j "byaccj -J -Jsemantic=double tf.y" tf.y
unit jlex/sample $DOC/jlex/examples "jlex sample.lex" sample.lex

# --- run the generators ----------------------------------------------------------------
JOBS=$(nproc 2>/dev/null || echo 4)
# Many short-lived JVMs run side by side: keep each one light.
export JAVA_TOOL_OPTIONS="-XX:TieredStopAtLevel=1 -XX:+UseSerialGC -Xss8m"
printf '%s\n' "${units[@]}" |
  xargs -P "$JOBS" -I{} sh -c 'cd "$1" && bash .gen > .log 2>&1 || true' _ "$GEN/{}"

# --- filter ----------------------------------------------------------------------------
# Files with bytes other than printable ASCII, or that use assert, enum or @ outside
# comments and literals, are dropped but still given to ecj as context for the files that
# need them. ecj then checks the unit's files together, again and again without the files
# it rejects, until it accepts all that is left. Kept files are listed in .kept, dropped
# ones in .dropped with the reason.
filter_unit() {
  local dir=$1 cp=$2 f bad
  cd "$dir"
  : > .kept
  : > .dropped
  local files=() ctx=()
  while read -r f; do
    if grep -qP '[^\t\r\f\x20-\x7e]' "$f"; then
      printf 'not ASCII\t%s\n' "$f" >> .dropped
      ctx+=("$f")
    elif perl -0777 -ne '
        s{/\*.*?\*/|//[^\n]*|"(?:\\.|[^"\\\n])*"|'"'"'(?:\\.|[^'"'"'\\\n])*'"'"'}{ }gs;
        exit(/\b(?:assert|enum)\b|\@/ ? 0 : 1)' "$f"; then
      printf 'assert, enum or annotations\t%s\n' "$f" >> .dropped
      ctx+=("$f")
    else
      files+=("$f")
    fi
  done < <(find . -name '*.java' -type f | sed 's|^\./||' | sort)
  while [ ${#files[@]} -gt 0 ]; do
    if ecj -1.3 -nowarn -proc:none -d none -encoding UTF-8 -classpath "$cp" \
         "${files[@]}" "${ctx[@]+"${ctx[@]}"}" > .ecj 2>&1; then
      break
    fi
    bad=$(sed -nE 's|^[0-9]+\. ERROR in (.*\.java)( \(at line [0-9]+\))?$|\1|p' .ecj |
          sed "s|^$PWD/||" | sort -u)
    local keep=() kctx=()
    for f in "${files[@]}"; do
      if [ -z "$bad" ] || grep -qxF "$f" <<< "$bad"; then
        printf 'rejected by ecj\t%s\n' "$f" >> .dropped
      else
        keep+=("$f")
      fi
    done
    for f in "${ctx[@]+"${ctx[@]}"}"; do
      grep -qxF "$f" <<< "$bad" || kctx+=("$f")
    done
    files=("${keep[@]+"${keep[@]}"}")
    ctx=("${kctx[@]+"${kctx[@]}"}")
  done
  if [ ${#files[@]} -gt 0 ]; then printf '%s\n' "${files[@]}" > .kept; fi
}
export -f filter_unit
printf '%s\n' "${units[@]}" |
  xargs -P "$JOBS" -I{} bash -c 'filter_unit "$1" "$2"' _ "$GEN/{}" "$CP"

# --- copy out --------------------------------------------------------------------------
# Files whose content is already in the corpus (the support classes that the generators
# write again for every grammar, say) are left out.
mkdir -p "$OUTDIR"
find "$OUTDIR" -mindepth 1 -delete
declare -A seen=()
dups=0
for u in $(printf '%s\n' "${units[@]}" | sort); do
  while read -r f; do
    [ -n "$f" ] || continue
    h=$(sha256sum < "$GEN/$u/$f")
    h=${h%% *}
    if [ -n "${seen[$h]+x}" ]; then
      dups=$((dups + 1))
      continue
    fi
    seen[$h]=1
    mkdir -p "$OUTDIR/$u/$(dirname "$f")"
    cp "$GEN/$u/$f" "$OUTDIR/$u/$f"
  done < "$GEN/$u/.kept"
done

# How many distinct files were dropped, and why (first reason found for each content).
declare -A why=()
while IFS=$'\t' read -r reason path; do
  h=$(sha256sum < "$path")
  h=${h%% *}
  [ -n "${seen[$h]+x}" ] || [ -n "${why[$h]+x}" ] || why[$h]=$reason
done < <(for u in $(printf '%s\n' "${units[@]}" | sort); do
           sed "s|\t|\t$GEN/$u/|" "$GEN/$u/.dropped"
         done)
for h in "${!why[@]}"; do echo "${why[$h]}"; done | sort | uniq -c |
  while read -r n reason; do echo "dropped $n files: $reason"; done
echo "left out $dups copies of files already in the corpus"
nfiles=$(find "$OUTDIR" -name '*.java' -type f | wc -l)
nlines=$(find "$OUTDIR" -name '*.java' -type f -print0 | sort -z | xargs -0 cat | wc -l)
echo "corpus: $nfiles files, $nlines lines in $OUTDIR"
