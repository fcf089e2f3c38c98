// Command lines and class files run through the gorblet executable, with its standard output,
// standard error and exit status compared exactly. The class files are made here with the builder,
// most of them broken in one way, a few valid ones showing forms that compiled samples lack.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "class_builder.h"
#include "gorblet_process.h"

namespace {

// What a staged name is made as.
enum StagedKind {
  STAGED_FILE,    // a regular file holding `content`; a name ending in "/" is a directory
  STAGED_FIFO,    // a named pipe with no writer
  STAGED_LINK,    // a symbolic link to the path `content`
  STAGED_SPARSE,  // a file of `content` bytes (a decimal number), all holes
};

struct StagedFile {
  std::string name;
  std::string content;
  StagedKind kind = STAGED_FILE;
};

struct BrokenCase {
  std::string name;
  std::vector<std::string> args;
  std::vector<StagedFile> files;
  std::string out;
  std::string err;
  int status;
};

void PrintTo(const BrokenCase& c, std::ostream* out) {
  *out << c.name;
}

const std::string USAGE =
    "Use is: gorblet [ options ] file ...\n"
    "Options are:\n"
    "\t-const\t\tShow constant pool\n"
    "\t-decl\t\tShow declarations only\n"
    "\t-l\t\tShow source line numbers with the code\n"
    "\t-s\t\tShow source file with the -l output\n";

// The lines that begin the dump of the builder's class A, after the file's name.
const std::string CLASS_A =
    "\tVersion 45.3\n"
    "public super A extends java/lang/Object\n"
    "{\n";
// What follows the members of a class without class attributes.
const std::string NO_ATTRIBUTES =
    "}\n"
    "\n"
    "Attributes\n"
    "\n";
// The dump of a class without members or attributes.
const std::string EMPTY_CLASS = CLASS_A + NO_ATTRIBUTES;

// The method line and Code header of classWithCode's method, up to its listing.
std::string codeHeader(int codeLength) {
  return "\tstatic m ()V Code\n"
         "\t\tMax stack 1 max locals 1 m code len " +
         std::to_string(codeLength) + "\n\n";
}

// The listing lines of a method without tables, and its end.
std::string listing(const std::string& lines) {
  return lines + "\n\n";
}

std::string emptyClass() {
  return ClassBuilder().build();
}

// The class A with one static method m()V whose code is `bytecode`.
std::string classWithCode(const Bytes& bytecode) {
  ClassBuilder c;
  c.method(0x8, "m", "()V", {c.code(1, 1, bytecode)});
  return c.build();
}

// The class A with a method whose line numbers refer to its source file `source`, if any.
std::string classWithLines(const Bytes& bytecode, const std::vector<std::pair<uint16_t, uint16_t>>& lines,
                           const std::string& source) {
  ClassBuilder c;
  c.method(0x8, "m", "()V", {c.code(1, 1, bytecode, {}, {c.lineNumbers(lines)})});
  if (!source.empty()) c.classAttribute(c.attribute("SourceFile", Bytes().u2(c.utf8(source))));
  return c.build();
}

// The first `size` bytes of `file`.
std::string truncated(const std::string& file, size_t size) {
  return file.substr(0, size);
}

Bytes padding(size_t n) {
  return Bytes().raw(std::string(n, '\0'));
}

std::vector<BrokenCase> commandLineCases() {
  return {
      {"NoArguments", {}, {}, USAGE, "", 1},
      {"UnknownOption", {"-x", "A.class"}, {{"A.class", emptyClass()}}, "Unknown option: -x\n" + USAGE, "", 1},
      // Options come first: "-decl" after a file name is one more file name.
      {"OptionAfterFileNameIsAFileName",
       {"-l", "A.class", "-decl"},
       {{"A.class", emptyClass()}},
       "A.class:\n" + EMPTY_CLASS + "Couldn't open '-decl'\n",
       "",
       1},
      {"OptionsAloneDumpNothing", {"-const", "-debug", "-s"}, {}, "", "", 0},
      {"MissingFileThenTheNextOne",
       {"missing.class", "A.class"},
       {{"A.class", emptyClass()}},
       "Couldn't open 'missing.class'\nA.class:\n" + EMPTY_CLASS,
       "",
       1},
      {"DirectoryIsNoFile", {"dir"}, {{"dir/", ""}}, "Couldn't open 'dir'\n", "", 1},
      // Only a regular file is read: the open of a FIFO would wait for a writer, and a device
      // never ends.
      {"FifoIsNoFileThenTheNextOne",
       {"pipe.class", "A.class"},
       {{"pipe.class", "", STAGED_FIFO}, {"A.class", emptyClass()}},
       "Couldn't open 'pipe.class'\nA.class:\n" + EMPTY_CLASS,
       "",
       1},
      {"DeviceIsNoFile", {"zero.class"}, {{"zero.class", "/dev/zero", STAGED_LINK}}, "Couldn't open 'zero.class'\n", "",
       1},
  };
}

std::vector<BrokenCase> wholeFileCases() {
  std::vector<BrokenCase> cases;
  cases.push_back(
      {"EmptyFile", {"A.class"}, {{"A.class", ""}}, "A.class:\nRead 4 past buffer 0 buffer length 0\n", "", 1});
  // Refused by its length, before anything of it is read or allocated.
  cases.push_back({"FourGibibyteFileIsNeverRead",
                   {"big.class", "A.class"},
                   {{"big.class", "4294967296", STAGED_SPARSE}, {"A.class", emptyClass()}},
                   "File 'big.class' is larger than a class file can be\nA.class:\n" + EMPTY_CLASS,
                   "",
                   1});
  {
    // Magic, version and a pool count of 1: the access flags at position 10 are missing. The
    // program stops there; the second file is not dumped.
    ClassBuilder c;
    c.poolCount = 1;
    cases.push_back({"TenByteFileStopsTheProgram",
                     {"A.class", "B.class"},
                     {{"A.class", truncated(c.build(), 10)}, {"B.class", emptyClass()}},
                     "A.class:\n\tVersion 45.3\nRead 2 past buffer 10 buffer length 10\n",
                     "",
                     1});
  }
  {
    ClassBuilder c;
    c.magic = 0xCAFEBABF;
    cases.push_back({"BadMagicThenTheNextOne",
                     {"A.class", "B.class"},
                     {{"A.class", c.build()}, {"B.class", emptyClass()}},
                     "A.class:\nMagic number incorrect: cafebabf should be cafebabe\nB.class:\n" + EMPTY_CLASS,
                     "",
                     1});
  }
  {
    ClassBuilder c;
    c.major = 46;
    c.minor = 0;
    cases.push_back(
        {"Version46", {"A.class"}, {{"A.class", c.build()}}, "A.class:\n\tVersion 46.0\nNot version 45\n", "", 1});
  }
  {
    // Tag 2 at index 5 stops the file; the pool is listed as far as it was read.
    ClassBuilder c;
    c.rawConstant(Bytes().u1(2).u2(0));
    c.utf8("after");
    cases.push_back({"UnknownConstantTag",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n"
                     "\tVersion 45.3\n"
                     "Constant 5: Incorrect constant type 2\n"
                     "Constant Pool:\n"
                     "\n"
                     "\t    1: 'A'\n"
                     "\t    2: Class 'A'\n"
                     "\t    3: 'java/lang/Object'\n"
                     "\t    4: Class 'java/lang/Object'\n"
                     "\t    5: \n"
                     "\t    6: <invalid index: 6>\n",
                     "",
                     1});
  }
  return cases;
}

// Lengths that point outside the file. Four-byte lengths of 0x80000000 and more are lengths like
// any other, never negative, so each of these is a skip past the end.
std::vector<BrokenCase> lengthCases() {
  std::vector<BrokenCase> cases;
  {
    ClassBuilder c;
    c.field(0, "x", "I", {c.attribute("Foo", Bytes(), 0x80000000u)});
    cases.push_back({"FieldAttributeLengthWithTopBitSet",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n" + CLASS_A + "\tx I Foo (2147483648)Skip 2147483648 past buffer 77 buffer length 81\n",
                     "",
                     1});
  }
  {
    // The attribute's four bytes and the class attribute count: seven bytes reach one past them.
    ClassBuilder c;
    c.method(0, "m", "()V", {c.attribute("Foo", Bytes().u4(0), 7)});
    cases.push_back({"MethodAttributeOnePastTheEnd",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n" + CLASS_A + "\tm ()V FooSkip 7 past buffer 81 buffer length 87\n",
                     "",
                     1});
  }
  {
    ClassBuilder c;
    c.classAttribute(c.attribute("Foo", Bytes(), 0xFFFFFFFFu));
    cases.push_back({"ClassAttributeLengthAllOnes",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n" + EMPTY_CLASS +
                         "    Foo (4294967295)Skip 4294967295 past buffer 65 buffer length 65\n",
                     "",
                     1});
  }
  {
    ClassBuilder c;
    Bytes code;
    code.u2(1).u2(1).u4(0x80000000u).u1(0xb1).u2(0).u2(0);
    c.method(0x8, "m", "()V", {c.attribute("Code", code)});
    cases.push_back({"CodeLengthWithTopBitSet",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n" + CLASS_A +
                         "\tstatic m ()V Code\n"
                         "\t\tMax stack 1 max locals 1 m code len 2147483648\n"
                         "Skip 2147483648 past buffer 90 buffer length 97\n",
                     "",
                     1});
  }
  {
    ClassBuilder c;
    Bytes code;
    code.u2(1).u2(1).u4(1).u1(0xb1).u2(0xFFFF).u2(0);
    c.method(0x8, "m", "()V", {c.attribute("Code", code)});
    cases.push_back({"ExceptionTableCountPastTheEnd",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n" + CLASS_A +
                         "\tstatic m ()V Code\n"
                         "\t\tMax stack 1 max locals 1 m code len 1\n"
                         "Skip 524280 past buffer 93 buffer length 97\n",
                     "",
                     1});
  }
  {
    ClassBuilder c;
    c.rawConstant(Bytes().u1(1).u2(0xFFFF).raw("short"));
    cases.push_back({"Utf8LengthPastTheEnd",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n\tVersion 45.3\nSkip 65535 past buffer 42 buffer length 61\n",
                     "",
                     1});
  }
  return cases;
}

// Two-byte counts are unsigned: a legal pool of more than 0x7FFF entries is read whole, and the
// largest counts run into the end of the file instead of past it.
std::vector<BrokenCase> countCases() {
  std::vector<BrokenCase> cases;
  {
    // 32770 constants: the count and the this-class index are above 0x7FFF.
    ClassBuilder c;
    for (int32_t i = 0; i < 32763; i++) c.integer(i);
    c.thisClass = c.classRef("Big");
    cases.push_back({"ConstantPoolOf32770Entries",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n\tVersion 45.3\npublic super Big extends java/lang/Object\n{\n" + NO_ATTRIBUTES,
                     "",
                     0});
  }
  {
    // The file ends after the four constants that the count of 0xFFFF begins with.
    ClassBuilder c;
    c.poolCount = 0xFFFF;
    std::string file = c.build();
    cases.push_back({"ConstantPoolCountPastTheEnd",
                     {"A.class"},
                     {{"A.class", truncated(file, file.size() - 14)}},
                     "A.class:\n\tVersion 45.3\nRead 1 past buffer 39 buffer length 39\n",
                     "",
                     1});
  }
  {
    // A LineNumberTable that claims 0xFFFF entries and holds one: with -l it is read before the
    // listing, without -l after it.
    ClassBuilder c;
    Bytes table = c.attribute("LineNumberTable", Bytes().u2(0xFFFF).u2(0).u2(7));
    c.method(0x8, "m", "()V", {c.code(1, 1, Bytes().u1(0xb1), {}, {table})});
    std::string file = c.build();
    cases.push_back({"LineNumberCountAllOnesWithL",
                     {"-l", "A.class"},
                     {{"A.class", file}},
                     "A.class:\n" + CLASS_A + "\tstatic m ()V Code\nRead 2 past buffer 127 buffer length 127\n",
                     "",
                     1});
    cases.push_back({"LineNumberCountAllOnes",
                     {"A.class"},
                     {{"A.class", file}},
                     "A.class:\n" + CLASS_A + codeHeader(1) +
                         "\t      return            \n"
                         "\n"
                         "\t\tSource Lines\n"
                         "\t\t\t   pc   line\n"
                         "\t\t\t    0      7\n"
                         "Read 2 past buffer 127 buffer length 127\n",
                     "",
                     1});
  }
  {
    // A LocalVariableTable that claims 0xFFFF entries and holds one: a slot that entry names is
    // found; one it does not name sends the search past the end of the file.
    ClassBuilder c;
    uint16_t name = c.utf8("x");
    uint16_t descriptor = c.utf8("I");
    Bytes table = c.attribute("LocalVariableTable", Bytes().u2(0xFFFF).u2(0).u2(3).u2(name).u2(descriptor).u2(0));
    c.method(0x8, "m", "()V", {c.code(2, 2, Bytes().u1(0x1a).u1(0x1b).u1(0xb1), {}, {table})});
    cases.push_back({"LocalVariableCountAllOnes",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n" + CLASS_A +
                         "\tstatic m ()V Code\n"
                         "\t\tMax stack 2 max locals 2 m code len 3\n"
                         "\n"
                         "\t      iload_0           Slot 0 'x'\n"
                         "\t      iload_1           Slot 1Read 2 past buffer 146 buffer length 146\n",
                     "",
                     1});
  }
  return cases;
}

// Code whose last instruction does not fit the code: it shows as "??" and the listing ends at the
// code's end. Switch tables are sized and their targets computed in 64 bits.
std::vector<BrokenCase> codeCases() {
  auto dump = [](int codeLength, const std::string& lines) {
    return "A.class:\n" + CLASS_A + codeHeader(codeLength) + listing(lines) + NO_ATTRIBUTES;
  };
  Bytes wholeRange;
  wholeRange.u1(0xaa).append(padding(3)).u4(8).u4(0x80000000u).u4(0x7FFFFFFF).u1(0xb1);
  Bytes hugePairCount;
  hugePairCount.u1(0xab).append(padding(3)).u4(8).u4(0x7FFFFFFF).u1(0xb1);
  Bytes highBelowLow;
  highBelowLow.u1(0xaa).append(padding(3)).u4(16).u4(5).u4(1).u1(0xb1);
  // At pc 1: the default is 1 + 0x7FFFFFFF and the one case 1 - 0x80000000.
  Bytes farOffsets;
  farOffsets.u1(0x00).u1(0xab).append(padding(2)).u4(0x7FFFFFFF).u4(1).u4(0x80000000u).u4(0x80000000u).u1(0xb1);
  return {
      {"WideAsLastCodeByte", {"A.class"}, {{"A.class", classWithCode(Bytes().u1(0xc4))}},
       dump(1, "\t      wide              ??\n"), "", 0},
      {"TableswitchOverTheWholeIntRange", {"A.class"}, {{"A.class", classWithCode(wholeRange)}},
       dump(17, "\t      tableswitch       ??\n"), "", 0},
      {"LookupswitchWithHugePairCount", {"A.class"}, {{"A.class", classWithCode(hugePairCount)}},
       dump(13, "\t      lookupswitch      ??\n"), "", 0},
      {"TableswitchHighBelowLow", {"A.class"}, {{"A.class", classWithCode(highBelowLow)}},
       dump(17,
            "\t      tableswitch       default 16@: [5-1]\n"
            "\t   16@return            \n"),
       "", 0},
      {"SwitchOffsetsPastTheIntRange", {"A.class"}, {{"A.class", classWithCode(farOffsets)}},
       dump(21,
            "\t      nop               \n"
            "\t      lookupswitch      default 2147483648@\n"
            "\t\t\t-2147483648: -2147483647@\n"
            "\t      return            \n"),
       "", 0},
  };
}

std::vector<BrokenCase> sourceListingCases() {
  // The -l listing of classWithLines's method, with its line-number table.
  auto lines = [](int codeLength, const std::string& listed, const std::string& table) {
    return "\tstatic m ()V Code\n"
           "\t\tMax stack 1 max locals 1 m code len " +
           std::to_string(codeLength) +
           "\n"
           "\n"
           "Offset Line\t      ByteCode\n"
           "------ ----\t      --------\n" +
           listed +
           "\n"
           "\t\tSource Lines\n"
           "\t\t\t   pc   line\n" +
           table + "\n";
  };
  const std::string listingHeading =
      "\n"
      "==========================================================\n";
  return {
      // B.class has no SourceFile attribute: no listing, and not A's file again.
      {"SourceListingOnlyWithItsOwnSourceFile",
       {"-s", "A.class", "B.class"},
       {{"A.class", classWithLines(Bytes().u1(0xb1), {{0, 2}}, "A.java")},
        {"B.class", classWithLines(Bytes().u1(0xb1), {{0, 3}}, "")},
        {"A.java", "line one\nline two\nline three\n"}},
       "A.class:\n" + CLASS_A + lines(1, "    0@    2\t      return            \n", "\t\t\t    0      2\n") +
           NO_ATTRIBUTES + "    SourceFile (2) A.java\n" + listingHeading +
           "Referenced Source Lines from A.java\n"
           "\n"
           "    2:\tline two\n"
           "B.class:\n" +
           CLASS_A + lines(1, "    0@    3\t      return            \n", "\t\t\t    0      3\n") + NO_ATTRIBUTES,
       "", 0},
      // Line 1 is longer than any line buffer; CR LF and CR end lines as LF does. The table is out
      // of pc order in the file and sorted for the -l column.
      {"SourceLinesCountedByLineEnds",
       {"-s", "A.class"},
       {{"A.class", classWithLines(Bytes().u1(0x00).u1(0x00).u1(0xb1), {{2, 4}, {0, 2}, {1, 3}}, "A.java")},
        {"A.java", std::string(700, 'x') + "\nsecond\r\nthird\rfourth\nfifth\n"}},
       "A.class:\n" + CLASS_A +
           lines(3,
                 "    0@    2\t      nop               \n"
                 "    1@    3\t      nop               \n"
                 "    2@    4\t      return            \n",
                 "\t\t\t    2      4\n"
                 "\t\t\t    0      2\n"
                 "\t\t\t    1      3\n") +
           NO_ATTRIBUTES + "    SourceFile (2) A.java\n" + listingHeading +
           "Referenced Source Lines from A.java\n"
           "\n"
           "    2:\tsecond\n"
           "    3:\tthird\n"
           "    4:\tfourth\n",
       "", 0},
      // Only a regular file is listed: a FIFO would block the open, a device never ends.
      {"SourceFileIsAFifo",
       {"-s", "A.class"},
       {{"A.class", classWithLines(Bytes().u1(0xb1), {{0, 1}}, "pipe.java")}, {"pipe.java", "", STAGED_FIFO}},
       "A.class:\n" + CLASS_A + lines(1, "    0@    1\t      return            \n", "\t\t\t    0      1\n") +
           NO_ATTRIBUTES + "    SourceFile (2) pipe.java\n",
       "Cannot open source file pipe.java\n", 0},
      {"SourceFileIsADevice",
       {"-s", "A.class"},
       {{"A.class", classWithLines(Bytes().u1(0xb1), {{0, 1}}, "/dev/zero")}},
       "A.class:\n" + CLASS_A + lines(1, "    0@    1\t      return            \n", "\t\t\t    0      1\n") +
           NO_ATTRIBUTES + "    SourceFile (2) /dev/zero\n",
       "Cannot open source file /dev/zero\n", 0},
      // A line is kept up to 65536 bytes; the rest of it is read past, and the next line follows.
      {"LongSourceLineIsCut",
       {"-s", "A.class"},
       {{"A.class", classWithLines(Bytes().u1(0x00).u1(0xb1), {{0, 1}, {1, 2}}, "A.java")},
        {"A.java", std::string(65536, 'x') + std::string(5000, 'y') + "\nsecond\n"}},
       "A.class:\n" + CLASS_A +
           lines(2,
                 "    0@    1\t      nop               \n"
                 "    1@    2\t      return            \n",
                 "\t\t\t    0      1\n"
                 "\t\t\t    1      2\n") +
           NO_ATTRIBUTES + "    SourceFile (2) A.java\n" + listingHeading +
           "Referenced Source Lines from A.java\n"
           "\n"
           "    1:\t" + std::string(65536, 'x') + "\n"
           "    2:\tsecond\n",
       "", 0},
      {"SourceFileMissing",
       {"-s", "A.class"},
       {{"A.class", classWithLines(Bytes().u1(0xb1), {{0, 1}}, "Gone.java")}},
       "A.class:\n" + CLASS_A + lines(1, "    0@    1\t      return            \n", "\t\t\t    0      1\n") +
           NO_ATTRIBUTES + "    SourceFile (2) Gone.java\n",
       "Cannot open source file Gone.java\n", 0},
  };
}

std::vector<BrokenCase> referenceCases() {
  std::vector<BrokenCase> cases;
  {
    // A valid pool: the slots after a Long and a Double are listed, and the status stays 0.
    ClassBuilder c;
    uint16_t longIndex = c.longValue(-2);
    uint16_t doubleIndex = c.doubleValue(0.5);
    c.field(0x18, "l", "J", {c.attribute("ConstantValue", Bytes().u2(longIndex))});
    c.field(0x18, "d", "D", {c.attribute("ConstantValue", Bytes().u2(doubleIndex))});
    c.floatBits(0x7fc00000);
    c.floatBits(0x80000000);
    c.integer(INT_MIN);
    c.string("tab\there");
    cases.push_back({"ConstantPoolListsSecondSlotsWithoutError",
                     {"-const", "A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n" + CLASS_A +
                         "\tfinal static l J Long -2\n"
                         "\tfinal static d D Double 0.5\n" +
                         NO_ATTRIBUTES +
                         "Constant Pool:\n"
                         "\n"
                         "\t    1: 'A'\n"
                         "\t    2: Class 'A'\n"
                         "\t    3: 'java/lang/Object'\n"
                         "\t    4: Class 'java/lang/Object'\n"
                         "\t    5: Long -2\n"
                         "\t    6: (second slot of 5)\n"
                         "\t    7: Double 0.5\n"
                         "\t    8: (second slot of 7)\n"
                         "\t    9: 'ConstantValue'\n"
                         "\t   10: 'l'\n"
                         "\t   11: 'J'\n"
                         "\t   12: 'd'\n"
                         "\t   13: 'D'\n"
                         "\t   14: Float nan (0x7fc00000)\n"
                         "\t   15: Float -0 (0x80000000)\n"
                         "\t   16: Integer -2147483648\n"
                         "\t   17: 'tab\\x09here'\n"
                         "\t   18: String 'tab\\x09here'\n",
                     "",
                     0});
  }
  {
    // References to the wrong kind of constant, past the pool, and to a Long's second slot.
    ClassBuilder c;
    uint16_t longIndex = c.longValue(1);
    c.thisClass = c.utf8("NotAClass");
    c.superClass = 0;
    c.interfaces = {999};
    Bytes code;
    code.u1(0x12).u1(0).u1(0x14).u2(longIndex + 1).u1(0xbb).u2(c.utf8("x")).u1(0xb1);
    c.method(0x8, "m", "()V", {c.code(2, 1, code)});
    cases.push_back({"BadConstantReferences",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n"
                     "\tVersion 45.3\n"
                     "public super <not a class: 7> implements <invalid: 999>\n"
                     "{\n"
                     "\tstatic m ()V Code\n"
                     "\t\tMax stack 2 max locals 1 m code len 9\n"
                     "\n" +
                         listing("\t      ldc               <out of range index: 0>\n"
                                 "\t      ldc2_w            <invalid index: 6>\n"
                                 "\t      new               'x'\n"
                                 "\t      return            \n") +
                         NO_ATTRIBUTES,
                     "",
                     1});
  }
  {
    // An anonymous class (name index 0), a class named by an empty Utf8, which earns the
    // warning, and flag bits that no word stands for.
    ClassBuilder c;
    c.accessFlags = 0x8021;
    Bytes entries;
    entries.u2(3);
    entries.u2(c.classRef("A$1")).u2(0).u2(0).u2(0);
    entries.u2(c.classRef("A$B")).u2(c.thisClass).u2(c.utf8("")).u2(0x9);
    entries.u2(c.classRef("A$C")).u2(c.thisClass).u2(c.utf8("C")).u2(0x612);
    c.classAttribute(c.attribute("InnerClasses", entries));
    cases.push_back({"InnerClassesNamesAndUnknownFlags",
                     {"A.class"},
                     {{"A.class", c.build()}},
                     "A.class:\n"
                     "\tVersion 45.3\n"
                     "public super unknown 0x8000 A extends java/lang/Object\n"
                     "{\n" +
                         NO_ATTRIBUTES +
                         "    InnerClasses (26)  3 element(s)\n"
                         "        class  [A$1] \n"
                         "        public static class \"\" [A$B]  inside [A]\n"
                         "        private final abstract interface class C [A$C]  inside [A]\n"
                         "\n"
                         "WARNING: File A.class has InnerClasses attribute bug \"\" vs. 0 name\n",
                     "",
                     0});
  }
  return cases;
}

// Valid forms the samples do not show: -decl, flag words, and the class attributes by their lengths.
std::vector<BrokenCase> declarationCases() {
  ClassBuilder c;
  c.interfaces = {c.classRef("I"), c.classRef("J")};
  uint16_t five = c.integer(5);
  c.field(0x18, "x", "I", {c.attribute("ConstantValue", Bytes().u2(five)), c.attribute("Synthetic", Bytes())});
  uint16_t exception = c.classRef("E");
  c.method(0x1801, "m", "()V",
           {c.code(1, 1, Bytes().u1(0xb1)), c.attribute("Exceptions", Bytes().u2(1).u2(exception))});
  c.method(0x9420, "n", "()V");
  c.classAttribute(c.attribute("SourceFile", Bytes().u2(c.utf8("A.java"))));
  c.classAttribute(c.attribute("SourcePath", Bytes().u2(c.utf8("/src")).u2(c.utf8("A.java"))));
  c.classAttribute(c.attribute("SourceFile", Bytes().u2(c.utf8("A.java")).u1(0)));
  c.classAttribute(c.attribute("Other", Bytes().u4(0)));
  std::string file = c.build();
  const std::string declaration =
      "A.class:\n"
      "\tVersion 45.3\n"
      "public super A extends java/lang/Object implements I, J\n"
      "{\n";
  return {
      {"DeclarationsOnly",
       {"-decl", "A.class"},
       {{"A.class", file}},
       declaration +
           "\tfinal static x I Integer 5\n"
           "\tpublic strictfp m ()V\n"
           "\tabstract synchronized widefp unknown 0x8000 n ()V\n"
           "}\n",
       "", 0},
      {"AttributesAndFlagWords",
       {"A.class"},
       {{"A.class", file}},
       declaration +
           "\tfinal static x I Integer 5 Synthetic (0)\n"
           "\tpublic strictfp m ()V Code Exceptions throws E\n"
           "\t\tMax stack 1 max locals 1 m code len 1\n"
           "\n"
           "\t      return            \n"
           "\n"
           "\n"
           "\tabstract synchronized widefp unknown 0x8000 n ()V\n"
           "}\n"
           "\n"
           "Attributes\n"
           "\n"
           "    SourceFile (2) A.java\n"
           "    SourcePath (4) cd=/src, file=A.java\n"
           "    SourceFile (3)\n"
           "    Other (4)\n",
       "", 0},
  };
}

std::vector<BrokenCase> allCases() {
  std::vector<BrokenCase> cases;
  for (auto table : {commandLineCases, wholeFileCases, lengthCases, countCases, codeCases, sourceListingCases,
                     referenceCases, declarationCases}) {
    std::vector<BrokenCase> more = table();
    cases.insert(cases.end(), more.begin(), more.end());
  }
  return cases;
}

class BrokenFiles : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenFiles, PrintsExactlyItsLines) {
  const BrokenCase& c = GetParam();
  std::string directory = freshDirectory("broken/" + c.name);
  std::vector<std::string> sparse;
  for (const StagedFile& file : c.files) {
    std::string path = directory + "/" + file.name;
    if (file.kind == STAGED_FIFO) {
      ASSERT_EQ(mkfifo(path.c_str(), 0644), 0) << path;
    } else if (file.kind == STAGED_LINK) {
      std::filesystem::create_symlink(file.content, path);
    } else if (file.kind == STAGED_SPARSE) {
      writeFile(path, "");
      std::filesystem::resize_file(path, std::stoull(file.content));
      sparse.push_back(path);
    } else if (file.name.back() == '/') {
      std::filesystem::create_directories(path);
    } else {
      writeFile(path, file.content);
    }
  }
  ProcessResult result = runGorblet(c.args, directory);
  // A file of holes is no burden to the disk, but tools that copy the tree would read it all.
  for (const std::string& path : sparse) std::filesystem::remove(path);
  EXPECT_EQ(result.out, c.out);
  EXPECT_EQ(result.err, c.err);
  EXPECT_EQ(result.status, c.status);
}

INSTANTIATE_TEST_SUITE_P(Table, BrokenFiles, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<BrokenCase>& info) { return info.param.name; });

}  // namespace
