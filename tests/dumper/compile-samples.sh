#!/usr/bin/env bash
# Compiles each Java sample with ecj into a directory of its own below OUT, beside a copy of its
# source (the -s listing reads the source from the directory it runs in).
set -euo pipefail
sources=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
for source in "$sources"/*.java; do
  name=$(basename "$source" .java)
  mkdir -p "$out/$name"
  cp "$source" "$out/$name/"
  ecj -1.3 -target 1.1 -g -nowarn -d "$out/$name" "$out/$name/$name.java"
done
