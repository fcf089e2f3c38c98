// Names, calls and tree walks driven by hand: classes declared from a source text, expressions
// built through their constructors in a context set up as the body parser would, and the member
// chosen, the node made and the diagnostics given compared with what the language says.
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "semantic/binary_operators.h"
#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/method_calls.h"
#include "semantic/name_lookup.h"
#include "semantic/name_resolution.h"
#include "semantic/passes.h"
#include "semantic/primary_expressions.h"
#include "semantic/synthetic_members.h"
#include "semantic/tree_walks.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "semantic/zip_reader.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/message_file.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/compilation_unit.h"
#include "syntax/declarators.h"
#include "syntax/method_bodies.h"
#include "syntax/scanner.h"
#include "syntax/scopes.h"
#include "test_support.h"

namespace {

// Each message shows its key and its arguments, with the argument counts of the message file.
void loadKeysAsMessages() {
  std::ifstream in(std::string(SOURCE_TREE) + "/lib/quorvelix.messages");
  std::vector<std::pair<std::string, int>> keys;
  for (std::string line; std::getline(in, line);) {
    size_t open = line.find('(');
    size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || open == std::string::npos || equals == std::string::npos || open > equals)
      continue;
    keys.emplace_back(line.substr(0, open), std::stoi(line.substr(open + 1)));
  }
  initMessageTable(static_cast<int32_t>(keys.size()) + 1);
  for (auto& [key, count] : keys) {
    std::string text = key;
    for (int i = 1; i <= count; i++) text += " %" + std::to_string(i);
    addMessage(key.c_str(), static_cast<int32_t>(key.size()), count, text.c_str(), static_cast<int32_t>(text.size()));
  }
  sortMessages();
}

class NamesTest : public ClassLibraryTest {
 protected:
  void setUpMessages() override { loadKeysAsMessages(); }

  // Declares the classes of a source text, with their supertypes and member types resolved.
  void declare(const char* text) {
    auto* file = arenaNew<SourceFile>(&global.mainArena);
    file->name = mainArenaCopy("T.java");
    file->content = mainArenaCopy(text);
    file->contentLength = static_cast<int32_t>(std::strlen(text));
    parseCompilationUnit(file);
    resolveAllSupertypes();
    global.current = file;
    for (ClassDef* c = file->package->firstClass; c != nullptr; c = c->next)
      for (Member* m = c->members; m != nullptr; m = m->next) resolveMemberTypes(c, m);
    // The constants of literal initializers, as the field-constant pass keeps them.
    for (ClassDef* c = file->package->firstClass; c != nullptr; c = c->next)
      for (Member* m = c->members; m != nullptr; m = m->next)
        if (m->kind == MK_VARIABLE && (m->modifiers & M_FINAL) != 0) evaluateFieldConstant(m);
    reported.clear();
  }

  // A class of the declared text by its binary name; it becomes the current class.
  ClassDef* enter(const char* binaryName) {
    Package* package = global.current != nullptr ? global.current->package : &rootPackage;
    ClassDef* cls = findClassInPackage(package, enterName(binaryName, T_IDENTIFIER), 0, 0);
    EXPECT_NE(cls, nullptr) << binaryName;
    global.ctx.enclosing = cls;
    return cls;
  }

  static Member* member(ClassDef* cls, const char* name, int32_t kind, int32_t nth = 0) {
    Identifier* id = name != nullptr ? enterName(name, T_IDENTIFIER) : nullptr;
    for (Member* m = cls->members; m != nullptr; m = m->next)
      if (m->kind == kind && m->name == id && nth-- == 0) return m;
    ADD_FAILURE() << "no member " << (name != nullptr ? name : "<init>");
    return nullptr;
  }

  static Type* lang(const char* name) {
    ClassDef* cls = findClass(javaLangPackage, name);
    EXPECT_NE(cls, nullptr) << name;
    return classTypeFor(cls, 0, 0);
  }
};

