#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing, and generates the
# locales the tests run under.
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev zlib1g-dev openjdk-17-jdk-headless libasm-java ecj locales)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi

# Big5: a double-byte codeset whose trail bytes include "\", for the tests of file names in it.
locales=("zh_TW.BIG5 BIG5")
generate=0
for entry in "${locales[@]}"; do
  name=${entry%% *}
  charmap=${entry#* }
  if [ "$(LC_ALL=$name locale charmap 2>/dev/null)" != "$charmap" ]; then
    grep -qxF "$entry" /etc/locale.gen 2>/dev/null || echo "$entry" >> /etc/locale.gen
    generate=1
  fi
done
if [ $generate -eq 1 ]; then
  locale-gen --keep-existing
fi
