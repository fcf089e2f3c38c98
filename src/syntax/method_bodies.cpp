// Deferred bodies: each entry re-scans one part of a class at its kept position and parses it into
// the statement list of global.ctx, with the class and method scopes, the bottom jump context and
// the temporary arena set up before and put back after, on every way out.
#include "syntax/method_bodies.h"

#include "semantic/binary_operators.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/method_calls.h"
#include "semantic/primary_expressions.h"
#include "semantic/statement_lists.h"
#include "semantic/tree_walks.h"
#include "semantic/type_records.h"
#include "semantic/unary_expressions.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/declarators.h"
#include "syntax/expressions.h"
#include "syntax/parser_state.h"
#include "syntax/scopes.h"
#include "syntax/statements.h"

namespace {

int32_t reportCount() {
  return global.errorCount + global.warningCount;
}

// The initializer being parsed, for as long as a C++ block runs.
class CurrentInitializer {
 public:
  explicit CurrentInitializer(Member* initializer) : saved_(global.ctx.initializer) {
    global.ctx.initializer = initializer;
  }
  ~CurrentInitializer() { global.ctx.initializer = saved_; }
  CurrentInitializer(const CurrentInitializer&) = delete;
  CurrentInitializer& operator=(const CurrentInitializer&) = delete;

 private:
  Member* saved_;
};

// A member's initializer that reported anything when it was parsed is marked, so that every later
// parse of it is quiet.
template <class Parse>
auto parseReportingOnce(Member* member, Parse parse) {
  CurrentInitializer current(member);
  bool quiet = (member->fieldFlags & FIELD_INITIALIZER_REPORTED) != 0;
  QuietDiagnostics silence(quiet);
  int32_t before = reportCount();
  struct Mark {
    Member* member;
    bool quiet;
    int32_t before;
    ~Mark() {
      if (!quiet && reportCount() != before) member->fieldFlags |= FIELD_INITIALIZER_REPORTED;
    }
  } mark{member, quiet, before};
  return parse();
}

// The field initializer or initializer block being parsed, for the forward-reference rule, with
// the names noted in it; an enclosing part's (a local class's field inside an initializer block)
// put back afterwards. finish() reports what was noted, once the part is parsed.
class InitializerPart {
 public:
  explicit InitializerPart(Member* part) : part_(global.ctx.initializerPart), uses_(global.ctx.forwardUses) {
    global.ctx.initializerPart = part;
    global.ctx.forwardUses = nullptr;
  }
  ~InitializerPart() {
    global.ctx.initializerPart = part_;
    global.ctx.forwardUses = uses_;
  }
  void finish() { reportForwardUses(); }
  InitializerPart(const InitializerPart&) = delete;
  InitializerPart& operator=(const InitializerPart&) = delete;

 private:
  Member* part_;
  ForwardUse* uses_;
};

// The current source file for the parse of one part of a class, put back afterwards.
class PartFile {
 public:
  explicit PartFile(ClassDef* cls) : saved_(global.current) {
    if (cls != nullptr && cls->sourceFile != nullptr) global.current = cls->sourceFile;
  }
  ~PartFile() { global.current = saved_; }
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

 private:
  SourceFile* saved_;
};

// What a body entry changes and puts back: the scope chain, the jump stack (its bottom context
// lives here), the current arena and the current file.
class BodyFrame {
 public:
  BodyFrame(ClassDef* cls, bool keepScopes)
      : scope_(global.ctx.scope), jumps_(global.ctx.jumps), arena_(global.currentArena), file_(cls) {
    global.ctx.enclosing = cls;
    if (!keepScopes) global.ctx.scope = nullptr;
    global.ctx.jumps = &bottom_;
  }
  ~BodyFrame() {
    global.ctx.scope = scope_;
    global.ctx.jumps = jumps_;
    global.currentArena = arena_;
  }
  BodyFrame(const BodyFrame&) = delete;
  BodyFrame& operator=(const BodyFrame&) = delete;

