#!/usr/bin/env python3
# Writes src/support/unicode_class_tables.cpp: the general category and identifier class of every
# 16-bit character, as a block index, shared 64-character blocks and property words. Categories
# come from Python's built-in Unicode 3.2 database, limited by DerivedAge.txt (package
# unicode-data) to what Unicode 2.0 had assigned, with the few 2.0 differences patched below.
import sys
import unicodedata
from pathlib import Path

DEFAULT_AGE_FILE = "/usr/share/unicode/DerivedAge.txt"
OUTPUT = Path(__file__).resolve().parent.parent / "src" / "support" / "unicode_class_tables.cpp"

# Category numbers as Character.getType() gives them.
CATEGORY_NUMBERS = {
    "Cn": 0, "Lu": 1, "Ll": 2, "Lt": 3, "Lm": 4, "Lo": 5, "Mn": 6, "Me": 7, "Mc": 8, "Nd": 9,
    "Nl": 10, "No": 11, "Zs": 12, "Zl": 13, "Zp": 14, "Cc": 15, "Cf": 16, "Co": 18, "Cs": 19,
    "Pd": 20, "Ps": 21, "Pe": 22, "Pc": 23, "Po": 24, "Sm": 25, "Sc": 26, "Sk": 27, "So": 28,
}

# Where Unicode 2.0 (and so the classification our scanner must match) disagrees with the 3.2
# database for a character both of them have. Each was found by a class total coming out wrong.
CATEGORY_OVERRIDES = {
    # Arabic end-of-ayah sign: 2.0 had it as an enclosing mark; 3.2 made it a format control,
    # which would wrongly turn it into an ignorable identifier part.
    0x06DD: "Me",
    # Tamil visarga: a spacing mark in 2.0 (3.2 calls it a letter), so it continues a name but
    # cannot start one.
    0x0B83: "Mc",
    # Thai paiyannoi (abbreviation sign) and Lao ellipsis: punctuation in 2.0, letters only from
    # 3.0 on; neither may appear in a name.
    0x0E2F: "Po",
    0x0EAF: "Po",
    # Four Tibetan signs written over a letter: nonspacing marks in 2.0, letters from 3.0 on.
    0x0F88: "Mn",
    0x0F89: "Mn",
    0x0F8A: "Mn",
    0x0F8B: "Mn",
    # The two katakana middle dots were plain punctuation in 2.0; 3.x made them connectors, which
    # would let them start a name like "_".
    0x30FB: "Po",
    0xFF65: "Po",
}

# 2.0 had no initial/final quote categories: those quotation marks were opening and closing
# punctuation. Only the category field changes; neither kind is part of a name.
QUOTE_CATEGORIES = {"Pi": "Ps", "Pf": "Pe"}

# Identifier classes (bits 16-18 of a property word).
IGNORABLE, JAVA_PART, PART, WHITESPACE, CONNECTOR, CURRENCY, LETTER = 1, 2, 3, 4, 5, 6, 7
CLASS_SHIFT = 16

# Control characters that Java counts as white space rather than ignorable.
WHITESPACE_CONTROLS = set(range(0x09, 0x0E)) | set(range(0x1C, 0x20))

# What the scanner relies on; the generator refuses to write tables that differ.
EXPECTED_TOTALS = {IGNORABLE: 72, JAVA_PART: 0, PART: 599, WHITESPACE: 25, CONNECTOR: 9,
                   CURRENCY: 26, LETTER: 36166}


def readAssigned(ageFile):
    """The characters of the 16-bit range that Unicode 2.0 or earlier assigned."""
    assigned = set()
    for line in Path(ageFile).read_text(encoding="utf-8").splitlines():
        fields = line.split("#", 1)[0].split(";")
        if len(fields) != 2:
            continue
        span, age = (f.strip() for f in fields)
        if tuple(int(p) for p in age.split(".")) > (2, 0):
            continue
        first, _, last = span.partition("..")
        low, high = int(first, 16), int(last or first, 16)
        assigned.update(range(low, min(high, 0xFFFF) + 1))
    return assigned


