// The declaration parser's records, the class table, binary names and the text forms that
// messages show.
#include <cstring>
#include <string>
#include <vector>

#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/declaration_checks.h"
#include "semantic/element_names.h"
#include "semantic/imports.h"
#include "semantic/passes.h"
#include "semantic/type_records.h"
#include "semantic/zip_reader.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/message_file.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/compilation_unit.h"
#include "syntax/scanner.h"
#include "test_support.h"

namespace {

class DeclarationsTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    initMessageTable(1);
    sortMessages();
    resetClassTable();
    initScanner();
    global.ctx = ParserContext{};
  }

  SourceFile* parse(const char* name, const char* text) {
    auto* file = arenaNew<SourceFile>(&global.mainArena);
    file->name = mainArenaCopy(name);
    file->content = mainArenaCopy(text);
    file->contentLength = static_cast<int32_t>(std::strlen(text));
    parseCompilationUnit(file);
    return file;
  }

  Identifier* id(const char* name) { return enterName(name, T_IDENTIFIER); }

  ClassDef* cls(const char* binaryName, Package* package = nullptr) {
    return findClassInPackage(package, id(binaryName), 0, 0);
  }

  Member* member(ClassDef* c, const char* name, int32_t kind) {
    Identifier* n = name != nullptr ? id(name) : nullptr;
    for (Member* m = c->members; m != nullptr; m = m->next)
      if (m->kind == kind && m->name == n) return m;
    return nullptr;
  }

  std::string text(const char* s) { return s; }
};

TEST_F(DeclarationsTest, RecordsMembersWithTheirBodyPositions) {
  const char* source =
      "package p.q;\n"
      "import java.util.*;\n"
      "public class A extends B implements I, J {\n"
      "  int x = 1, y[], z;\n"
      "  static { init(); }\n"
      "  public static int f(int a, String s) throws java.io.IOException { return 0; }\n"
      "  abstract void g();\n"
      "}\n";
  SourceFile* file = parse("A.java", source);
  EXPECT_EQ(global.errorCount, 0);
  ASSERT_NE(file->package, nullptr);
  EXPECT_STREQ(packageToString(file->package), "p.q");
  ASSERT_NE(file->imports, nullptr);
  EXPECT_EQ(file->imports->className, nullptr);
  ClassDef* a = cls("A", file->package);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->flags, CF_PUBLIC);
  EXPECT_EQ(a->line, 3);
  EXPECT_EQ(a->endLine, 8);
  EXPECT_STREQ(classRefToString(a->superclass), "B");
  EXPECT_STREQ(classRefToString(a->interfaces->next), "J");

  Member* x = member(a, "x", MK_VARIABLE);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->constantState, CONSTANT_PENDING);
  EXPECT_EQ(std::string(source + x->bodyOffset, 1), "1");
  EXPECT_STREQ(typeToString(member(a, "y", MK_VARIABLE)->type), "int[]");
  EXPECT_EQ(member(a, "z", MK_VARIABLE)->constantState, CONSTANT_NONE);

  Member* f = member(a, "f", MK_METHOD);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(source[f->bodyOffset], '{');
  EXPECT_EQ(f->bodyLine, 6);
  EXPECT_STREQ(memberToString(f), "public static int f(int,~String) throws java.io.IOException");
  EXPECT_EQ(member(a, "g", MK_METHOD)->bodyOffset, 0);

  // Source order, the default constructor last; the initializer block keeps its brace.
  int32_t kinds[8];
  int32_t n = 0;
  for (Member* m = a->members; m != nullptr && n < 8; m = m->next) kinds[n++] = m->kind;
  ASSERT_EQ(n, 7);
  EXPECT_EQ(kinds[3], MK_STATIC_INITIALIZER);
  EXPECT_EQ(kinds[6], MK_CONSTRUCTOR);
  Member* constructor = a->defaultConstructor;
  ASSERT_NE(constructor, nullptr);
  EXPECT_EQ(constructor->modifiers, M_PUBLIC);
  EXPECT_EQ(constructor->bodyOffset, 1);
  EXPECT_STREQ(memberToString(constructor), "public A()");
}

