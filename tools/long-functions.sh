#!/usr/bin/env bash
# Lists the functions of src/ longer than a limit (default 120 lines), longest first. A function
# starts at a line, indented no more than a class member, that closes a parameter list and opens
# the body; it ends at the brace that closes it at the same indentation.
#   usage: tools/long-functions.sh [LIMIT]
set -euo pipefail
limit=${1:-120}
cd "$(dirname "$0")/../src"
python3 - "$limit" $(find . -name '*.cpp' -o -name '*.h' | sort) <<'PY'
import re, sys
limit = int(sys.argv[1])
head = re.compile(r'^( {0,2})(?!(if|for|while|switch|else|do|namespace|struct|class|enum)\b)[A-Za-z_~].*\)( const)?( override)?( noexcept)?( : .*)? \{$')
found = []
for path in sys.argv[2:]:
    lines = open(path, encoding='utf-8', errors='replace').read().split('\n')
    i = 0
    while i < len(lines):
        m = head.match(lines[i])
        if m:
            indent = m.group(1)
            for j in range(i + 1, len(lines)):
                if lines[j].startswith(indent + '}'):
                    if j - i + 1 > limit:
                        found.append((j - i + 1, f'{path[2:]}:{i + 1}', lines[i].strip()))
                    i = j
                    break
        i += 1
for n, where, text in sorted(found, reverse=True):
    print(f'{n:5d} {where} {text[:100]}')
PY