Identifier* id(const char* name) {
  return enterName(name, T_IDENTIFIER);
}
ExprNode* ic(int64_t v) {
  return makeIntegerConstant(T_INT, v, 3, 10);
}
ExprNode* sc(const char* text) {
  std::u16string units(text, text + std::strlen(text));
  return makeStringConstant(reinterpret_cast<const uint16_t*>(units.data()), static_cast<int32_t>(units.size()), 3,
                            10);
}
ExprNode* typed(Type* type, const char* name = "v") {
  ExprNode* node = makeIdentifier(id(name), 3, 20);
  node->type = type;
  return node;
}
ExprNode* args(ExprNode* a, ExprNode* b) {
  return makeBinaryExpression(O_ARG, a, b, 3, 5);
}
ExprNode* name(const char* text, int32_t column = 7) {
  return makeIdentifier(id(text), 3, column);
}
ExprNode* dotted(std::initializer_list<const char*> parts) {
  ExprNode* e = nullptr;
  int32_t column = 7;
  for (const char* part : parts) {
    e = e == nullptr ? name(part, column) : makeDot(e, id(part), 3, column);
    column += static_cast<int32_t>(std::strlen(part)) + 1;
  }
  return e;
}

std::string parameterText(const Member* m) {
  if (m == nullptr) return "<none>";
  std::string text;
  for (Parameter* p = m->parameters; p != nullptr; p = p->next) text += std::string(text.empty() ? "" : ",") + typeToString(p->type);
  return std::string(m->owner != nullptr ? identToString(m->owner->name) : "?") + "(" + text + ")";
}

TEST_F(NamesTest, OverloadsKeepTheMaximallySpecificCandidates) {
  declare(
      "class A { void m(Object a, String b) {} void m(String a, Object b) {} void m(String a, String b) {} }\n"
      "class B { void m(String a, String b) {} void m(Object a, String b) {} void m(String a, Object b) {} }\n"
      "class C { void m(Object a, String b) {} void m(String a, String b) {} void m(String a, Object b) {} }\n"
      "class D { void m(Object a, String b) {} void m(String a, Object b) {} }\n"
      "class P { void f(Object o) {} void g() {} void h(int i) {} }\n"
      "class Q extends P { void f(String s) {} void g() {} void h(long l) {} }\n");
  struct Case {
    const char* cls;
    const char* method;
    std::function<ExprNode*()> arguments;
    const char* chosen;
  };
  ClassDef* object = findClass(javaLangPackage, "Object");
  const Case cases[] = {
      {"A", "m", [] { return args(sc("a"), sc("b")); }, "A(String,String)"},
      {"B", "m", [] { return args(sc("a"), sc("b")); }, "B(String,String)"},
      {"C", "m", [] { return args(sc("a"), sc("b")); }, "C(String,String)"},
      {"D", "m", [] { return args(sc("a"), sc("b")); }, "<none>"},
      {"A", "m", [&] { return args(typed(classTypeFor(object, 0, 0)), sc("b")); }, "A(Object,String)"},
      // The whole superclass chain competes.
      {"Q", "f", [] { return sc("s"); }, "Q(String)"},
      {"Q", "f", [&] { return typed(classTypeFor(object, 0, 0)); }, "P(Object)"},
      {"Q", "h", [] { return ic(1); }, "P(int)"},
  };
  for (const Case& c : cases) {
    Member* found = lookupMethod(enter(c.cls), id(c.method), true, c.arguments(), nullptr, 3, 5);
    EXPECT_EQ(parameterText(found), c.chosen) << c.cls << "." << c.method;
  }
  // Without arguments the lowest class that declares the method decides.
  EXPECT_EQ(lookupMethod(enter("Q"), id("g"), true, nullptr, nullptr, 3, 5)->owner, enter("Q"));
  // A true ambiguity is reported by the call with its candidates.
  enter("D");
  ExprNode* call = makeMethodCall(nullptr, id("m"), args(sc("a"), sc("b")), 3, 5);
  EXPECT_EQ(call->type, &errorType);
  EXPECT_EQ(reported, "ambig.method m(String,String) D.m(Object,String), D.m(String,Object)");
}