TEST_F(DeclarationsTest, NestedClassesGetBinaryNamesAndOuterInstances) {
  parse("A.java",
        "class A {\n"
        "  class B { class C {} }\n"
        "  static class S {}\n"
        "  interface I {}\n"
        "}\n");
  EXPECT_EQ(global.errorCount, 0);
  ClassDef* b = cls("A$B");
  ClassDef* c = cls("A$B$C");
  ClassDef* s = cls("A$S");
  ASSERT_TRUE(b && c && s && cls("A$I"));
  EXPECT_EQ(b->flags & (CF_NESTED | CF_INNER_MEMBER), CF_NESTED | CF_INNER_MEMBER);
  EXPECT_NE(s->flags & CF_STATIC, 0);
  EXPECT_NE(cls("A$I")->flags & CF_STATIC, 0);
  EXPECT_EQ(c->depth, 1);
  // Inner classes hold their outer instance: this$N by depth, a leading synthetic parameter.
  ASSERT_NE(b->outerThisField, nullptr);
  EXPECT_STREQ(identToString(b->outerThisField->name), "this$0");
  EXPECT_STREQ(identToString(c->outerThisField->name), "this$1");
  EXPECT_EQ(s->outerThisField, nullptr);
  Member* constructor = b->defaultConstructor;
  ASSERT_NE(constructor->parameters, nullptr);
  EXPECT_EQ(constructor->parameters->modifiers & M_SYNTHETIC, M_SYNTHETIC);
  EXPECT_STREQ(memberToString(constructor), "B(A)");
  EXPECT_STREQ(classToString(c), "A$B$C");
  // The outer class lists its inner classes in order.
  ASSERT_NE(cls("A")->innerClasses, nullptr);
  EXPECT_EQ(cls("A")->innerClasses->resolved, b);
  EXPECT_EQ(cls("A")->innerClasses->next->resolved, s);
}

TEST_F(DeclarationsTest, LocalAndAnonymousClassNumbers) {
  parse("A.java", "package p; class Outer {}\n");
  ClassDef* outer = cls("Outer", getPackage(nullptr, id("p")));
  ASSERT_NE(outer, nullptr);
  auto make = [&](ClassDef* around, uint16_t flags, const char* name, int32_t number) {
    auto* c = arenaNew<ClassDef>(&global.mainArena);
    c->flags = flags | CF_NESTED;
    c->name = name != nullptr ? id(name) : nullptr;
    c->outer = around;
    c->package = around->package;
    c->classNumber = number;
    computeBinaryName(c);
    return c;
  };
  EXPECT_STREQ(classToString(make(outer, CF_ANONYMOUS | CF_LOCAL, nullptr, 1)), "p.Outer$1");
  EXPECT_STREQ(classToString(make(outer, CF_ANONYMOUS | CF_LOCAL, nullptr, 2)), "p.Outer$2");
  EXPECT_STREQ(classToString(make(outer, CF_LOCAL, "L", 1)), "p.Outer$1$L");
  EXPECT_STREQ(classToString(make(outer, 0, "B", 0)), "p.Outer$B");
  EXPECT_STREQ(identToString(joinNames("val", id("x"), nullptr, -1)), "val$x");
  EXPECT_STREQ(identToString(joinNames(nullptr, nullptr, "this", 0)), "this$0");
  EXPECT_STREQ(identToString(joinNames(nullptr, nullptr, "p", 2)), "p$2");
  EXPECT_STREQ(identToString(accessorName(3)), "access$3");
}