def categoryOf(c, assigned):
    if c not in assigned:
        return "Cn"
    if c in CATEGORY_OVERRIDES:
        return CATEGORY_OVERRIDES[c]
    category = unicodedata.ucd_3_2_0.category(chr(c))
    return QUOTE_CATEGORIES.get(category, category)


def identifierClassOf(c, category):
    if c in WHITESPACE_CONTROLS or (category in ("Zs", "Zl", "Zp") and c != 0x00A0):
        return WHITESPACE
    if category in ("Cc", "Cf"):
        return IGNORABLE
    if category in ("Lu", "Ll", "Lt", "Lm", "Lo", "Nl"):
        return LETTER
    if category == "Sc":
        return CURRENCY
    if category == "Pc":
        return CONNECTOR
    if category in ("Nd", "Mn", "Mc"):
        return PART
    return 0


def buildTables(assigned):
    words, wordIndex = [], {}
    blocks, blockIndex = [], {}
    index = []
    for base in range(0, 0x10000, 64):
        block = []
        for c in range(base, base + 64):
            category = categoryOf(c, assigned)
            word = (identifierClassOf(c, category) << CLASS_SHIFT) | CATEGORY_NUMBERS[category]
            if word not in wordIndex:
                wordIndex[word] = len(words)
                words.append(word)
            block.append(wordIndex[word])
        block = tuple(block)
        if block not in blockIndex:
            blockIndex[block] = len(blocks)
            blocks.append(block)
        index.append(blockIndex[block])
    return index, blocks, words


def checkTotals(index, blocks, words):
    totals = dict.fromkeys(EXPECTED_TOTALS, 0)
    for c in range(0x10000):
        wordClass = words[blocks[index[c >> 6]][c & 0x3F]] >> CLASS_SHIFT
        if wordClass:
            totals[wordClass] += 1
    if totals != EXPECTED_TOTALS:
        sys.exit("identifier class totals %s, expected %s" % (totals, EXPECTED_TOTALS))
    # The entries are stored as bytes; keeping them below 128 leaves room to grow.
    if len(blocks) > 128 or len(words) > 128:
        sys.exit("%d blocks and %d property words do not fit" % (len(blocks), len(words)))


def rows(values, width, digits):
    for start in range(0, len(values), width):
        yield "  " + " ".join("0x%0*x," % (digits, v) for v in values[start:start + width])


def render(index, blocks, words):
    out = [
        "// Generated by tools/gen_unicode_classes.py; do not edit.",
        "#include \"support/unicode_class_tables.h\"",
        "",
        "// Block number of each 64-character block (character >> 6).",
        "const uint8_t unicodeBlockIndex[1024] = {",
    ]
    out.extend(rows(index, 16, 2))
    out.append("};")
    out.append("")
    out.append("// Property word number of each character of a block; %d distinct blocks."
               % len(blocks))
    out.append("const uint8_t unicodeBlocks[%d][64] = {" % len(blocks))
    for number, block in enumerate(blocks):
        firsts = ", ".join("U+%04X" % (b * 64) for b, n in enumerate(index) if n == number)
        if len(firsts) > 80:
            firsts = firsts[:firsts.rfind(",", 0, 76)] + ", ..."
        out.append("  // %d: %s" % (number, firsts))
        out.append("  {")
        out.extend("  " + row for row in rows(block, 16, 2))
        out.append("  },")
    out.append("};")
    out.append("")
    out.append("// Identifier class << 16 | general category; %d words." % len(words))
    out.append("const uint32_t unicodeProperties[%d] = {" % len(words))
    out.extend(rows(words, 8, 8))
    out.append("};")
    return "\n".join(out) + "\n"


def main():
    ageFile = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_AGE_FILE
    index, blocks, words = buildTables(readAssigned(ageFile))
    checkTotals(index, blocks, words)
    OUTPUT.write_text(render(index, blocks, words), encoding="utf-8")
    print("%s: %d blocks, %d property words" % (OUTPUT, len(blocks), len(words)))


if __name__ == "__main__":
    main()
