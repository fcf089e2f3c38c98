// The text forms that messages and dumps show program elements in, the compiler-state dump, and
// the two fatal stops: a failed assertion (reported with its file and line, then the abort or the
// fatal stop) and out of memory.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/fatal_stops.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/scanner.h"
#include "test_support.h"

namespace {

class ElementNamesTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    resetClassTable();
    initScanner();
    global.ctx = ParserContext{};
  }

  Identifier* id(const char* name) { return enterName(name, T_IDENTIFIER); }

  Package* package(const char* dotted) {
    Package* p = nullptr;
    std::string text = dotted;
    for (size_t start = 0; start <= text.size();) {
      size_t dot = text.find('.', start);
      if (dot == std::string::npos) dot = text.size();
      p = getPackage(p, id(text.substr(start, dot - start).c_str()));
      start = dot + 1;
    }
    return p;
  }

  ClassDef* makeClass(Package* p, const char* name, ClassDef* outer = nullptr, uint16_t flags = 0, int32_t number = 0) {
    ClassDef* c = newClassDef(CLASS_KIND_CLASS, name != nullptr ? id(name) : nullptr);
    c->outer = outer;
    c->flags = flags | (outer != nullptr ? CF_NESTED : 0);
    c->classNumber = number;
    c->binaryName = nullptr;
    computeBinaryName(c);
    addClassToPackage(p, c);
    return c;
  }

  Type* classType(ClassDef* c) { return newClassType(newClassRef(c->package, c->name, c, 0, nullptr, 1, 1), nullptr, 1, 1); }

  ExprNode* node(int32_t op, Type* type) {
    ExprNode* n = newExprNode(op, 1, 1);
    n->type = type;
    return n;
  }
};