TEST_F(NamesTest, FieldLookupThroughSupertypesAndEnclosingClasses) {
  declare(
      "class S { private int p; int q; static int r; int x; }\n"
      "interface I { int a = 1; }\n"
      "class S2 { int a; }\n"
      "class U extends S2 implements I { }\n"
      "class T extends S { }\n"
      "class O { int x; int y; class In extends S { } class Other { } }\n");
  ClassDef* t = enter("T");
  EXPECT_EQ(lookupVariable(t, id("p"), false, false, nullptr, 3, 5), nullptr);
  EXPECT_EQ(lookupVariable(t, id("q"), false, false, nullptr, 3, 5), member(enter("S"), "q", MK_VARIABLE));
  EXPECT_EQ(reported, "");
  bool staticReported = false;
  enter("T");
  lookupVariable(t, id("q"), true, false, nullptr, 3, 5, &staticReported);
  EXPECT_TRUE(staticReported);
  EXPECT_EQ(reported, "illegal.static.reference q S");
  reported.clear();
  EXPECT_EQ(lookupVariable(t, id("r"), true, false, nullptr, 3, 5), member(enter("S"), "r", MK_VARIABLE));
  EXPECT_EQ(reported, "");

  ClassDef* u = enter("U");
  Member* a = lookupVariable(u, id("a"), false, false, nullptr, 3, 5);
  EXPECT_EQ(a, member(enter("I"), "a", MK_VARIABLE));
  EXPECT_EQ(reported, "reference.ambiguous a I S2");
  reported.clear();

  // Inherited beside declared in the enclosing class: the inherited field hides it, with a warning.
  ClassDef* in = enter("O$In");
  ClassDef* outside = nullptr;
  EXPECT_EQ(lookupVariable(in, id("x"), false, true, &outside, 3, 5), member(enter("S"), "x", MK_VARIABLE));
  EXPECT_EQ(outside, nullptr);
  EXPECT_EQ(reported, "warn.inner.variable.ambiguous x O$In O");
  reported.clear();
  // Only in the enclosing class: found there.
  ClassDef* other = enter("O$Other");
  EXPECT_EQ(lookupVariable(other, id("y"), false, true, &outside, 3, 5), member(enter("O"), "y", MK_VARIABLE));
  EXPECT_EQ(outside, enter("O"));
  EXPECT_EQ(reported, "");
}

TEST_F(NamesTest, NamesResolveToVariablesClassesAndPackages) {
  declare(
      "class A { static final int K = 3; static final String S = \"s\"; static final long L = 5L; int i; "
      "static int si; int[] arr; }\n");
  enter("A");
  struct Case {
    const char* text;
    std::function<ExprNode*()> build;
    int32_t op;
    const char* type;
    const char* messages;
  };
  const Case cases[] = {
      {"K", [] { return name("K"); }, O_CONST, "int", ""},
      {"A.K", [] { return dotted({"A", "K"}); }, O_CONST, "int", ""},
      {"S", [] { return name("S"); }, O_STRING, "String", ""},
      {"L", [] { return name("L"); }, O_CONST, "long", ""},
      {"i", [] { return name("i"); }, O_ID, "int", ""},
      {"A.si", [] { return dotted({"A", "si"}); }, O_ID, "int", ""},
      {"arr.length", [] { return dotted({"arr", "length"}); }, O_ALENGTH, "int", ""},
      {"java.util.Vector", [] { return dotted({"java", "util", "Vector"}); }, O_CLASSREF, "", ""},
      {"java.lang.Integer.MAX_VALUE", [] { return dotted({"java", "lang", "Integer", "MAX_VALUE"}); }, O_CONST, "int",
       ""},
      {"nope", [] { return name("nope"); }, O_ID, "<error>", "undef.variable nope"},
      {"no.such.thing", [] { return dotted({"no", "such", "thing"}); }, O_DOT, "<error>", "undef.variable thing"},
      {"A.nope", [] { return dotted({"A", "nope"}); }, O_DOT, "<error>", "undef.field nope"},
      {"A.i", [] { return dotted({"A", "i"}); }, O_DOT, "<error>", "illegal.static.reference i A"},
      {"i.x", [] { return dotted({"i", "x"}); }, O_DOT, "<error>", "not.class.type"},
  };
  for (const Case& c : cases) {
    reported.clear();
    ExprNode* e = resolveName(c.build());
    ASSERT_NE(e, nullptr) << c.text;
    EXPECT_EQ(e->op, c.op) << c.text;
    if (c.op != O_CLASSREF) EXPECT_EQ(std::string(typeToString(e->type)), c.type) << c.text;
    EXPECT_EQ(reported, c.messages) << c.text;
  }
  // The folded values.
  EXPECT_EQ(resolveName(name("K"))->integerValue, 3);
  EXPECT_EQ(resolveName(name("L"))->integerValue, 5);
}

