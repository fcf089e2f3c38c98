#!/usr/bin/env bash
# Fails, naming the set-up, when any of the Debian packages given is missing. The tests and the
# scripts they run use what tools/install-packages.sh installed and never install anything.
# Usage: tools/require-packages.sh WHO PACKAGE...   (WHO names the caller in the message)
set -euo pipefail
who=$1
shift
missing=()
for p in "$@"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "$who: missing ${missing[*]}: run tools/install-packages.sh (as root), which installs them" >&2
  exit 1
fi
