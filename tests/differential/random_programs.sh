#!/usr/bin/env bash
# Random programs compiled by quorvelix and by ecj -1.3, both run with -Xverify:all and their
# outputs compared (RandomPrograms.java says how). The test suite runs it with a fixed seed and a
# few dozen programs; by hand it takes any seed and count, for example
#   tests/differential/random_programs.sh build/stage/bin/x86/quorvelix build/ZPK12/lib/classes.zip \
#     /tmp/random --seed 7 --count 2000 --profile finally --keep-going
# Usage: random_programs.sh QUORVELIX CLASS_LIBRARY WORK_DIR [check options ...]
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 QUORVELIX CLASS_LIBRARY WORK_DIR [--seed S] [--count N] [--profile general|finally] ..." >&2
  exit 2
fi
quorvelix=$1
library=$2
work=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
jdt=/usr/share/java/eclipse-jdt-core.jar
if [ ! -f "$jdt" ] || ! command -v javac >/dev/null || ! command -v java >/dev/null; then
  echo "random programs: ecj ($jdt) or the JDK not found; tools/install-packages.sh installs them" >&2
  exit 1
fi
mkdir -p "$work/tool"
if [ ! -f "$work/tool/RandomPrograms.class" ] || [ "$here/RandomPrograms.java" -nt "$work/tool/RandomPrograms.class" ]; then
  javac -nowarn -cp "$jdt" -d "$work/tool" "$here/RandomPrograms.java"
fi
exec java -cp "$work/tool:$jdt" RandomPrograms check --work "$work" --quorvelix "$quorvelix" --library "$library" "$@"
