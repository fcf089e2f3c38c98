// Tree-walk checks and the class-context selectors.
#include "semantic/tree_walks.h"

#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/method_calls.h"
#include "semantic/name_lookup.h"
#include "semantic/name_resolution.h"
#include "semantic/primary_expressions.h"
#include "semantic/statement_lists.h"
#include "semantic/synthetic_members.h"
#include "semantic/try_clauses.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/frame_stack.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/declarators.h"
#include "syntax/scanner.h"

namespace {

// Which operands an operator's node has, in walk order.
struct Operands {
  bool valid;
  bool first;
  bool second;
  bool arguments;   // O_CALL: the argument list as one child
  bool dimensions;  // O_NEW: each dimension's size
  bool third;
};

Operands operandsOf(int32_t op) {
  switch (op) {
    case O_CONST:
    case O_DCONST:
    case O_STRING:
    case O_ID:
    case O_THIS:
    case O_NULL:
    case O_SUPER:
    case O_CLASSREF:
    case O_CLASS:
      return {true, false, false, false, false, false};
    case O_ARG:
    case O_SEQ:
    case O_SCONCATA:
      return {true, true, true, false, false, false};
    case O_QUES:
      return {true, true, true, false, false, true};
    case O_INIT:
    case O_INSTANCEOF:
      return {true, false, true, false, false, false};
    case O_AINIT:
    case O_DOT:
    case O_ALENGTH:
      return {true, true, false, false, false, false};
    case O_CALL:
      return {true, true, false, true, false, false};
    case O_NEW:
      return {true, false, true, false, true, false};
    default:
      break;
  }
  if (op >= O_ASG && op <= O_SCONCAT) return {true, true, true, false, false, false};
  if (op >= O_NOT && op <= O_CAST) return {true, true, false, false, false, false};
  return {false, false, false, false, false, false};
}

constexpr int32_t STAGE_BEFORE = 0;
constexpr int32_t STAGE_FIRST = 1;
constexpr int32_t STAGE_BETWEEN = 2;
constexpr int32_t STAGE_SECOND = 3;
constexpr int32_t STAGE_LIST = 4;
constexpr int32_t STAGE_THIRD = 5;
constexpr int32_t STAGE_AFTER = 6;

struct WalkFrame {
  ExprNode* node;
  int32_t stage;
  ArrayDimension* dimension;
};

bool isField(const Member* v) {
  return v != nullptr && v->kind == MK_VARIABLE && v->slot < 0;
}

bool isStatic(const Member* v) {
  return (v->modifiers & M_STATIC) != 0;
}

bool outsideMethodsOrStaticInit() {
  Member* method = global.ctx.currentMethod;
  return method == nullptr || method->kind == MK_STATIC_INITIALIZER;
}

}  // namespace

int32_t walkExpression(ExprNode* tree, WalkCallback before, WalkCallback between, WalkCallback after,
                       void* context) {
  if (tree == nullptr) return 0;
  FrameStack<WalkFrame, 64> frames;
  frames.push(WalkFrame{tree, STAGE_BEFORE, nullptr});
  int32_t rootAnswer = 0;
  while (!frames.empty()) {
    WalkFrame& frame = frames.top();
    ExprNode* n = frame.node;
    Operands operands = operandsOf(n->op);
    switch (frame.stage) {
      case STAGE_BEFORE: {
        int32_t r = before != nullptr ? before(n, context) : 0;
        if (r > 0) return r;
        if (r < 0) {
          frames.pop();
          continue;
        }
        if (!operands.valid) {
          errorAt(n->line, n->column, "internal.tree.error", "unfinished 99");
          if (n == tree) rootAnswer = -1;
          frames.pop();
          continue;
        }
        frame.stage = STAGE_FIRST;
        continue;
      }
      case STAGE_FIRST:
        frame.stage = STAGE_BETWEEN;
        if (operands.first && n->left != nullptr) frames.push(WalkFrame{n->left, STAGE_BEFORE, nullptr});
        continue;
      case STAGE_BETWEEN: {
        int32_t r = between != nullptr ? between(n, context) : 0;
        if (r > 0) return r;
        if (r < 0) {
          frames.pop();
          continue;
        }
        frame.stage = STAGE_SECOND;
        continue;
      }
      case STAGE_SECOND: {
        frame.stage = STAGE_LIST;
        ExprNode* second = operands.second ? (n->op == O_NEW ? n->list : n->right) : nullptr;
        if (second != nullptr) frames.push(WalkFrame{second, STAGE_BEFORE, nullptr});
        continue;
      }
      case STAGE_LIST:
        if (operands.arguments) {
          frame.stage = STAGE_THIRD;
          if (n->list != nullptr) frames.push(WalkFrame{n->list, STAGE_BEFORE, nullptr});
          continue;
        }
        if (operands.dimensions) {
          ArrayDimension* d = frame.dimension == nullptr ? n->dimensions : frame.dimension->next;
          while (d != nullptr && d->size == nullptr) d = d->next;
          if (d != nullptr) {
            frame.dimension = d;
            frames.push(WalkFrame{d->size, STAGE_BEFORE, nullptr});
            continue;
          }
        }
        frame.stage = STAGE_THIRD;
        continue;
      case STAGE_THIRD:
        frame.stage = STAGE_AFTER;
        if (operands.third && n->third != nullptr) frames.push(WalkFrame{n->third, STAGE_BEFORE, nullptr});
        continue;
      default: {
        int32_t r = after != nullptr ? after(n, context) : 0;
        if (r > 0) return r;
        frames.pop();
        continue;
      }
    }
  }
  return rootAnswer;
}

