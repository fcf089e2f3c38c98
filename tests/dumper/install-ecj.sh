#!/usr/bin/env bash
# Installs what the sample tests need when it is missing: Debian's ecj, which compiles the Java
# samples into version-45.3 class files, and the JDK whose javap the dumper is compared with.
set -euo pipefail
javap=$1
missing=()
dpkg -s ecj >/dev/null 2>&1 || missing+=(ecj)
[ -x "$javap" ] || missing+=(openjdk-17-jdk-headless)
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
