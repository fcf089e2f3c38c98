#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the fuzz smoke run and the corpus need, when any
# is missing, and generates the locales the tests run under. Nothing else installs packages: the tests
# and the scripts they run fail with a message naming this script when a package is missing.
set -euo pipefail
packages=(
  # the build, the unit and command-line tests, the class library
  cmake ninja-build g++ libgtest-dev zlib1g-dev libdeflate-dev openjdk-17-jdk-headless libasm-java locales
  # the dumper's samples and the fuzz seeds (compiled by ecj)
  ecj
  # the corpus of real Java source (tools/make-corpus.sh): the generators and their examples
  default-jre-headless junit libantlr-java antlr-doc javacc4 javacc4-doc jflex cup byacc-j jlex
  # the fuzz targets (fuzz/smoke.sh)
  clang libclang-rt-14-dev
  # generated projects built by Ant's <javac> task and Maven's compiler plugin (tests/build_tools);
  # junit5 holds a parent descriptor that the plugin's dependencies name
  ant maven libmaven-compiler-plugin-java junit5
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi

# The corpus is made from examples the generators' packages ship below /usr/share/doc. Where dpkg is
# set to leave that out, they are unpacked from the packages' archives into the directory that
# tools/make-corpus.sh reads in its place.
corpus_doc=/usr/local/share/quorvelix/doc
examples=(antlr/examples/java javacc4/examples jflex/examples jlex/examples/sample.lex byacc-j/tf.y)
examples_in() {
  local e
  for e in "${examples[@]}"; do [ -e "$1/$e" ] || return 1; done
}
if ! examples_in /usr/share/doc && ! examples_in "$corpus_doc"; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  chmod 755 "$work" && mkdir -m 777 "$work/debs" # for apt's download sandbox
  apt-get update -qq
  (cd "$work/debs" && apt-get download -qq antlr-doc javacc4-doc jflex jlex byacc-j)
  mkdir "$work/root"
  for d in "$work"/debs/*.deb; do dpkg-deb -x "$d" "$work/root"; done
  mkdir -p "$corpus_doc"
  cp -a "$work/root/usr/share/doc/." "$corpus_doc/"
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