TEST_F(ElementNamesTest, TypesMembersAndClassesInTheirFixedForms) {
  Package* p = package("p");
  Package* io = package("java.io");
  ClassDef* outer = makeClass(p, "Outer");
  ClassDef* anonymous = makeClass(p, nullptr, outer, CF_ANONYMOUS | CF_LOCAL, 1);
  ClassDef* local = makeClass(p, "L", outer, CF_LOCAL, 2);
  ClassDef* member = makeClass(p, "In", outer);
  ClassDef* string = makeClass(package("java.lang"), "String");
  ClassDef* ioException = makeClass(io, "IOException");
  ClassRef* unresolved = newClassRefHere(nullptr, id("Foo"), nullptr, 1, 1);
  auto* nameless = arenaNew<ClassRef>(&global.mainArena);

  Member* f = newMember(id("f"), 1, 1, M_PUBLIC | M_STATIC, &intType, 0, 0, 0,
                        newThrowsEntry(newClassRef(io, ioException->name, ioException, 0, nullptr, 1, 1), 1, 1),
                        newParameter(id("a"), &intType, 0, 1, 1));
  f->parameters->next = newParameter(id("s"), classType(string), 0, 1, 1);
  Member* constructor = newMember(nullptr, 1, 1, 0, nullptr, 0, 0, 0, nullptr, newParameter(id("i"), &intType, 0, 1, 1));
  constructor->kind = MK_CONSTRUCTOR;
  constructor->owner = makeClass(p, "C");
  constructor->parameters->next = newParameter(id("c"), newArrayType(&charType), 0, 1, 1);
  Member* bare = newMember(nullptr, 1, 1, 0, nullptr, 0, 0, 0, nullptr, nullptr);
  bare->kind = MK_CONSTRUCTOR;
  Member* every = newMember(id("g"), 1, 1,
                            M_PROTECTED | M_PRIVATE | M_ABSTRACT | M_STATIC | M_NATIVE | M_FINAL | M_SYNCHRONIZED,
                            &voidType, 0, 0, 0, nullptr, nullptr);
  Member* field = newVariable(M_PRIVATE | M_TRANSIENT | M_VOLATILE, newArrayType(newArrayType(&longType)), id("v"),
                              false, 1, 1);
  Member* initializer = newStaticInitializer(0, 1, 1, 0);

  struct Case {
    const char* what;
    const char* text;
    const char* expected;
  } cases[] = {
      {"no type", typeToString(nullptr), "<null>"},
      {"error type", typeToString(&errorType), "<error>"},
      {"unresolved class", typeToString(newClassType(unresolved, nullptr, 1, 1)), "~Foo"},
      {"unresolved class without a name", typeToString(newClassType(nameless, nullptr, 1, 1)), "~<noname>"},
      {"resolved class by simple name", typeToString(classType(string)), "String"},
      {"member class by simple name", typeToString(newArrayType(classType(member))), "In[]"},
      {"two dimensions", typeToString(newArrayType(newArrayType(&intType))), "int[][]"},
      {"class name as qualifier", typeToString(&classNameType), "<unknown>"},
      {"method", memberToString(f), "public static int f(int,String) throws java.io.IOException"},
      {"method text is member text", methodToString(f), "public static int f(int,String) throws java.io.IOException"},
      {"constructor", memberToString(constructor), "C(int,char[])"},
      {"constructor of no class", memberToString(bare), "<init>()"},
      {"one access word, every other modifier in order", memberToString(every),
       "protected abstract static native final synchronized void g()"},
      {"field", memberToString(field), "private transient volatile long[][] v"},
      {"initializer", memberToString(initializer), "<init>"},
      {"no member", memberToString(nullptr), "<null>"},
      {"top-level class", classToString(outer), "p.Outer"},
      {"anonymous class", classToString(anonymous), "p.Outer$1"},
      {"local class", classToString(local), "p.Outer$2$L"},
      {"member class", classToString(member), "p.Outer$In"},
      {"no class", classToString(nullptr), "<null>"},
      {"unresolved reference", classRefToString(newClassRef(io, id("Reader"), nullptr, 0, nullptr, 1, 1)),
       "java.io.Reader"},
      {"resolved reference", classRefToString(newClassRef(p, member->name, member, 0, nullptr, 1, 1)), "p.Outer$In"},
      {"no reference", classRefToString(nullptr), "<null>"},
      {"unnamed package", packageToString(&rootPackage), "unnamed"},
      {"package", packageToString(io), "java.io"},
      {"identifier", identToString(id("name")), "name"},
      {"no identifier", identToString(nullptr), "<null>"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.text, c.expected) << c.what;
}

TEST_F(ElementNamesTest, CallSignaturesAndExpressionTrees) {
  ClassDef* string = makeClass(package("java.lang"), "String");
  ExprNode* one = node(O_CONST, &intType);
  one->integerValue = 1;
  ExprNode* big = node(O_CONST, &longType);
  big->integerValue = -2;
  ExprNode* text = node(O_STRING, classType(string));
  const uint16_t units[] = {'h', 'i'};
  text->string = newStringValue(&global.mainArena, units, 2);
  ExprNode* arguments = node(O_ARG, nullptr);
  arguments->left = node(O_ARG, nullptr);
  arguments->left->left = one;
  arguments->left->right = text;
  arguments->right = node(O_CONST, &booleanType);
  EXPECT_STREQ(methodSignatureToString(id("f"), arguments), "f(int,String,boolean)");
  EXPECT_STREQ(methodSignatureToString(nullptr, nullptr), "<init>()");
  EXPECT_STREQ(methodSignatureToString(id("g"), big), "g(long)");

  Member* method = newMember(id("m"), 1, 1, 0, &intType, 0, 0, 0, nullptr, newParameter(id("x"), &intType, 0, 1, 1));
  ExprNode* call = node(O_CALL, &intType);
  call->member = method;
  call->name = method->name;
  call->left = node(O_THIS, nullptr);
  call->list = one;
  ExprNode* sum = node(O_ADD, &intType);
  sum->left = call;
  sum->right = big;
  Member* constructor = newMember(nullptr, 1, 1, 0, nullptr, 0, 0, 0, nullptr, nullptr);
  constructor->kind = MK_CONSTRUCTOR;
  constructor->owner = string;
  ExprNode* creation = node(O_NEW, classType(string));
  creation->member = constructor;
  creation->list = text;
  Member* variable = newVariable(0, &intType, id("v"), false, 1, 1);
  ExprNode* name = node(O_ID, &intType);
  name->member = variable;
  ExprNode* unbound = node(O_ID, &errorType);
  unbound->name = id("w");

  EXPECT_STREQ(exprToString(nullptr), "<null>");
  EXPECT_STREQ(exprToString(sum),
               "O_ADD [int]   O_CALL [int]     int m(int)  m,     O_THIS [<nullType>]     O_CONST [int]       "
               "0000000000000001,   O_CONST [long]     fffffffffffffffe, ");
  EXPECT_STREQ(exprToString(creation), "O_NEW [String]   String(),   O_STRING [String]     \"hi\", ");
  EXPECT_STREQ(exprToString(name), "O_ID [int]   int v, ");
  EXPECT_STREQ(exprToString(unbound), "O_ID [<error>]   w, ");
}

TEST_F(ElementNamesTest, StatementKindsTokensAndSourceFiles) {
  EXPECT_STREQ(statementKindName(0), "ST_EXPR");
  EXPECT_STREQ(statementKindName(20), "ST_DECLARATION");
  EXPECT_STREQ(statementKindName(-1), "BAD_StatementKind");
  EXPECT_STREQ(statementKindName(21), "BAD_StatementKind");
  const std::pair<int32_t, const char*> names[] = {{T_EOF, "<EOF>"},        {T_IDENTIFIER, "<identifier>"},
                                                   {T_STRING, "<string>"},   {T_PLUS, "+"},
                                                   {T_ABSTRACT, "abstract"}, {T_WIDEFP, "widefp"},
                                                   {T_ERROR, "<error>"},     {T_ERROR + 1, "<unknown>"}};
  for (const auto& [kind, text] : names) EXPECT_STREQ(tokenName(kind), text) << kind;

  Token token{};
  token.kind = T_IDENTIFIER;
  token.line = 3;
  token.column = 7;
  token.start = 40;
  token.identifier = id("name");
  EXPECT_STREQ(tokenToString(&token), "id: <identifier>  line: 3  column: 7  offset: 40  identifier: name");
  token = Token{};
  EXPECT_STREQ(tokenToString(&token), "id:   line: 0  column: 0  offset: 0  identifier: ");
  EXPECT_STREQ(tokenToString(nullptr), "<null>");

  auto* file = arenaNew<SourceFile>(&global.mainArena);
  file->name = mainArenaCopy("src/A.java");
  file->contentLength = 123;
  file->package = package("a.b");
  EXPECT_STREQ(sourceFileToString(file), "filename: src/A.java, \tfileLength: 123   package: a.b");
  EXPECT_STREQ(sourceFileToString(nullptr), "<null>");
}

TEST_F(ElementNamesTest, ScopeAndCompilerStateDumps) {
  ClassDef* cls = makeClass(&rootPackage, "K");
  global.ctx.enclosing = cls;
  Scope outer{};
  Scope inner{};
  outer.owner = cls;
  outer.maxSlots = 3;
  outer.nextSlot = 2;
  inner.owner = cls;
  inner.outer = &outer;
  inner.maxSlots = 4;
  inner.nextSlot = 4;
  Member* a = newVariable(0, &intType, id("a"), false, 1, 1);
  Member* b = newVariable(0, &intType, id("b"), false, 1, 1);
  outer.first = outer.last = a;
  inner.first = inner.last = b;
  global.ctx.scope = &inner;
  testing::internal::CaptureStdout();
  dumpScopes();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "SCOPE FOR: K\n \t maxSlots = 3, allocSlots = 2\n \t Variables: a, \n"
            "SCOPE FOR: K\n \t maxSlots = 4, allocSlots = 4\n \t Variables: b, \n");

  auto* file = arenaNew<SourceFile>(&global.mainArena);
  file->name = mainArenaCopy("K.java");
  file->content = mainArenaCopy("class K {}");
  file->contentLength = 10;
  file->package = &rootPackage;
  global.current = file;
  global.ctx.currentMethod = newMember(id("run"), 1, 1, 0, &voidType, 0, 0, 0, nullptr, nullptr);
  std::string state = dumpGlobalContext();
  EXPECT_EQ(state.substr(0, state.find("\ntoken = ")), "global.current = filename: K.java, \tfileLength: 10   package: ");
  EXPECT_NE(state.find("\nglobal.ctx.enclosing = K\nglobal.ctx.currentMethod = void run()\n"), std::string::npos) << state;
  global.current = nullptr;
  global.ctx = ParserContext{};
  EXPECT_EQ(std::string(dumpGlobalContext()).substr(0, 24), "global.current = <null>\n");
}