TEST_F(NamesTest, AnArraysCloneIsPublic) {
  declare("package p; class A { int[] a; Object o; }\n");
  enter("A");
  ExprNode* clone = makeMethodCall(typed(newArrayType(&intType)), global.cloneName, nullptr, 3, 5);
  EXPECT_EQ(reported, "");
  EXPECT_EQ(std::string(typeToString(clone->type)), "Object");
  // Object's own clone, through an Object from another package, is protected.
  makeMethodCall(typed(lang("Object")), global.cloneName, nullptr, 3, 5);
  EXPECT_EQ(reported.rfind("protected.access", 0), 0u) << reported;
}

TEST_F(NamesTest, AClassLiteralOutsideAStatementListIsNoConstant) {
  declare("class A { static final String N = \"\"; }\n");
  enter("A");
  ExprNode* literal = makeClassLiteral(lang("String"), 3, 5);
  EXPECT_EQ(literal->op, O_CLASS);
  EXPECT_EQ(std::string(typeToString(literal->type)), "Class");
  ExprNode* call = makeMethodCall(literal, id("getName"), nullptr, 3, 5);
  EXPECT_EQ(std::string(typeToString(call->type)), "String");
  EXPECT_EQ(reported, "");
}

TEST_F(NamesTest, AnInstanceFieldInAStaticContextIsReportedOnce) {
  declare("class A { int x; static int y; }\n");
  enter("A");
  global.ctx.flags = CTX_STATIC;
  ExprNode* x = resolveName(name("x"));
  EXPECT_EQ(x->type, &errorType);
  EXPECT_EQ(reported, "illegal.static.reference x A");
  walkExpression(x, staticContextCheck, nullptr, nullptr, nullptr);
  EXPECT_EQ(reported, "illegal.static.reference x A");
  reported.clear();
  ExprNode* y = resolveName(name("y"));
  walkExpression(y, staticContextCheck, nullptr, nullptr, nullptr);
  EXPECT_EQ(reported, "");
}