TEST_F(DeclarationsTest, TextForms) {
  EXPECT_STREQ(typeToString(nullptr), "<null>");
  resetNameBuffer();
  appendType(nullptr);
  EXPECT_STREQ(nameBufferToNative(&global.tempArena), "<nullType>");
  EXPECT_STREQ(packageToString(&rootPackage), "unnamed");
  EXPECT_STREQ(packageToString(nullptr), "unnamed");
  EXPECT_STREQ(classToString(nullptr), "<null>");
  EXPECT_STREQ(memberToString(nullptr), "<null>");
  ClassRef* foo = newClassRefHere(nullptr, id("Foo"), nullptr, 1, 1);
  EXPECT_STREQ(typeToString(newClassType(foo, nullptr, 1, 1)), "~Foo");
  EXPECT_STREQ(typeToString(newArrayType(newArrayType(&intType))), "int[][]");
  Member* f = newMember(id("f"), 1, 1, 0, &voidType, 0, 0, 0, nullptr, nullptr);
  EXPECT_STREQ(memberToString(f), "void f()");
  EXPECT_STREQ(statementKindName(14), "ST_LEAVE_SCOPE");
  EXPECT_STREQ(statementKindName(21), "BAD_StatementKind");
}

TEST_F(DeclarationsTest, DuplicateClassesAcrossFiles) {
  testing::internal::CaptureStderr();
  parse("A.java", "class A {}\nclass B {}\n");
  parse("B.java", "\nclass B {}\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "B.java:2: dup.class.name\nclass B {}\n      ^\n");
  EXPECT_EQ(cls("B")->sourceFile->name, std::string("A.java"));
}

// A class of java.lang made by hand, with methods of the given parameter classes.
ClassDef* libraryClass(const char* name, Package* package) {
  ClassDef* c = newClassDef(CLASS_KIND_CLASS, enterName(name, T_IDENTIFIER));
  addClassToPackage(package, c);
  return c;
}

Member* method(ClassDef* owner, const char* name, int32_t kind, Type* parameterType, uint16_t modifiers = M_PUBLIC) {
  Member* m = newMember(name != nullptr ? enterName(name, T_IDENTIFIER) : nullptr, 0, 0, modifiers, &voidType, 0, 0, 0,
                        nullptr, nullptr);
  m->kind = kind;
  m->owner = owner;
  if (parameterType != nullptr) {
    m->parameters = newParameter(nullptr, parameterType, 0, 0, 0);
  }
  m->next = owner->members;
  owner->members = m;
  return m;
}

TEST_F(DeclarationsTest, AppendOverloadsAreChosenByExactParameterClass) {
  Package* lang = getPackage(getPackage(nullptr, id("java")), id("lang"));
  ClassDef* object = libraryClass("Object", lang);
  ClassDef* string = libraryClass("String", lang);
  ClassDef* sequence = libraryClass("CharSequence", lang);
  ClassDef* buffer = libraryClass("StringBuffer", lang);
  ClassDef* klass = libraryClass("Class", lang);
  auto typeOf = [&](ClassDef* c) { return newClassType(newClassRef(lang, c->name, c, 0, nullptr, 0, 0), c->name, 0, 0); };
  method(object, "getClass", MK_METHOD, nullptr);
  method(string, "valueOf", MK_METHOD, typeOf(object), M_PUBLIC | M_STATIC);
  method(klass, "forName", MK_METHOD, typeOf(string), M_PUBLIC | M_STATIC);
  method(buffer, nullptr, MK_CONSTRUCTOR, nullptr);
  method(buffer, nullptr, MK_CONSTRUCTOR, typeOf(string));
  method(buffer, "toString", MK_METHOD, nullptr);
  Member* appendObject = method(buffer, "append", MK_METHOD, typeOf(object));
  Member* appendString = method(buffer, "append", MK_METHOD, typeOf(string));
  for (Type* t : {&booleanType, &charType, &intType, &longType, &floatType, &doubleType}) method(buffer, "append", MK_METHOD, t);
  method(buffer, "append", MK_METHOD, newArrayType(&charType));
  // Listed last, the overloads for other classes must not be taken for Object or String.
  method(buffer, "append", MK_METHOD, typeOf(sequence));
  method(buffer, "append", MK_METHOD, typeOf(buffer));
  initJavaIo();
  ASSERT_EQ(objectClass, object);
  initStringBufferMethods();
  EXPECT_EQ(global.errorCount, 0);
  EXPECT_EQ(runtimeMembers.sbAppendObject, appendObject);
  EXPECT_EQ(runtimeMembers.sbAppendString, appendString);
  ASSERT_NE(stringType, nullptr);
  EXPECT_EQ(stringType->classRef->resolved, string);

  resetClassTable();
  EXPECT_EQ(objectClass, nullptr);
  EXPECT_EQ(stringClass(), nullptr);
  EXPECT_EQ(runtimeMembers.sbAppendObject, nullptr);
  EXPECT_EQ(rootPackage.child, nullptr);
}

TEST_F(DeclarationsTest, MissingRuntimeMembersAreReportedOnce) {
  Package* lang = getPackage(getPackage(nullptr, id("java")), id("lang"));
  libraryClass("Object", lang);
  initJavaIo();
  testing::internal::CaptureStderr();
  initStringBufferMethods();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quorvelix: cannot.find.java.types\n");
}

struct FieldConstant {
  const char* field;
  uint8_t state;
  double value;  // the kept value, as a double; for a String its length
};

// The field-constant pass attributes every final field initializer of a primitive or String type:
// literals and constant expressions are kept (long ones too), initializers that do not fold or do
// not convert are no constants, and each fault is reported once where it stands.
TEST_F(DeclarationsTest, FieldConstantsComeFromAttributedInitializers) {
  ClassLibraryOnPaths library;
  ASSERT_TRUE(library.opened());
  parse("K.java",
        "class K {\n"
        "  static final int I = 7, MIN = -2147483648, P = (5), N = -(-3), U = +4, C = 'a';\n"
        "  static final long L = 5, LMIN = -9223372036854775808L;\n"
        "  static final char CH = 65; static final byte B = -128; static final short S = 'b';\n"
        "  static final float F = 3, G = -1.5f; static final double D = 'a', E = 1e3;\n"
        "  static final boolean T = true; final String TEXT = \"\\u00e9t\\u00e9\", NOTHING = null;\n"
        "  static final byte WIDE = 300; static final int SUM = I + 1, CAST = (int) 1.5, NEG = -true;\n"
        "  static final float NARROW = 1.5; static final String NUMBER = 1; static final int TEXTUAL = \"x\";\n"
        "  static int VARIABLE = 1; static final Object OBJECT = \"o\"; static final int BLANK;\n"
        "  static final long BIG = 1L << 40, LC = L * 3 + BIG; final String SUPER = super.toString();\n"
        "}\n");
  testing::internal::CaptureStderr();
  initJavaIo();
  resolveAllSupertypes();
  evaluateAllFieldConstants();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "K.java:7: incomp.type.asg\n"
            "  static final byte WIDE = 300; static final int SUM = I + 1, CAST = (int) 1.5, NEG = -true;\n"
            "                           ^\n"
            "K.java:7: disallowed.type\n"
            "  static final byte WIDE = 300; static final int SUM = I + 1, CAST = (int) 1.5, NEG = -true;\n"
            "                                                                                      ^\n"
            "K.java:8: incomp.type.asg\n"
            "  static final float NARROW = 1.5; static final String NUMBER = 1; static final int TEXTUAL = \"x\";\n"
            "                              ^\n"
            "K.java:8: incomp.type.asg\n"
            "  static final float NARROW = 1.5; static final String NUMBER = 1; static final int TEXTUAL = \"x\";\n"
            "                                                                ^\n"
            "K.java:8: incomp.type.asg\n"
            "  static final float NARROW = 1.5; static final String NUMBER = 1; static final int TEXTUAL = \"x\";\n"
            "                                                                                              ^\n");
  ClassDef* k = cls("K");
  ASSERT_NE(k, nullptr);
  const FieldConstant cases[] = {
      {"I", CONSTANT_KEPT, 7},         {"MIN", CONSTANT_KEPT, -2147483648.0},
      {"P", CONSTANT_KEPT, 5},         {"N", CONSTANT_KEPT, 3},
      {"U", CONSTANT_KEPT, 4},         {"C", CONSTANT_KEPT, 97},
      {"L", CONSTANT_KEPT, 5},         {"LMIN", CONSTANT_KEPT, -9223372036854775808.0},
      {"CH", CONSTANT_KEPT, 65},       {"B", CONSTANT_KEPT, -128},
      {"S", CONSTANT_KEPT, 98},        {"F", CONSTANT_KEPT, 3},
      {"G", CONSTANT_KEPT, -1.5},      {"D", CONSTANT_KEPT, 97},
      {"E", CONSTANT_KEPT, 1000},      {"T", CONSTANT_KEPT, 1},
      {"TEXT", CONSTANT_KEPT, 3},      {"NOTHING", CONSTANT_NONE, 0},
      {"SUM", CONSTANT_KEPT, 8},       {"CAST", CONSTANT_KEPT, 1},
      {"BIG", CONSTANT_KEPT, 1099511627776.0}, {"LC", CONSTANT_KEPT, 1099511627791.0},
      // Not assignable, or not a constant.
      {"WIDE", CONSTANT_NONE, 0},      {"NEG", CONSTANT_NONE, 0},
      {"NARROW", CONSTANT_NONE, 0},    {"NUMBER", CONSTANT_NONE, 0},
      {"TEXTUAL", CONSTANT_NONE, 0},   {"SUPER", CONSTANT_NONE, 0},
      {"VARIABLE", CONSTANT_NONE, 0},  {"OBJECT", CONSTANT_NONE, 0},
      {"BLANK", CONSTANT_NONE, 0},
  };
  for (const FieldConstant& c : cases) {
    Member* f = member(k, c.field, MK_VARIABLE);
    ASSERT_NE(f, nullptr) << c.field;
    EXPECT_EQ(f->constantState, c.state) << c.field;
    if (c.state != CONSTANT_KEPT) continue;
    ASSERT_NE(f->constantValue, nullptr) << c.field;
    double kept = 0;
    switch (f->type->kind) {
      case TK_LONG: kept = static_cast<double>(*static_cast<int64_t*>(f->constantValue)); break;
      case TK_FLOAT:
      case TK_DOUBLE: kept = *static_cast<double*>(f->constantValue); break;
      case TK_CLASS: kept = static_cast<StringValue*>(f->constantValue)->length; break;
      default: kept = *static_cast<int32_t*>(f->constantValue); break;
    }
    EXPECT_EQ(kept, c.value) << c.field;
  }
  auto* text = static_cast<StringValue*>(member(k, "TEXT", MK_VARIABLE)->constantValue);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(stringValueChars(text)), text->length), u"\u00e9t\u00e9");
}

