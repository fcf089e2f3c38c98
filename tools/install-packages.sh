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

# A Latin-1 locale, and double-byte ones whose trail bytes may be 0x5C (a backslash in ASCII):
# name, source locale, character map. `locale -a` lists a codeset lower-cased, without punctuation.
test_locales=(
  "de_DE.ISO-8859-1 de_DE ISO-8859-1"
  "zh_TW.BIG5 zh_TW BIG5"
  "ja_JP.SJIS ja_JP SHIFT_JIS"
)
available=$(locale -a)
for entry in "${test_locales[@]}"; do
  read -r name source charmap <<<"$entry"
  codeset=${name#*.}
  listed="${name%%.*}.$(tr -d -- '-_' <<<"${codeset,,}")"
  grep -qx -- "$listed" <<<"$available" && continue
  # Shift-JIS puts the yen sign at 0x5C, so it is not ASCII-compatible; that is the point here.
  localedef --no-warnings=ascii -i "$source" -f "$charmap" "$name"
done