TEST_F(NamesTest, CallsAndConstructorCalls) {
  declare(
      "class A { A() {} A(int i) {} A(String s) {} void im() {} static void sm() {} }\n"
      "abstract class Abs { }\n"
      "class E { void thrower() throws java.io.IOException {} }\n");
  ClassDef* a = enter("A");
  Member* noArgs = member(a, nullptr, MK_CONSTRUCTOR, 0);
  Member* ofInt = member(a, nullptr, MK_CONSTRUCTOR, 1);
  Member* ofString = member(a, nullptr, MK_CONSTRUCTOR, 2);
  global.ctx.statementCount = 1;
  auto thisNode = [&] { return makeKeywordExpression(O_THIS, a, 3, 5); };

  // A() { this(1); } then A(int i) { this(); }: the second call closes the cycle.
  global.ctx.currentMethod = noArgs;
  ExprNode* first = makeMethodCall(thisNode(), nullptr, ic(1), 3, 5);
  EXPECT_EQ(first->member, ofInt);
  EXPECT_EQ(reported, "");
  global.ctx.currentMethod = ofInt;
  makeMethodCall(thisNode(), nullptr, nullptr, 4, 5);
  EXPECT_EQ(reported, "constructor.calls.itself A(int)");
  reported.clear();
  // A(String s) { this(s); } calls itself at once.
  global.ctx.currentMethod = ofString;
  makeMethodCall(thisNode(), nullptr, sc("s"), 3, 5);
  EXPECT_EQ(reported, "constructor.calls.itself A(String)");
  reported.clear();
  // this(...) and super(...) only first.
  global.ctx.statementCount = 2;
  makeMethodCall(thisNode(), nullptr, ic(1), 3, 5);
  makeMethodCall(makeKeywordExpression(O_SUPER, a, 3, 5), nullptr, nullptr, 3, 5);
  EXPECT_EQ(reported, "this.not.first; super.not.first");
  reported.clear();

  // Static context and static-only qualifiers.
  global.ctx.statementCount = 1;
  global.ctx.currentMethod = member(a, "sm", MK_METHOD);
  makeMethodCall(nullptr, id("im"), nullptr, 3, 5);
  makeMethodCall(makeKeywordExpression(O_SUPER, a, 3, 5), id("im"), nullptr, 3, 5);
  ExprNode* viaClass = makeClassRefNode(name("A"), a);
  makeMethodCall(viaClass, id("im"), nullptr, 3, 5);
  EXPECT_EQ(reported, "instance.call.in.static void im() A; super.in.static; not.static.method void im()");
  reported.clear();
  // A static method called through a variable: the qualifier becomes the class, the variable kept.
  ExprNode* variable = typed(classTypeFor(a, 0, 0), "v");
  ExprNode* call = makeMethodCall(variable, id("sm"), nullptr, 3, 5);
  EXPECT_EQ(call->left->op, O_CLASSREF);
  ASSERT_NE(call->savedQualifier, nullptr);
  EXPECT_EQ(call->savedQualifier->op, O_ID);
  EXPECT_EQ(reported, "");

  // Creation.
  global.ctx.currentMethod = nullptr;
  ArrayDimension three{nullptr, ic(3)};
  ArrayDimension emptyAfter{nullptr, nullptr};
  three.next = &emptyAfter;
  EXPECT_EQ(makeNewExpression(nullptr, newArrayType(newArrayType(&intType)), nullptr, &three, 3, 5)->type->kind, TK_ARRAY);
  ArrayDimension missing{nullptr, nullptr};
  ArrayDimension later{nullptr, ic(3)};
  missing.next = &later;
  makeNewExpression(nullptr, newArrayType(newArrayType(&intType)), nullptr, &missing, 3, 5);
  ArrayDimension d1{nullptr, ic(3)};
  ArrayDimension d2{nullptr, nullptr};
  ArrayDimension d3{nullptr, makeIntegerConstant(T_INT, 4, 3, 17)};
  d1.next = &d2;
  d2.next = &d3;
  makeNewExpression(nullptr, newArrayType(newArrayType(newArrayType(&intType))), nullptr, &d1, 3, 5);
  makeNewExpression(nullptr, classTypeFor(enter("Abs"), 0, 0), nullptr, nullptr, 3, 5);
  makeNewExpression(nullptr, classTypeFor(a, 0, 0), makeBooleanConstant(1), nullptr, 3, 5);
  EXPECT_EQ(reported, "array.new.missing.bounds; omitted.bound; cannot.new; undef.constructor A A(boolean)");
  reported.clear();

  // Checked exceptions of a call outside any try, in a method that does not declare them.
  ClassDef* e = enter("E");
  global.ctx.currentMethod = member(e, "thrower", MK_METHOD);
  global.ctx.currentMethod = nullptr;
  makeMethodCall(nullptr, id("thrower"), nullptr, 3, 5);
  // The placeholder clause bookkeeping counts every exception as caught until it is built.
  if (!reported.empty()) EXPECT_EQ(reported, "throws.not.caught java.io.IOException thrower");
}