 private:
  Scope* scope_;
  JumpContext* jumps_;
  Arena* arena_;
  PartFile file_;
  JumpContext bottom_{};
};

// A method of a local class, or of a class inside one, sees the scopes of the method that
// declares the local class: the scope chain is kept for it.
bool seesEnclosingMethod(const ClassDef* cls) {
  for (const ClassDef* c = cls; c != nullptr; c = c->outer)
    if (c->flags & CF_LOCAL) return true;
  return false;
}

// Slots kept free after the parameters of a constructor that may still gain synthetic parameters
// while its body is parsed: one for each slot of every variable of the enclosing methods that it
// could capture, and one for an outer instance. Its locals then never share a slot with a
// parameter that the capture moves up.
int32_t captureReserve(const Member* method) {
  ClassDef* cls = method->owner;
  if (method->kind != MK_CONSTRUCTOR || cls == nullptr || !seesEnclosingMethod(cls) || cls->scope == nullptr) return 0;
  int32_t reserve = 1;
  for (const Scope* scope = cls->scope->outer; scope != nullptr; scope = scope->outer)
    for (const Member* m = scope->first; m != nullptr; m = m->next)
      if (m->kind == MK_VARIABLE || m->kind == MK_PARAMETER) reserve += slotSize(m->type);
  return reserve;
}

Scope* methodScopeOf(Member* method) {
  if (method->parameterScope == nullptr) method->parameterScope = arenaNew<Scope>(&global.mainArena);
  return method->parameterScope;
}

// An identifier bound to a variable, typed with its type.
ExprNode* boundIdentifier(Member* variable, Type* type, int32_t line, int32_t column) {
  ExprNode* node = makeIdentifier(variable->name, line, column);
  node->member = variable;
  node->type = type;
  return node;
}

ExprNode* appendArgument(ExprNode* list, ExprNode* argument, int32_t line, int32_t column) {
  return list == nullptr ? argument : makeBinaryExpression(O_ARG, list, argument, line, column);
}

// Re-scans at a kept position in the class's file; the first token is read.
int32_t rescan(ClassDef* cls, int32_t offset, int32_t line, int32_t column) {
  setScanSource(cls->sourceFile, offset, line, column);
  return scanToken();
}

}  // namespace

void beginClassParse(ClassDef* cls) {
  if (cls->bodyScope == nullptr) cls->bodyScope = arenaNew<Scope>(&global.mainArena);
  if (cls->bodyContext == nullptr) cls->bodyContext = arenaNew<JumpContext>(&global.mainArena);
  *cls->bodyContext = JumpContext{};
  global.ctx.jumps = cls->bodyContext;
  global.currentArena = &global.tempArena;
  global.ctx.enclosing = cls;
  global.ctx.firstStatement = nullptr;
  global.ctx.lastStatement = nullptr;
  global.ctx.statementCount = 0;
  global.ctx.bodyLine = 0;
  global.ctx.firstClause = nullptr;
  global.ctx.lastClause = nullptr;
  global.ctx.flags = 0;
  global.ctx.currentMethod = nullptr;
  global.ctx.initializer = nullptr;
  global.ctx.scope = nullptr;
  global.ctx.bodyIncomplete = 0;
  global.ctx.bodyFailed = 0;
  pushScope(cls->bodyScope);
}

void parseInitializerBlock(Member* initializer) {
  ClassDef* cls = initializer->owner;
  uint32_t flags = global.ctx.flags;
  global.ctx.flags |= CTX_STATIC;
  global.ctx.enclosing = cls;
  global.ctx.currentMethod = initializer;
  parseReportingOnce(initializer, [&] {
    PartFile file(cls);
    InitializerPart part(initializer);
    if (rescan(cls, initializer->bodyOffset, initializer->line, initializer->column) != T_LBRACE) {
      reportHere("syntax.error");
    } else {
      global.ctx.statementCount = 0;
      if (parseBlock(MK_STATIC_INITIALIZER)) appendInitializerEnd(initializer);
      part.finish();
    }
  });
  global.ctx.flags = flags;
}

int32_t parseBlockAt(Member* initializer) {
  return parseReportingOnce(initializer, [&]() -> int32_t {
    ClassDef* cls = initializer->owner;
    PartFile file(cls);
    InitializerPart part(initializer);
    if (rescan(cls, initializer->bodyOffset, initializer->line, initializer->column) != T_LBRACE) return 0;
    int32_t parsed = parseBlock(initializer->kind);
    if (parsed) appendInitializerEnd(initializer);
    part.finish();
    return parsed;
  });
}

