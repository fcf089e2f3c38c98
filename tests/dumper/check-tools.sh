#!/usr/bin/env bash
# Checks that what the sample tests need is there: Debian's ecj, which compiles the Java samples
# into version-45.3 class files, and the JDK whose javap the dumper is compared with.
set -euo pipefail
javap=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
"$top/tools/require-packages.sh" "dumper samples" ecj
if [ ! -x "$javap" ]; then
  echo "dumper samples: no $javap: run tools/install-packages.sh (as root), which installs openjdk-17-jdk-headless" >&2
  exit 1
fi