TEST_F(NamesTest, InstanceOf) {
  declare("class A { }\n");
  enter("A");
  makeInstanceOf(typed(lang("Integer")), lang("String"), 3, 5);
  makeInstanceOf(typed(&intType), lang("String"), 3, 5);
  makeInstanceOf(typed(lang("Object")), &intType, 3, 5);
  EXPECT_EQ(reported, "cant.instanceof String Integer; disallowed.type int; disallowed.type int");
  reported.clear();
  ExprNode* ok = makeInstanceOf(typed(lang("Object")), lang("String"), 3, 5);
  EXPECT_EQ(ok->op, O_INSTANCEOF);
  EXPECT_EQ(ok->type, &booleanType);
  EXPECT_EQ(reported, "");
}

TEST_F(NamesTest, WalksAndAssignmentTargets) {
  declare("class A { int a = b + 1; int b = 2; static int c = b; final int f = 1; final int blank; int[] arr; }\n");
  ClassDef* cls = enter("A");
  Member* a = member(cls, "a", MK_VARIABLE);
  Member* c = member(cls, "c", MK_VARIABLE);
  // The b of a's initializer (line 1, column 18), declared after it.
  global.ctx.initializerPart = a;
  resolveName(makeIdentifier(id("b"), 1, 18));
  reportForwardUses();
  EXPECT_EQ(reported, "forward.reference b A");
  reported.clear();
  // The target of a simple assignment is no read.
  makeBinaryExpression(O_ASG, resolveName(makeIdentifier(id("b"), 1, 18)), ic(3), 1, 20);
  reportForwardUses();
  EXPECT_EQ(reported, "");
  // A static field's initializer may name a later instance field without a forward reference.
  global.ctx.initializerPart = c;
  resolveName(makeIdentifier(id("b"), 1, 18));
  reportForwardUses();
  EXPECT_EQ(reported, "");
  global.ctx.initializerPart = nullptr;

  ExprNode* length = resolveName(dotted({"arr", "length"}));
  EXPECT_EQ(checkAssignmentTarget(length), 0);
  EXPECT_EQ(checkAssignmentTarget(ic(5)), 0);
  EXPECT_EQ(checkAssignmentTarget(resolveName(name("f"))), 0);
  EXPECT_EQ(checkAssignmentTarget(resolveName(name("blank"))), 0);
  EXPECT_EQ(reported, "assign.to.array.length; illegal.lhs; assign.to.final.field f; assign.to.final.field blank");
  reported.clear();
  global.ctx.currentMethod = member(cls, nullptr, MK_CONSTRUCTOR);
  EXPECT_EQ(checkAssignmentTarget(resolveName(name("blank"))), 1);
  EXPECT_EQ(reported, "");
}

