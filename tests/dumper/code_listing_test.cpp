// The disassembler's listing of hand-made code: operand formats, branch and exception-range marks,
// local names, wide, both switches, the quick and unknown opcodes, and instructions cut off by the
// end of their code. Each case compares the method's whole Code block exactly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "class_builder.h"
#include "gorblet_process.h"

namespace {

struct ListingCase {
  std::string name;
  std::vector<std::string> options;
  std::string file;
  std::string block;  // from the "Max stack" line to the end of the method
};

void PrintTo(const ListingCase& c, std::ostream* out) {
  *out << c.name;
}

// The class A with the static method m()V holding `bytecode`, its exception table and attributes.
std::string classWithCode(ClassBuilder& c, const Bytes& bytecode, const std::vector<ExceptionEntry>& exceptions = {},
                          const std::vector<Bytes>& attributes = {}) {
  c.method(0x8, "m", "()V", {c.code(4, 4, bytecode, exceptions, attributes)});
  return c.build();
}

std::vector<ListingCase> listingCases() {
  std::vector<ListingCase> cases;
  {
    ClassBuilder c;
    Bytes code;
    code.u1(0x10).u1(0xFF).u1(0x10).u1(0x7F).u1(0x11).u2(0x8000).u1(0x11).u2(0x7FFF).u1(0xb1);
    cases.push_back({"PushOperandsAreSigned", {}, classWithCode(c, code),
                     "\t\tMax stack 4 max locals 4 m code len 11\n"
                     "\n"
                     "\t      bipush            -1\n"
                     "\t      bipush            127\n"
                     "\t      sipush            -32768\n"
                     "\t      sipush            32767\n"
                     "\t      return            \n"
                     "\n"
                     "\n"});
  }
  {
    ClassBuilder c;
    uint16_t integer = c.integer(-7);
    uint16_t text = c.string("it's");
    uint16_t floating = c.floatBits(0x3fc00000);
    uint16_t longValue = c.longValue(1LL << 40);
    uint16_t doubleValue = c.doubleValue(-0.25);
    uint16_t field = c.fieldRef("A", "f", "I");
    uint16_t method = c.methodRef("java/lang/Object", "<init>", "()V");
    uint16_t interfaceMethod = c.interfaceMethodRef("java/lang/Runnable", "run", "()V");
    uint16_t arrayClass = c.classRef("[[I");
    Bytes code;
    code.u1(0x12).u1(integer).u1(0x12).u1(text).u1(0x13).u2(floating).u1(0x14).u2(longValue).u1(0x14).u2(doubleValue);
    code.u1(0xb2).u2(field).u1(0xb5).u2(field).u1(0xb6).u2(method).u1(0xb7).u2(method).u1(0xb8).u2(method);
    code.u1(0xb9).u2(interfaceMethod).u1(2).u1(0);
    code.u1(0xbb).u2(c.thisClass).u1(0xbd).u2(c.thisClass).u1(0xc0).u2(c.thisClass).u1(0xc1).u2(c.thisClass);
    code.u1(0xc5).u2(arrayClass).u1(2).u1(0xb1);
    cases.push_back({"ConstantOperands", {}, classWithCode(c, code),
                     "\t\tMax stack 4 max locals 4 m code len 50\n"
                     "\n"
                     "\t      ldc               Integer -7\n"
                     "\t      ldc               String 'it's'\n"
                     "\t      ldc_w             Float 1.5 (0x3fc00000)\n"
                     "\t      ldc2_w            Long 1099511627776\n"
                     "\t      ldc2_w            Double -0.25\n"
                     "\t      getstatic         A.f{I}\n"
                     "\t      putfield          A.f{I}\n"
                     "\t      invokevirtual     java/lang/Object.<init>{()V}\n"
                     "\t      invokespecial     java/lang/Object.<init>{()V}\n"
                     "\t      invokestatic      java/lang/Object.<init>{()V}\n"
                     "\t      invokeinterface   2 args Intfc. java/lang/Runnable.run{()V}\n"
                     "\t      new               Class 'A'\n"
                     "\t      anewarray         Class 'A'\n"
                     "\t      checkcast         Class 'A'\n"
                     "\t      instanceof        Class 'A'\n"
                     "\t      multianewarray    dimensions 2 Class '[[I'\n"
                     "\t      return            \n"
                     "\n"
                     "\n"});
  }
  {
    // Locals: i in slot 1 over pcs 2 to 5, both ends named; n in slot 2 from pc 12.
    ClassBuilder c;
    uint16_t i = c.utf8("i");
    uint16_t n = c.utf8("n");
    uint16_t type = c.utf8("I");
    Bytes code;
    code.u1(0x03).u1(0x3c)                  // 0 iconst_0; 1 istore_1, named at pc 2
        .u1(0x84).u1(1).u1(0xFF)            // 2 iinc 1 by -1
        .u1(0x1b)                           // 5 iload_1, the last pc of i
        .u1(0x36).u1(1)                     // 6 istore 1, named at pc 8: outside
        .u1(0x15).u1(1)                     // 8 iload 1, outside
        .u1(0x36).u1(2)                     // 10 istore 2, named at pc 12
        .u1(0x15).u1(2)                     // 12 iload 2
        .u1(0xa9).u1(3)                     // 14 ret 3: no local in slot 3
        .u1(0xb1);                          // 16
    Bytes locals = c.localVariables({{2, 3, i, type, 1}, {12, 4, n, type, 2}});
    cases.push_back({"LocalNamesAtTheirPcs", {}, classWithCode(c, code, {}, {locals}),
                     "\t\tMax stack 4 max locals 4 m code len 17\n"
                     "\n"
                     "\t      iconst_0          \n"
                     "\t      istore_1          Slot 1 'i'\n"
                     "\t      iinc              Slot 1 'i',-1\n"
                     "\t      iload_1           Slot 1 'i'\n"
                     "\t      istore            Slot 1\n"
                     "\t      iload             Slot 1\n"
                     "\t      istore            Slot 2 'n'\n"
                     "\t      iload             Slot 2 'n'\n"
                     "\t      ret               Slot 3\n"
                     "\t      return            \n"
                     "\n"
                     "\t\tLocal Variables\n"
                     "\t\t\t   pc range   slot\n"
                     "\t\t\t    2-4         1 'i'['I']\n"
                     "\t\t\t   12-15        2 'n'['I']\n"
                     "\n"});
  }
  {
    // Every wide form. A wide instruction shows the pc and the mark of the opcode after its
    // prefix: the gotos to 5 and 9 mark the istore and the iinc, which begin at 4 and 8.
    ClassBuilder c;
    Bytes code;
    code.u1(0xc4).u1(0x15).u2(300)             // 0 wide iload 300
        .u1(0xc4).u1(0x36).u2(301)             // 4 wide istore 301
        .u1(0xc4).u1(0x84).u2(300).u2(0xFFFE)  // 8 wide iinc 300 by -2
        .u1(0xc4).u1(0xa9).u2(302)             // 14 wide ret 302
        .u1(0xc4).u1(0xc4)                     // 18 wide after wide
        .u1(0xa7).u2(0xFFF1)                   // 20 goto 5
        .u1(0xa7).u2(0xFFF2)                   // 23 goto 9
        .u1(0xb1);                             // 26
    cases.push_back({"WideForms", {}, classWithCode(c, code),
                     "\t\tMax stack 4 max locals 4 m code len 27\n"
                     "\n"
                     "\t      iload_w           Slot 300\n"
                     "\t    5@istore_w          Slot 301\n"
                     "\t    9@iinc_w            Slot 300,-2\n"
                     "\t      ret_w             Slot 302\n"
                     "\t      wide_w            \n"
                     "\t      goto              5@\n"
                     "\t      goto              9@\n"
                     "\t      return            \n"
                     "\n"
                     "\n"});
  }
  {
    // A store names its local where the instruction ends: after a wide prefix that is four bytes
    // from the prefix, not two bytes from the opcode, which lies inside the instruction.
    ClassBuilder c;
    uint16_t w = c.utf8("w");
    uint16_t type = c.utf8("I");
    Bytes code;
    code.u1(0x03)                  // 0 iconst_0
        .u1(0xc4).u1(0x36).u2(300)  // 1 wide istore 300, named at pc 5
        .u1(0xc4).u1(0x15).u2(300)  // 5 wide iload 300
        .u1(0xb1);                  // 9
    Bytes locals = c.localVariables({{5, 4, w, type, 300}});
    cases.push_back({"WideStoreNamedWhereItEnds", {}, classWithCode(c, code, {}, {locals}),
                     "\t\tMax stack 4 max locals 4 m code len 10\n"
                     "\n"
                     "\t      iconst_0          \n"
                     "\t      istore_w          Slot 300 'w'\n"
                     "\t      iload_w           Slot 300 'w'\n"
                     "\t      return            \n"
                     "\n"
                     "\t\tLocal Variables\n"
                     "\t\t\t   pc range   slot\n"
                     "\t\t\t    5-8       300 'w'['I']\n"
                     "\n"});
  }
  {
    ClassBuilder c;
    Bytes code;
    code.u1(0x01)                 // 0 aconst_null
        .u1(0xc6).u2(13)          // 1 ifnull 14
        .u1(0x01).u1(0x01)        // 4, 5
        .u1(0xa5).u2(9)           // 6 if_acmpeq 15
        .u1(0x01).u1(0x01)        // 9, 10
        .u1(0xa6).u2(0xFFF5)      // 11 if_acmpne 0
        .u1(0xb1)                 // 14
        .u1(0xc8).u4(0xFFFFFFF1)  // 15 goto_w 0
        .u1(0xc9).u4(8)           // 20 jsr_w 28
        .u1(0xa8).u2(0x1000)      // 25 jsr 4121: outside the code, no mark
        .u1(0xb1);                // 28
    cases.push_back({"BranchesAndTheirMarks", {}, classWithCode(c, code),
                     "\t\tMax stack 4 max locals 4 m code len 29\n"
                     "\n"
                     "\t    0@aconst_null       \n"
                     "\t      ifnull            14@\n"
                     "\t      aconst_null       \n"
                     "\t      aconst_null       \n"
                     "\t      if_acmpeq         15@\n"
                     "\t      aconst_null       \n"
                     "\t      aconst_null       \n"
                     "\t      if_acmpne         0@\n"
                     "\t   14@return            \n"
                     "\t   15@goto_w            0@\n"
                     "\t      jsr_w             28@\n"
                     "\t      jsr               4121@\n"
                     "\t   28@return            \n"
                     "\n"
                     "\n"});
  }
  {
    // Switch tables begin at a multiple of 4 from pc 0: padding 3, 0 and 2.
    ClassBuilder c;
    Bytes code;
    code.u1(0xaa).raw(std::string(3, '\0')).u4(72).u4(-1).u4(0).u4(52).u4(72);  // 0 tableswitch
    code.u1(0x00).u1(0x00).u1(0x00);                                             // 24 - 26
    code.u1(0xab).u4(45).u4(2).u4(-5).u4(25).u4(100).u4(45);                      // 27 lookupswitch
    code.u1(0x00);                                                                // 52
    code.u1(0xaa).raw(std::string(2, '\0')).u4(19).u4(7).u4(7).u4(-1);           // 53 tableswitch
    code.u1(0xb1);                                                                // 72
    cases.push_back({"SwitchesAlignedFromTheCodeStart", {}, classWithCode(c, code),
                     "\t\tMax stack 4 max locals 4 m code len 73\n"
                     "\n"
                     "\t      tableswitch       default 72@: [-1-0]\n"
                     "\t\t\t    -1: 52@\n"
                     "\t\t\t     0: 72@\n"
                     "\t      nop               \n"
                     "\t      nop               \n"
                     "\t      nop               \n"
                     "\t      lookupswitch      default 72@\n"
                     "\t\t\t    -5: 52@\n"
                     "\t\t\t   100: 72@\n"
                     "\t   52@nop               \n"
                     "\t      tableswitch       default 72@: [7-7]\n"
                     "\t\t\t     7: 52@\n"
                     "\t   72@return            \n"
                     "\n"
                     "\n"});
  }
  {
    ClassBuilder c;
    Bytes code;
    for (uint32_t type = 3; type <= 12; type++) code.u1(0xbc).u1(type);
    code.u1(0xb1);
    cases.push_back({"NewarrayTypes", {}, classWithCode(c, code),
                     "\t\tMax stack 4 max locals 4 m code len 21\n"
                     "\n"
                     "\t      newarray          unknown type: 3\n"
                     "\t      newarray          boolean\n"
                     "\t      newarray          char\n"
                     "\t      newarray          float\n"
                     "\t      newarray          double\n"
                     "\t      newarray          byte\n"
                     "\t      newarray          short\n"
                     "\t      newarray          int\n"
                     "\t      newarray          long\n"
                     "\t      newarray          unknown type: 12\n"
                     "\t      return            \n"
                     "\n"
                     "\n"});
  }
  {
    ClassBuilder c;
    Bytes code;
    code.u1(202).u1(203).u1(1).u1(218).u4(0).u1(229).u1(186).u1(230).u1(254).u1(255).u1(0xb1);
    cases.push_back({"QuickAndUnknownOpcodes", {}, classWithCode(c, code),
                     "\t\tMax stack 4 max locals 4 m code len 14\n"
                     "\n"
                     "\t      breakpoint        \n"
                     "\t      ldc_quick         ??\n"
                     "\t      invokeinterface_quick??\n"
                     "\t      nonnull_quick     \n"
                     "\t      xxxunusedxxx      ??\n"
                     "\t      ??                ??\n"
                     "\t      software          ??\n"
                     "\t      hardware          ??\n"
                     "\t      return            \n"
                     "\n"
                     "\n"});
  }
  {
    // Starts, ends and handlers are marked; the end at the code length marks nothing.
    ClassBuilder c;
    uint16_t exception = c.classRef("java/lang/Exception");
    Bytes code;
    code.u1(0x00).u1(0x00).u1(0x00).u1(0x00).u1(0x00).u1(0xb1);
    cases.push_back({"ExceptionRangeMarks", {},
                     classWithCode(c, code, {{1, 3, 5, exception}, {3, 6, 5, 0}}),
                     "\t\tMax stack 4 max locals 4 m code len 6\n"
                     "\n"
                     "\t      nop               \n"
                     "\t    1@nop               \n"
                     "\t      nop               \n"
                     "\t    3@nop               \n"
                     "\t      nop               \n"
                     "\t    5@return            \n"
                     "\n"
                     "\t\tException Table (2)\n"
                     "\t\t\tStart  End  Handle  Type\n"
                     "\t\t\t    1     3     5 java/lang/Exception\n"
                     "\t\t\t    3     6     5 any\n"
                     "\n"});
  }
  {
    ClassBuilder c;
    cases.push_back({"InstructionCutOffByTheCodeEnd", {}, classWithCode(c, Bytes().u1(0x00).u1(0x11).u1(0x01)),
                     "\t\tMax stack 4 max locals 4 m code len 3\n"
                     "\n"
                     "\t      nop               \n"
                     "\t      sipush            ??\n"
                     "\n"
                     "\n"});
  }
  {
    // With -l: pcs before the first entry take its line; other code attributes are listed.
    ClassBuilder c;
    Bytes lines = c.lineNumbers({{1, 10}, {3, 12}});
    Bytes other = c.attribute("Foo", Bytes().u1(0));
    Bytes code;
    code.u1(0x00).u1(0x00).u1(0x00).u1(0xc4).u1(0x15).u2(300).u1(0xb1);
    Bytes empty = c.attribute("Bar", Bytes());
    cases.push_back({"LineNumbersBesideTheCode", {"-l"}, classWithCode(c, code, {}, {other, lines, empty}),

                     "\t\tMax stack 4 max locals 4 m code len 8\n"
                     "\t\tAttributes 'Foo' 'Bar'\n"
                     "Offset Line\t      ByteCode\n"
                     "------ ----\t      --------\n"
                     "    0@   10\t      nop               \n"
                     "    1@   10\t      nop               \n"
                     "    2@   10\t      nop               \n"
                     "    3@   12\t      iload_w           Slot 300\n"
                     "    7@   12\t      return            \n"
                     "\n"
                     "\t\tSource Lines\n"
                     "\t\t\t   pc   line\n"
                     "\t\t\t    1     10\n"
                     "\t\t\t    3     12\n"
                     "\n"});
  }
  return cases;
}

class CodeListing : public ::testing::TestWithParam<ListingCase> {};

TEST_P(CodeListing, ListsTheMethodExactly) {
  const ListingCase& c = GetParam();
  std::string directory = freshDirectory("listing/" + c.name);
  writeFile(directory + "/A.class", c.file);
  std::vector<std::string> args = c.options;
  args.push_back("A.class");
  ProcessResult result = runGorblet(args, directory);
  size_t begin = result.out.find("\t\tMax stack");
  size_t end = result.out.rfind("}\n");
  ASSERT_NE(begin, std::string::npos) << result.out;
  ASSERT_NE(end, std::string::npos) << result.out;
  EXPECT_EQ(result.out.substr(begin, end - begin), c.block);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Table, CodeListing, ::testing::ValuesIn(listingCases()),
                         [](const ::testing::TestParamInfo<ListingCase>& info) { return info.param.name; });

}  // namespace
