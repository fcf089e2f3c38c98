#!/usr/bin/env bash
# Checks that every src/folder/file.cpp:name that docs/ARCHITECTURE.md names is there: the file
# exists and defines the name at file scope (a function, not only declared, or an object).
# Usage: tools/check-architecture-map.sh [MAP [TREE]]   (default: docs/ARCHITECTURE.md in this tree)
set -euo pipefail

tree=${2:-$(cd "$(dirname "$0")/.." && pwd)}
map=${1:-$tree/docs/ARCHITECTURE.md}
[ -f "$map" ] || { echo "$0: no $map" >&2; exit 2; }

references=$(grep -oE 'src/[a-z_/]+\.(cpp|h):[A-Za-z_][A-Za-z0-9_]*' "$map" | sort -u)
[ -n "$references" ] || { echo "$0: $map names no src/file:name" >&2; exit 1; }

missing=0
checked=0
for reference in $references; do
  file=${reference%%:*}
  name=${reference#*:}
  checked=$((checked + 1))
  if [ ! -f "$tree/$file" ]; then
    echo "$map: $reference: no file $file"
    missing=$((missing + 1))
    continue
  fi
  # A definition starts in the first column (the tree indents nothing at namespace scope): the
  # name, then "(" for a function whose line does not end its declaration with ");", or "[",
  # "=", ";" or "{" for an object; a function pointer is "(*name)".
  if ! grep -E "^[A-Za-z_].*(\b${name}[[:space:]]*(\(|\[|=|;|\{)|\(\*${name}\))" "$tree/$file" \
      | grep -vE "\b${name}[[:space:]]*\(.*\);[[:space:]]*$" | grep -qE "\b${name}\b"; then
    echo "$map: $reference: $file does not define $name"
    missing=$((missing + 1))
  fi
done
if [ "$missing" -ne 0 ]; then
  echo "$missing of $checked references not found" >&2
  exit 1
fi
echo "architecture map: all $checked references found"