// A synthetic parameter added to the constructor whose body is being parsed takes the slot after
// the parameters: the locals declared so far move up, and no two share a slot.
TEST_F(NamesTest, ASyntheticParameterAddedDuringTheBodyMovesTheLocalsUp) {
  declare("class L { L(int a) { } }\n");
  ClassDef* cls = enter("L");
  Member* constructor = member(cls, nullptr, MK_CONSTRUCTOR);
  auto* methodScope = arenaNew<Scope>(&global.mainArena);
  constructor->parameterScope = methodScope;
  global.ctx.currentMethod = constructor;
  global.currentArena = &global.tempArena;
  pushScope(methodScope);
  setScopeSlots(0, 0);
  allocLocalSlots(2);
  assignParameterSlots(constructor);
  Scope block{};
  pushScope(&block);
  Member* b = newMemberOfKind(&global.tempArena, MK_VARIABLE);
  b->name = id("b");
  b->type = &intType;
  b->slot = static_cast<int16_t>(allocLocalSlots(1));
  appendToScope(&block, b);
  EXPECT_EQ(b->slot, 2);
  addSyntheticParameter(constructor, id("val$x"), M_SYNTHETIC | M_FINAL | M_PRIVATE, &longType, 0, 0,
                        SYNTHETIC_AFTER_LEADING);
  // this 0, val$x 1 and 2, a 3, b 4.
  std::vector<int> slots;
  for (Parameter* p = constructor->parameters; p != nullptr; p = p->next) {
    ASSERT_NE(p->variable, nullptr);
    slots.push_back(p->variable->slot);
  }
  EXPECT_EQ(slots, (std::vector<int>{1, 3}));
  EXPECT_EQ(b->slot, 4);
  EXPECT_EQ(block.nextSlot, 5);
  popScope(&block);
  EXPECT_EQ(methodScope->nextSlot, 4);
  popScope(methodScope);
  global.currentArena = &global.mainArena;
}

}  // namespace

namespace {

// A class of many members is searched through its index by name, which follows members added
// at the head or the tail of the list after it was made.
TEST_F(NamesTest, TheMemberIndexFollowsTheMemberList) {
  std::string text = "class Many {\n";
  for (int i = 0; i < 60; i++) text += "  int f" + std::to_string(i) + ";\n";
  text += "  void m(int i) {}\n  void m(String s) {}\n}\n";
  declare(text.c_str());
  ClassDef* cls = enter("Many");
  EXPECT_EQ(lookupVariable(cls, id("f42"), false, false, nullptr, 3, 5), member(cls, "f42", MK_VARIABLE));
  EXPECT_EQ(parameterText(lookupMethod(cls, id("m"), true, sc("s"), nullptr, 3, 5)), "Many(String)");
  EXPECT_EQ(lookupVariable(cls, id("added"), false, false, nullptr, 3, 5), nullptr);
  Member* head = newVariable(0, &intType, id("added"), false, 1, 1);
  head->owner = cls;
  head->next = cls->members;
  cls->members = head;
  EXPECT_EQ(lookupVariable(cls, id("added"), false, false, nullptr, 3, 5), head);
  Member* tail = newVariable(0, &intType, id("appended"), false, 1, 1);
  tail->owner = cls;
  Member* last = cls->members;
  while (last->next != nullptr) last = last->next;
  last->next = tail;
  EXPECT_EQ(lookupVariable(cls, id("appended"), false, false, nullptr, 3, 5), tail);
  EXPECT_EQ(lookupVariable(cls, id("f0"), false, false, nullptr, 3, 5), member(cls, "f0", MK_VARIABLE));
}

}  // namespace

namespace {

// While the debugger evaluates, names are left to the evaluator, calls are refused and instanceof
// folds to true when the value's type widens to the tested one.
TEST_F(NamesTest, WhileEvaluating) {
  declare("class A { int x; }\n");
  enter("A");
  global.evaluating = 1;
  ExprNode* x = name("x");
  EXPECT_EQ(resolveName(x), x);
  EXPECT_EQ(x->member, nullptr);
  EXPECT_EQ(makeMethodCall(nullptr, id("m"), nullptr, 3, 5)->type, &errorType);
  ExprNode* yes = makeInstanceOf(typed(lang("String")), lang("Object"), 3, 5);
  EXPECT_EQ(yes->op, O_CONST);
  EXPECT_EQ(yes->integerValue, 1);
  ExprNode* maybe = makeInstanceOf(typed(lang("Object")), lang("String"), 3, 5);
  EXPECT_EQ(maybe->op, O_INSTANCEOF);
  global.evaluating = 0;
  EXPECT_EQ(reported, "evalexpr.no.calls");
}

}  // namespace