bool isDeclaredAfter(int32_t line, int32_t column, const Member* variable) {
  if ((variable->modifiers & M_SYNTHETIC) != 0 || line == 0 || variable->line == 0) return false;
  return variable->line > line || (variable->line == line && variable->column > column);
}

void checkStaticForwardUse(Member* variable, int32_t line, int32_t column) {
  if (variable == nullptr || variable->kind != MK_VARIABLE || !outsideMethodsOrStaticInit()) return;
  if (!isDeclaredAfter(line, column, variable)) return;
  ClassDef* current = global.ctx.enclosing;
  if (variable->owner == current || variable->owner == nullptr || current == nullptr) return;
  if (variable->owner->sourceFile == current->sourceFile && variable->owner->sourceFile == global.current)
    warningAt(global.current, line, column, "warn.forward.reference", identToString(variable->name),
              classToString(current));
}

namespace {

// A later field of another class of the file, read by name or through its class, is warned about
// (its class's initializer may not have run). Fields of the current class are the business of the
// forward-reference rule.
int32_t warnForwardUse(ExprNode* node, void*) {
  if (hasErrorType(node)) return -1;
  Member* v = nullptr;
  if (node->op == O_ID) {
    if (node->left == nullptr || node->left->op == O_CLASSREF) v = node->member;
  } else if (node->op == O_DOT && node->left != nullptr && (node->left->op == O_CLASSREF || node->left->op == O_THIS)) {
    v = node->member;
  }
  if (v != nullptr) checkStaticForwardUse(v, node->line, node->column);
  return 0;
}

// The current part's kind: a static field or the static initializer, or an instance one.
bool isStaticPart(const Member* part) {
  return part->kind == MK_STATIC_INITIALIZER || (part->kind == MK_VARIABLE && isStatic(part));
}

constexpr int32_t NAME_FORWARD_USE = 0x200;

}  // namespace

struct ForwardUse {
  ForwardUse* next;
  ExprNode* name;
};

void checkFieldInitForwardRefs(ExprNode* expression) {
  walkExpression(expression, warnForwardUse, nullptr, nullptr, nullptr);
}

void noteForwardUse(ExprNode* name) {
  Member* part = global.ctx.initializerPart;
  ClassDef* cls = global.ctx.enclosing;
  if (part == nullptr || name == nullptr || hasErrorType(name) || name->left != nullptr || cls == nullptr) return;
  Member* v = name->member;
  // A class declared inside the part has initializers of its own.
  if (!isField(v) || (v->modifiers & M_SYNTHETIC) != 0 || v->owner != cls || part->owner != cls) return;
  if (isStatic(v) != isStaticPart(part)) return;
  if (v != part && !isDeclaredAfter(name->line, name->column, v)) return;
  name->flags |= NAME_FORWARD_USE;
  auto* use = arenaNew<ForwardUse>(global.currentArena);
  use->name = name;
  use->next = global.ctx.forwardUses;
  global.ctx.forwardUses = use;
}

