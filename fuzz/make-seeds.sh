#!/usr/bin/env bash
# Builds the seed corpora of the fuzz targets into OUTDIR/{source,class_file,zip}: Java sources of
# the tests and the samples, class files compiled from them by Debian's ecj at level 1.3 and taken
# from the class library, and small archives made by the JDK's jar, stored and deflated.
# Usage: fuzz/make-seeds.sh OUTDIR [classes.zip]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
out=$(realpath -m "$1")
library=${2:+$(realpath "$2")}
"$top/tools/require-packages.sh" make-seeds.sh ecj
jdk=/usr/lib/jvm/java-17-openjdk-amd64/bin
rm -rf "$out"
mkdir -p "$out/source" "$out/class_file" "$out/zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sources: every Java file of the tree, and the file blocks of the command-line and differential
# case tables (the latter small whole programs that reach code generation).
n=0
while IFS= read -r -d '' f; do
  n=$((n + 1))
  cp "$f" "$out/source/$(printf '%04d' $n).java"
done < <(find "$top/tests" "$top/samples" "$top/fuzz/minilib" -name '*.java' -print0 | sort -z)
awk -v dir="$out/source" '
  /^file: .*\.java <<END$/ { n++; name = sprintf("%s/case%04d.java", dir, n); copying = 1; next }
  copying && /^END$/ { copying = 0; close(name); next }
  copying { print > name }
' "$top"/tests/cli/*.cases "$top"/tests/differential/*.cases

# Class files: the sources that compile on their own, at level 1.3 (version 45.3).
mkdir -p "$work/classes"
ecj -1.3 -target 1.1 -g -nowarn -proc:none -proceedOnError -d "$work/classes" "$out"/source/*.java >/dev/null 2>&1 || true
# The dumper's samples under their own names: together they use every opcode family.
ecj -1.3 -target 1.1 -g -nowarn -proc:none -d "$work/classes/dumper" "$top"/tests/dumper/java/*.java >/dev/null 2>&1 || true
if [ -n "$library" ] && [ -f "$library" ]; then
  (cd "$work/classes" && "$jdk/jar" xf "$library" java/lang/Object.class java/lang/String.class \
     java/util/Vector.class java/util/Map.class 'java/util/Map$Entry.class' java/io/InputStream.class \
     java/awt/Frame.class java/lang/Thread.class 'java/lang/Thread$State.class') || true
fi
n=0
while IFS= read -r -d '' f; do
  n=$((n + 1))
  cp "$f" "$out/class_file/$(printf '%04d' $n).class"
done < <(find "$work/classes" -name '*.class' -print0 | sort -z)

# Archives: a few class files stored and deflated, and with a directory entry.
(cd "$work/classes" && find . -name '*.class' | sort | head -8 > "$work/list")
(cd "$work/classes" && "$jdk/jar" cf "$out/zip/deflated.jar" @"$work/list")
(cd "$work/classes" && "$jdk/jar" cf0 "$out/zip/stored.jar" @"$work/list")
(cd "$work/classes" && "$jdk/jar" cfM "$out/zip/nomanifest.jar" "$(head -1 "$work/list")")
echo "seeds: $(ls "$out/source" | wc -l) sources, $(ls "$out/class_file" | wc -l) class files, $(ls "$out/zip" | wc -l) archives"