void parseFieldInitializer(Member* field) {
  parseReportingOnce(field, [&] {
    ClassDef* cls = field->owner;
    global.ctx.enclosing = cls;
    PartFile file(cls);
    InitializerPart part(field);
    rescan(cls, field->bodyOffset, field->bodyLine, field->bodyColumn);
    ExprNode* value = parseVariableInitializer((field->modifiers & M_STATIC) != 0);
    if (value == nullptr) return;
    part.finish();
    ExprNode* init = makeVariableInit(field, value, field->bodyLine, field->bodyColumn);
    recordConstantValue(field, init);
    appendExpressionStatement(MK_VARIABLE, init, field->bodyLine, field->bodyColumn);
  });
}

// The initializer is parsed in a context of its own, whatever the interrupted parse was doing: a
// static field's is a static context, any other field's an instance context (so this and super
// mean what they do in its initializer); no method is current and no statement list is open. Its
// O_INIT and constant are made while its own file is current, so what they report points into
// that file.
void parseFieldInitializerNested(Member* field) {
  ClassDef* owner = field->owner;
  if (owner == nullptr || owner->sourceFile == nullptr || field->bodyOffset == 0 ||
      (field->fieldFlags & FIELD_INITIALIZER_REPORTED) != 0) {
    field->constantState = FIELD_CONSTANT_NONE;
    return;
  }
  ScanSnapshot snapshot;
  ParserContext savedContext = global.ctx;
  struct RestoreContext {
    const ParserContext& saved;
    ~RestoreContext() { global.ctx = saved; }
  } restore{savedContext};
  bool isStatic = (field->modifiers & M_STATIC) != 0;
  global.ctx = ParserContext{};
  global.ctx.enclosing = owner;
  global.ctx.flags = isStatic ? CTX_STATIC : 0;
  global.ctx.initializer = field;
  global.ctx.initializerPart = field;
  global.current = owner->sourceFile;
  int32_t before = reportCount();
  field->constantState = FIELD_CONSTANT_PARSING;
  rescan(owner, field->bodyOffset, field->bodyLine, field->bodyColumn);
  ExprNode* value = parseVariableInitializer(isStatic);
  field->constantState = FIELD_CONSTANT_NONE;
  reportForwardUses();
  if (value != nullptr) recordConstantValue(field, makeVariableInit(field, value, field->bodyLine, field->bodyColumn));
  if (reportCount() != before) field->fieldFlags |= FIELD_INITIALIZER_REPORTED;
}

void parseFieldInitializerFresh(Member* field) {
  resetArena(&global.tempArena);
  global.ctx = ParserContext{};
  Arena* saved = global.currentArena;
  global.currentArena = &global.tempArena;
  parseFieldInitializerNested(field);
  global.currentArena = saved;
}

ExprNode* parseEvalExpression() {
  global.ctx = ParserContext{};
  global.currentArena = &global.tempArena;
  scanToken();
  ExprNode* expression = parseExpression(PARSE_EXPRESSION);
  if (expression != nullptr && token().kind != T_EOF) expression->type = &errorType;
  return expression;
}

// Steps: the class scope (alone, unless the class sees an enclosing method's scopes) with slots
// from 0; the method scope; a fresh bottom jump context; the temporary arena; the parameters
// (beginMethodParse); the block at the body position, and the prologue for a body that appended
// nothing; the parameters' scope ends; everything is put back.
void parseMethodBody(Member* method) {
  ClassDef* cls = method->owner;
  BodyFrame frame(cls, seesEnclosingMethod(cls));
  OpenScope classScope(cls->scope);
  setScopeSlots(0, 0);
  global.ctx.currentMethod = method;
  Scope* methodScope = methodScopeOf(method);
  OpenScope parameters(methodScope);
  global.currentArena = &global.tempArena;
  beginMethodParse(method);
  if (method->methodFlags & METHOD_SKIP_REPORTED) {
    global.ctx.bodyIncomplete = 1;
  } else if (rescan(cls, method->bodyOffset, method->bodyLine, method->bodyColumn) != T_LBRACE) {
    reportHere("syntax.error");
  } else if (parseBlock(method->kind) && global.ctx.firstStatement == nullptr) {
    beginMethodBody();
  }
  global.ctx.endLine = token().line;
  global.ctx.endColumn = token().column;
  endScopeVariables(methodScope);
}

