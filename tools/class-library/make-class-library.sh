#!/usr/bin/env bash
# Makes OUTDIR/classes.zip, the development kit's class library, from the installed JDK 17: compiles
# the generator and its check into OUTDIR/tools, writes the zip, then checks it.
# Usage: tools/class-library/make-class-library.sh OUTDIR (the tools go to CLASS_LIBRARY_TOOLS when set)
# The JDK is CLASS_LIBRARY_JDK when set (not JAVA_HOME, which the compiler reads as its kit's home),
# else /usr/lib/jvm/java-17-openjdk-amd64, else java and javac on the PATH.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$1

asm_dir=/usr/share/java
asm_jars=("$asm_dir/asm.jar" "$asm_dir/asm-tree.jar")
"$here/../require-packages.sh" make-class-library.sh libasm-java
for jar in "${asm_jars[@]}"; do
  if [ ! -f "$jar" ]; then
    echo "make-class-library.sh: no $jar: run tools/install-packages.sh (as root), which installs libasm-java" >&2
    exit 1
  fi
done

jdk=${CLASS_LIBRARY_JDK:-/usr/lib/jvm/java-17-openjdk-amd64}
if [ ! -x "$jdk/bin/javac" ] && ! command -v javac >/dev/null 2>&1; then
  echo "make-class-library.sh: no javac: run tools/install-packages.sh (as root), which installs openjdk-17-jdk-headless" >&2
  exit 1
fi

if [ -x "$jdk/bin/javac" ]; then
  java=$jdk/bin/java
  javac=$jdk/bin/javac
else
  java=java
  javac=javac
fi

classpath=$(IFS=:; echo "${asm_jars[*]}")
tools=${CLASS_LIBRARY_TOOLS:-$out/tools}
mkdir -p "$out" "$tools"
"$javac" -nowarn -encoding UTF-8 -cp "$classpath" -d "$tools" \
  "$here/MakeClassLibrary.java" "$here/CheckClassLibrary.java"
rm -f "$out/classes.zip"
"$java" -cp "$classpath:$tools" MakeClassLibrary "$out/classes.zip"
# A zip that fails its check is removed, so that no build goes on with it.
if ! "$java" -cp "$tools" CheckClassLibrary "$out/classes.zip"; then
  rm -f "$out/classes.zip"
  exit 1
fi