void noteAssignmentTarget(ExprNode* target) {
  if (target != nullptr && target->op == O_ID) target->flags &= ~NAME_FORWARD_USE;
}

void reportForwardUses() {
  // Noted newest first; reported in the order of the source.
  ForwardUse* reversed = nullptr;
  for (ForwardUse* use = global.ctx.forwardUses; use != nullptr;) {
    ForwardUse* next = use->next;
    use->next = reversed;
    reversed = use;
    use = next;
  }
  global.ctx.forwardUses = nullptr;
  for (ForwardUse* use = reversed; use != nullptr; use = use->next) {
    ExprNode* name = use->name;
    if ((name->flags & NAME_FORWARD_USE) == 0 || hasErrorType(name) || name->member == nullptr) continue;
    name->flags &= ~NAME_FORWARD_USE;
    errorAt(name->line, name->column, "forward.reference", identToString(name->member->name),
            classToString(name->member->owner));
  }
}

int32_t staticContextCheck(ExprNode* node, void*) {
  if (hasErrorType(node)) return -1;
  switch (node->op) {
    case O_ID:
      if (node->left == nullptr && isField(node->member) && !isStatic(node->member))
        errorAt(node->line, node->column, "static.var.conflict", identToString(node->member->name));
      break;
    case O_THIS:
      errorAt(node->line, node->column, "static.this.conflict");
      break;
    case O_SUPER:
      errorAt(node->line, node->column, "static.super.conflict");
      break;
    default:
      break;
  }
  return 0;
}