std::vector<std::string> captured;

void capture(const char* text) {
  captured.push_back(text);
}

// A failed assertion is counted as an error and reported with its file, line, the assertion and
// the compiler state; during a compile it ends the process, during an evaluation it stops with the
// fatal code. Out of memory stops with its own code and prints nothing.
TEST_F(ElementNamesTest, FatalStops) {
  global.abortOnFatal = 0;
  global.messageCallback = capture;
  captured.clear();
  int32_t errors = global.errorCount;
  int32_t code = 0;
  try {
    assertFailed("part.cpp", 12, "x > 0");
  } catch (const CompileStop& stop) {
    code = stop.code;
  }
  EXPECT_EQ(code, STOP_FATAL);
  EXPECT_EQ(global.errorCount, errors + 1);
  ASSERT_EQ(captured.size(), 1u);
  EXPECT_EQ(captured[0].substr(0, 54), "ASSERT ERROR: In part.cpp at 12, assert(x > 0) failed.");
  EXPECT_NE(captured[0].find("global.current = "), std::string::npos);
  captured.clear();
  try {
    assertFailed(nullptr, 0, nullptr);
  } catch (const CompileStop&) {
  }
  ASSERT_EQ(captured.size(), 1u);
  EXPECT_EQ(captured[0].substr(0, 40), "ASSERT ERROR: In  at 0, assert() failed.");
  global.messageCallback = nullptr;

  code = 0;
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  try {
    outOfMemory();
  } catch (const CompileStop& stop) {
    code = stop.code;
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(code, STOP_OUT_OF_MEMORY);

  global.abortOnFatal = 1;
  EXPECT_DEATH(assertFailed("walk.cpp", 99, "depth < limit"), "ASSERT ERROR: In walk.cpp at 99, assert\\(depth < limit\\) failed\\.");
  global.abortOnFatal = 0;

  testing::internal::CaptureStdout();
  tracer("gen.cpp", 7, "here");
  tracer(nullptr, 8, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "TRACER: FILE=\"gen.cpp\", LINE=7: here\nTRACER: FILE=\"\", LINE=8: \n");
}

}  // namespace