// An abstract class takes a public abstract copy of each interface method that neither it nor a
// superclass declares, at the end of its members, in the order of the interface walk (an interface
// before its superinterfaces); its subclasses' checks pass the copies over and name the interface.
TEST_F(DeclarationsTest, AnAbstractClassTakesTheInterfaceMethodsItLeavesOpen) {
  ClassLibraryOnPaths library;
  ASSERT_TRUE(library.opened());
  parse("A.java",
        "interface I { void m(int x) throws java.io.IOException; int n(); }\n"
        "interface J extends I { void k(); }\n"
        "abstract class S { public abstract int n(); }\n"
        "abstract class A extends S implements J, I { void own() {} }\n"
        "class B extends A {}\n");
  testing::internal::CaptureStderr();
  initJavaIo();
  resolveAllSupertypes();
  checkAllClasses();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "A.java:5: must.be.abstract\nclass B extends A {}\n      ^\n");
  ClassDef* a = cls("A");
  ASSERT_NE(a, nullptr);
  std::vector<std::string> copies;
  bool afterOwn = false;
  for (Member* m = a->members; m != nullptr; m = m->next) {
    if (m->name == id("own")) afterOwn = true;
    if ((m->modifiers & M_COPIED_INTERFACE_METHOD) == 0) continue;
    EXPECT_TRUE(afterOwn) << identToString(m->name);
    EXPECT_EQ(m->owner, a);
    EXPECT_EQ(m->modifiers & (M_PUBLIC | M_ABSTRACT), M_PUBLIC | M_ABSTRACT);
    copies.push_back(memberToString(m));
  }
  EXPECT_EQ(copies, (std::vector<std::string>{"public abstract void k()",
                                              "public abstract void m(int) throws java.io.IOException"}));
}

}  // namespace