void beginMethodParse(Member* method) {
  ClassDef* cls = method->owner;
  // A constructor parsed again (its class generated again) finds its constructor call anew.
  if (method->kind == MK_CONSTRUCTOR) method->methodFlags &= ~METHOD_EXPLICIT_CONSTRUCTOR_CALL;
  if (cls != nullptr && (cls->flags & CF_NESTED) != 0 && method->kind == MK_CONSTRUCTOR)
    for (Member* m = cls->members; m != nullptr; m = m->next)
      if (m->kind == MK_VARIABLE && (m->modifiers & M_SYNTHETIC) != 0) m->fieldFlags &= ~FIELD_CAPTURE_STORED;
  int32_t slots = countParameterSlots(method);
  method->parameterSlots = slots;
  if (slots > MAX_PARAMETER_SLOTS) errorAt(method->line, method->column, "exceeded.max.arguments", methodToString(method));
  allocLocalSlots(slots + captureReserve(method));
  assignParameterSlots(method);
  global.ctx.firstStatement = nullptr;
  global.ctx.lastStatement = nullptr;
  global.ctx.statementCount = 0;
  global.ctx.bodyLine = 0;
  // A body made here rather than parsed ends where the scanner stands.
  global.ctx.endLine = token().line;
  global.ctx.endColumn = token().column;
  global.ctx.firstClause = nullptr;
  global.ctx.lastClause = nullptr;
  global.ctx.initializer = nullptr;
  global.ctx.flags &= ~(CTX_NESTED_CLAUSE | CTX_STATIC | CTX_CONSTRUCTOR_CALL_ARGUMENTS);
  global.ctx.bodyIncomplete = 0;
  global.ctx.bodyFailed = 0;
}

namespace {

// The method scope holds the parameters only, so its list is made anew from the parameter list;
// a scope whose parameters are hidden (it has no owner meanwhile) is left empty.
void listParameters(Member* method) {
  Scope* scope = method->parameterScope;
  if (scope == nullptr || scope->owner == nullptr) return;
  restartScope(scope);
  for (Parameter* p = method->parameters; p != nullptr; p = p->next)
    if (p->variable != nullptr) appendToScope(scope, p->variable);
}

}  // namespace

HiddenParameters::HiddenParameters(Member* method) : method_(method) {
  Scope* scope = method->parameterScope;
  if (scope == nullptr) return;
  restartScope(scope);
  scope->owner = nullptr;
}

HiddenParameters::~HiddenParameters() {
  Scope* scope = method_->parameterScope;
  if (scope == nullptr) return;
  scope->owner = method_->owner;
  listParameters(method_);
}

void assignParameterSlots(Member* method) {
  int32_t slot = (method->modifiers & M_STATIC) != 0 ? 0 : 1;
  for (Parameter* p = method->parameters; p != nullptr; p = p->next) {
    Member* variable = p->variable;
    if (variable == nullptr) {
      variable = newMemberOfKind(&global.mainArena, MK_PARAMETER);
      variable->name = p->name;
      variable->line = p->line;
      variable->column = p->column;
      variable->type = p->type;
      variable->owner = method->owner;
      variable->modifiers = p->modifiers;
      variable->constantState = FIELD_CONSTANT_NONE;
      p->variable = variable;
    }
    variable->slot = slot;
    slot += slotSize(p->type);
  }
  listParameters(method);
}

void endScopeVariables(Scope* scope) {
  for (Member* m = scope->first; m != nullptr; m = m->next)
    if (m->name != nullptr && (m->kind == MK_VARIABLE || m->kind == MK_PARAMETER)) appendLeaveScope(m);
}

// The constructor a class without one gets calls the superclass constructor: with no arguments,
// or in an anonymous class with the arguments of the instance creation, which are its own
// parameters that are not synthetic.
void buildDefaultConstructorBody(Member* constructor, int32_t line, int32_t column) {
  ClassDef* cls = constructor->owner;
  BodyFrame frame(cls, seesEnclosingMethod(cls));
  OpenScope classScope(cls->scope);
  setScopeSlots(0, 0);
  global.ctx.currentMethod = constructor;
  Scope* methodScope = methodScopeOf(constructor);
  OpenScope parameters(methodScope);
  global.currentArena = &global.tempArena;
  beginMethodParse(constructor);
  global.ctx.statementCount = 1;
  if (cls->superclass != nullptr) {
    ExprNode* arguments = nullptr;
    if (cls->flags & CF_ANONYMOUS)
      for (Parameter* p = constructor->parameters; p != nullptr; p = p->next)
        if ((p->modifiers & M_SYNTHETIC) == 0 && p->variable != nullptr)
          arguments = appendArgument(arguments, boundIdentifier(p->variable, p->type, line, column), line, column);
    constructor->methodFlags |= METHOD_EXPLICIT_CONSTRUCTOR_CALL;
    ExprNode* superNode = makeKeywordExpression(O_SUPER, cls, 0, 0);
    appendExpressionStatement(MK_CONSTRUCTOR, makeMethodCall(superNode, nullptr, arguments, line, column), line, column);
  } else {
    beginMethodBody();
  }
  endScopeVariables(methodScope);
}