namespace {

// The uses of the object that an explicit constructor call may not make in its arguments: its
// instance fields (not those of an enclosing instance, nor the copies of outer locals), this and
// super.
int32_t constructorCallArgumentCheck(ExprNode* node, bool superCall) {
  if (hasErrorType(node)) return -1;
  switch (node->op) {
    case O_ID: {
      Member* v = node->member;
      if (node->left != nullptr || !isField(v) || isStatic(v) || (v->modifiers & M_SYNTHETIC) != 0 || node->level != 0)
        break;
      if (superCall)
        errorAt(node->line, node->column, "super.var.conflict", identToString(v->name));
      else
        errorAt(node->line, node->column, "this.var.conflict", identToString(v->name));
      break;
    }
    case O_THIS:
      if ((node->flags & THIS_THROUGH_OUTER) != 0) break;
      if (superCall)
        errorAt(node->line, node->column, "super.this.conflict");
      else
        errorAt(node->line, node->column, "this.this.conflict");
      break;
    case O_SUPER:
      // Outer.super is the enclosing instance, made before this object.
      if (node->classDef != nullptr && node->classDef != global.ctx.enclosing) break;
      if (superCall)
        errorAt(node->line, node->column, "super.super.conflict");
      else
        errorAt(node->line, node->column, "this.super.conflict");
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace

int32_t thisCallArgumentCheck(ExprNode* node, void*) {
  return constructorCallArgumentCheck(node, false);
}

int32_t superCallArgumentCheck(ExprNode* node, void*) {
  return constructorCallArgumentCheck(node, true);
}

namespace {

// A final field may be assigned only where it has no initializer and is still blank, and only
// through its simple name (or this.name): an instance field in a constructor of its class, a
// static field in its class's static initializer or static field initializers. Another object's
// field (o.f), a qualified or cast this, and a static field through its class (T.S) are never
// assignable. False after the report.
bool finalAssignmentAllowed(Member* variable, bool simpleName, int32_t line, int32_t column, bool captureStore) {
  if (variable == nullptr || variable->kind != MK_VARIABLE || !isField(variable) ||
      (variable->modifiers & M_FINAL) == 0)
    return true;
  // The copy of a local that an inner class uses is assigned by its constructors only: an
  // assignment in the class was reported at the name (a final local) or where the class took the
  // local (one that is not final).
  Member* local = variable->original;
  if ((variable->modifiers & M_SYNTHETIC) != 0 && local != nullptr && local->slot >= 0) return captureStore;
  Member* method = global.ctx.currentMethod;
  ClassDef* current = global.ctx.enclosing;
  bool hasInitializer = (variable->variableFlags & VAR_HAS_INITIALIZER) != 0 || variable->bodyOffset != 0;
  bool allowed = false;
  if (!hasInitializer && simpleName && current == variable->owner) {
    if (isStatic(variable))
      allowed = method == nullptr || method->kind == MK_STATIC_INITIALIZER;
    else
      allowed = method != nullptr && (method->kind == MK_CONSTRUCTOR || method->kind == MK_INSTANCE_INITIALIZER);
  }
  if (!allowed) errorAt(line, column, "assign.to.final.field", identToString(variable->name));
  return allowed;
}

}  // namespace

ExprNode* checkCopyAssignment(ExprNode* target) {
  if (target == nullptr || target->op != O_ID || (target->flags & NAME_FINAL_COPY) == 0 || hasErrorType(target))
    return target;
  errorAt(target->line, target->column, "assign.to.final.field", identToString(target->name));
  // The copy's first use was this assignment: no read of the local to check before the class.
  Member* copy = target->member;
  if (copy != nullptr && copy->kind == MK_PARAMETER) {
    Parameter* p = constructorBeingParsed() != nullptr ? constructorBeingParsed()->parameters : nullptr;
    while (p != nullptr && p->variable != copy) p = p->next;
    copy = p != nullptr ? p->capturedField : nullptr;
  }
  if (copy != nullptr && copy->line == target->line && copy->column == target->column)
    copy->fieldFlags |= FIELD_CAPTURE_ASSIGNED;
  target->type = &errorType;
  return target;
}

bool isBareThis(const ExprNode* node) {
  return node != nullptr && node->op == O_THIS && node->parenthesised == 0 && (node->flags & THIS_QUALIFIED) == 0;
}

int32_t checkAssignmentTarget(ExprNode* lhs) {
  if (lhs == nullptr || hasErrorType(lhs)) return 0;
  int32_t line = lhs->line;
  int32_t column = lhs->column;
  switch (lhs->op) {
    case O_ID:
      if (lhs->member == nullptr) break;
      return finalAssignmentAllowed(lhs->member, lhs->left == nullptr, line, column,
                                    (lhs->flags & EXPR_CAPTURE_STORE) != 0) ? 1 : 0;
    case O_DOT: {
      Member* field = lhs->member;
      if (field == nullptr) break;
      ExprNode* q = lhs->left;
      if (q != nullptr && q->op == O_CLASSREF && !isStatic(field)) {
        errorAt(line, column, "illegal.static.reference", identToString(field->name), classToString(field->owner));
        return 0;
      }
      if (q != nullptr && q->op == O_THIS && !isStatic(field) && isStaticContext(global.ctx.currentMethod)) {
        errorAt(line, column, "illegal.static.lhs", identToString(field->name), classToString(field->owner));
        return 0;
      }
      return finalAssignmentAllowed(field, isBareThis(q), line, column, false) ? 1 : 0;
    }
    case O_SUBSCRIPT:
      return 1;
    case O_ALENGTH:
      errorAt(line, column, "assign.to.array.length");
      return 0;
    case O_CONST:
    case O_DCONST:
    case O_STRING:
      if (lhs->member != nullptr && lhs->member->name != nullptr) {
        errorAt(line, column, "assign.to.final.field", identToString(lhs->member->name));
        return 0;
      }
      break;
    default:
      break;
  }
  errorAt(line, column, "illegal.lhs");
  return 0;
}

namespace {

ClassDef* classNamedBy(ExprNode* e) {
  return classOfName(e);
}

}  // namespace

// T.super names the current object as an instance of T's superclass: T is the current class or one
// around it whose instance is at hand (JLS 15.11.2), never merely a superclass.
ExprNode* makeSuperSelector(Type* type, int32_t line, int32_t column) {
  ClassDef* cls = usable(classOfType(type));
  if (cls == nullptr) {
    errorAt(line, column, "invalid.super.selector");
    return nullptr;
  }
  ClassDef* current = global.ctx.enclosing;
  if (current != nullptr && cls != current) {
    ClassDef* around = current->outer;
    while (around != nullptr && around != cls) around = around->outer;
    if (around == nullptr) {
      errorAt(line, column, "qualified.super.not.enclosing", classToString(cls));
      return nullptr;
    }
    if (!enclosingInstanceAvailable(cls)) {
      errorAt(line, column, "qualified.super.no.instance", classToString(cls));
      return nullptr;
    }
  }
  ExprNode* node = makeKeywordExpression(O_SUPER, cls, line, column);
  // The class whose superclass is meant: the current one, or for Outer.super an enclosing one.
  node->classDef = cls;
  return node;
}

ExprNode* makeSuperFromName(ExprNode* name, int32_t line, int32_t column) {
  if (ClassDef* cls = classNamedBy(name)) return makeSuperSelector(classTypeFor(cls, line, column), line, column);
  ExprNode* outer = resolveName(name);
  if (outer == nullptr || hasErrorType(outer)) return nullptr;
  ClassDef* current = global.ctx.enclosing;
  if (current == nullptr) {
    errorAt(line, column, "invalid.super.selector");
    return nullptr;
  }
  // outer.super(...): the superclass constructor of the current class, with an explicit outer
  // instance.
  ExprNode* node = makeSuperSelector(classTypeFor(current, line, column), line, column);
  if (node != nullptr) {
    outer->flags |= EXPR_EXPLICIT_OUTER;
    node->left = outer;
  }
  return node;
}

void setQualifiedThisType(ExprNode* thisNode, Type* type) {
  ClassDef* target = usable(classOfType(type));
  ClassDef* current = usable(classOfType(thisNode->type));
  if (target != nullptr) {
    if (target == current)
      thisNode->flags &= ~THIS_THROUGH_OUTER;
    else
      thisNode->flags |= THIS_THROUGH_OUTER;
  }
  thisNode->type = type;
}

namespace {

// Steps: no instance in a static context; the current object when its class is the one asked for
// (or, unless `exact`, inherits from it); else the innermost enclosing class that is it (or
// inherits from it), which every class on the way out must reach through its outer instance. The
// node is typed with the class found, whose instance it stands for.
ExprNode* thisOfClass(Type* type, bool exact, int32_t line, int32_t column) {
  ClassDef* current = global.ctx.enclosing;
  ClassDef* target = usable(classOfType(type));
  if (type == nullptr || type->kind != TK_CLASS || target == nullptr || current == nullptr || inStaticContext()) {
    errorAt(line, column, "invalid.this.selector");
    return nullptr;
  }
  ExprNode* node = makeKeywordExpression(O_THIS, current, line, column);
  if (current == target || (!exact && isSubclassOf(current, target))) return node;
  for (ClassDef* c = current; c->outer != nullptr; c = c->outer) {
    if ((c->flags & CF_STATIC) != 0 || c->kind == CLASS_KIND_INTERFACE || c->outerThisField == nullptr) break;
    if (c->outer == target || (!exact && isSubclassOf(c->outer, target))) {
      captureOuterLocal(nullptr, current, line, column, nullptr);
      setQualifiedThisType(node, c->outer == target ? type : classTypeFor(c->outer, line, column));
      return node;
    }
  }
  errorAt(line, column, "invalid.this.selector");
  return nullptr;
}

}  // namespace

// T.this as written: T is the current class or one around it, never merely a superclass.
ExprNode* makeThisSelector(Type* type, int32_t line, int32_t column) {
  ExprNode* node = thisOfClass(type, true, line, column);
  if (node != nullptr) node->flags |= THIS_QUALIFIED;
  return node;
}

ExprNode* makeThisFromName(ExprNode* name, int32_t line, int32_t column) {
  if (hasErrorType(name)) return name;
  ClassDef* cls = classNamedBy(name);
  if (cls == nullptr) {
    errorAt(line, column, "invalid.this.selector");
    return nullptr;
  }
  return makeThisSelector(classTypeFor(cls, line, column), line, column);
}

ExprNode* makeThisSelectorForClass(ClassDef* cls, int32_t line, int32_t column) {
  return thisOfClass(classTypeFor(cls, line, column), false, line, column);
}

namespace {

// Pops the class literal's try context on every way out, a stop included.
class TryContextScope {
 public:
  explicit TryContextScope(JumpContext* context) : context_(context) {}
  ~TryContextScope() {
    if (global.ctx.jumps == context_) popJumpContext();
  }
  TryContextScope(const TryContextScope&) = delete;
  TryContextScope& operator=(const TryContextScope&) = delete;

 private:
  JumpContext* context_;
};

ExprNode* boundName(Member* variable, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_ID, line, column);
  node->name = variable->name;
  node->member = variable;
  node->type = variable->type;
  return node;
}

Type* typeOfClass(ClassDef* cls, int32_t line, int32_t column) {
  return cls != nullptr ? classTypeFor(cls, line, column) : &errorType;
}

// x = T.class inside a try whose catch of ClassNotFoundException throws
// new NoClassDefFoundError(e.getMessage()):
//   L0; ST_TRY; x = T.class; L1; goto L2; catch over L0..L1; L2.
ExprNode* lowerClassLiteral(ExprNode* literal, int32_t line, int32_t column) {
  Member* x = declareLocal(literal->type);
  StmtNode* start = newLabel();
  appendStatement(start);
  JumpContext context{};
  beginTryContext(&context, line, column);
  TryContextScope pop(&context);
  StmtNode* tryStatement = context.statement;
  ExprNode* store = newExprNode(O_ASG, line, column);
  store->left = boundName(x, line, column);
  store->right = literal;
  store->type = literal->type;
  StmtNode* load = newStatement(ST_EXPR, line, column);
  load->expression = store;
  appendStatement(load);
  ClassDef* notFound = classNotFoundExceptionClass();
  if (notFound != nullptr) noteThrownException(notFound, line, column, nullptr);
  StmtNode* end = newLabel();
  appendStatement(end);
  StmtNode* after = newLabel();
  appendGotoStatement(after, 0, 0);
  if (tryStatement != nullptr) tryStatement->flags |= STMT_TRY_BODY_DONE;
  Member* caught = tryStatement != nullptr ? tryStatement->catchAllVariable : nullptr;
  TryClause* clause = beginCatchClause(tryStatement, start, end, typeOfClass(notFound, line, column), caught, 0, 0);
  if (clause != nullptr) {
    clause->flags |= CLAUSE_CATCH_ALL;
    if (caught != nullptr) {
      ExprNode* v = boundName(caught, line, column);
      v->type = typeOfClass(notFound, line, column);
      ExprNode* message = makeMethodCall(v, enterName("getMessage", T_IDENTIFIER), nullptr, line, column);
      ExprNode* error = makeNewExpression(nullptr, typeOfClass(noClassDefFoundErrorClass(), line, column), message,
                                          nullptr, line, column);
      checkThrowStatement(error, line, column);
    }
    endCatchClause(clause);
    appendCatchStatement(clause);
  }
  appendStatement(after);
  finishTryStatement(tryStatement, clause, clause, nullptr);
  return boundName(x, line, column);
}

// A statement list is being built: a body, or the class initializer.
bool statementListOpen() {
  return global.ctx.jumps != nullptr && global.ctx.scope != nullptr;
}

}  // namespace

ExprNode* makeClassLiteral(Type* type, int32_t line, int32_t column) {
  ExprNode* literal = newExprNode(O_CLASS, line, column);
  literal->operandType = type;
  if (type == nullptr || !isResolvedType(type) || (type->kind == TK_CLASS && usable(classOfType(type)) == nullptr)) {
    literal->type = &errorType;
    return literal;
  }
  ClassDef* classClassDef = classClass();
  if (classClassDef == nullptr) {
    literal->type = &errorType;
    return literal;
  }
  literal->type = classTypeFor(classClassDef, line, column);
  if (!statementListOpen() || global.evaluating) return literal;
  return lowerClassLiteral(literal, line, column);
}

ExprNode* makeClassLiteralFromName(ExprNode* name, int32_t line, int32_t column) {
  if (ClassDef* cls = classNamedBy(name)) return makeClassLiteral(classTypeFor(cls, line, column), line, column);
  if (name == nullptr || !hasErrorType(name)) errorAt(line, column, "invalid.classliteral.lhs");
  ExprNode* literal = newExprNode(O_CLASS, line, column);
  literal->operandType = name != nullptr ? name->type : nullptr;
  literal->type = &errorType;
  return literal;
}