// An access method's body reads or writes the private field, or calls the private method, of the
// object it takes first (none for a static member), with the rest of its parameters.
void buildAccessorMethodBody(Member* accessMethod, Member* target, int32_t kind) {
  ClassDef* cls = accessMethod->owner;
  BodyFrame frame(cls, false);
  OpenScope classScope(cls->scope);
  setScopeSlots(0, 0);
  global.ctx.currentMethod = accessMethod;
  Scope* methodScope = methodScopeOf(accessMethod);
  OpenScope parameters(methodScope);
  global.currentArena = &global.tempArena;
  beginMethodParse(accessMethod);
  accessMethod->methodFlags |= METHOD_EXPLICIT_CONSTRUCTOR_CALL;
  global.ctx.statementCount = 1;
  int32_t line = target->line;
  int32_t column = target->column;
  Parameter* rest = accessMethod->parameters;
  ExprNode* object = nullptr;
  if ((target->modifiers & M_STATIC) == 0 && target->kind != MK_CONSTRUCTOR && rest != nullptr) {
    object = boundIdentifier(rest->variable, rest->type, line, column);
    rest = rest->next;
  }
  if (target->kind == MK_CONSTRUCTOR) {
    // this(...) with every parameter but the last, the tag class's, bound to the constructor
    // itself: its synthetic parameters are passed as they stand, not made again.
    ExprNode* arguments = nullptr;
    for (Parameter* p = accessMethod->parameters; p != nullptr && p->next != nullptr; p = p->next)
      arguments = appendArgument(arguments, boundIdentifier(p->variable, p->type, line, column), line, column);
    ExprNode* call = newExprNode(O_CALL, line, column);
    call->left = makeKeywordExpression(O_THIS, cls, line, column);
    call->list = arguments;
    call->member = target;
    call->type = &voidType;
    accessMethod->calledConstructor = target;
    appendExpressionStatement(MK_CONSTRUCTOR, call, line, column);
    checkReturnStatement(nullptr, line, column);
  } else if (kind == 0) {
    ExprNode* arguments = nullptr;
    for (Parameter* p = rest; p != nullptr; p = p->next)
      arguments = appendArgument(arguments, boundIdentifier(p->variable, p->type, line, column), line, column);
    ExprNode* call;
    if (accessMethod->methodFlags & METHOD_SUPER_ACCESS) {
      // The object is the host's own instance, its first parameter (slot 0): the call is the
      // host's super call, bound as it stands, not looked up again.
      ExprNode* superNode = makeKeywordExpression(O_SUPER, cls, line, column);
      superNode->classDef = cls;
      call = newExprNode(O_CALL, line, column);
      call->left = superNode;
      call->name = target->name;
      call->list = arguments;
      call->member = target;
      call->type = target->type != nullptr ? target->type : &voidType;
    } else {
      call = makeMethodCall(object, target->name, arguments, line, column);
    }
    if (accessMethod->type == nullptr || accessMethod->type->kind == TK_VOID) {
      appendExpressionStatement(MK_METHOD, call, line, column);
      checkReturnStatement(nullptr, line, column);
    } else {
      checkReturnStatement(call, line, column);
    }
  } else {
    ExprNode* field;
    if (object != nullptr) {
      field = makeDot(object, target->name, line, column);
      field->member = target;
      field->type = target->type;
    } else {
      field = boundIdentifier(target, target->type, line, column);
    }
    if (kind == 1 && rest != nullptr) {
      ExprNode* value = boundIdentifier(rest->variable, rest->type, line, column);
      appendExpressionStatement(MK_METHOD, makeBinaryExpression(O_ASG, field, value, line, column), line, column);
      checkReturnStatement(nullptr, line, column);
    } else {
      checkReturnStatement(field, line, column);
    }
  }
  endScopeVariables(methodScope);
}
