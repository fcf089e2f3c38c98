// Hidden state of nested classes: a synthetic field per captured value (the outer instance as
// this$N, a local x as val$x) and, in every constructor, a synthetic parameter that fills it.
#include "semantic/synthetic_members.h"

#include <algorithm>
#include <unordered_set>

#include "semantic/access_methods.h"
#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/statement_lists.h"
#include "semantic/tree_walks.h"
#include "semantic/try_clauses.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/parser_context.h"
#include "syntax/method_bodies.h"

namespace {

bool sameParameterType(const Type* a, const Type* b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr || a->kind != b->kind) return false;
  if (a->kind == TK_ARRAY) return sameParameterType(a->element, b->element);
  if (a->kind == TK_CLASS)
    return a->classRef != nullptr && b->classRef != nullptr &&
           (a->classRef->resolved != nullptr ? a->classRef->resolved == b->classRef->resolved
                                             : a->classRef->name == b->classRef->name);
  return true;
}

bool onScopeChain(const Scope* scope) {
  for (Scope* s = global.ctx.scope; s != nullptr; s = s->outer)
    if (s == scope) return true;
  return false;
}

// The locals a body has declared so far, wherever they are recorded: the open scopes, and the
// statements built (the list, the lists the open statements stand in, the clauses' own lists).
class BodyLocals {
 public:
  explicit BodyLocals(Member* method) : method_(method) {}

  void collect() {
    for (Scope* s = global.ctx.scope; s != nullptr; s = s->outer) {
      for (Member* m = s->first; m != nullptr; m = m->next) add(m);
      if (s == method_->parameterScope) break;
    }
    list(global.ctx.firstStatement);
    for (JumpContext* j = global.ctx.jumps; j != nullptr; j = j->outer)
      if (j->statement != nullptr) list(j->statement);
    for (TryClause* c = global.ctx.firstClause; c != nullptr; c = c->next) clause(c);
  }

  void shift(int32_t threshold, int32_t width) {
    for (Member* m : locals_)
      if (m->kind == MK_VARIABLE && m->slot >= threshold) m->slot += width;
    for (Scope* s = global.ctx.scope; s != nullptr; s = s->outer) {
      s->nextSlot += width;
      s->maxSlots += width;
      if (s == method_->parameterScope) break;
    }
  }

 private:
  void add(Member* m) {
    if (m != nullptr && m->kind == MK_VARIABLE && m->slot >= 0) locals_.insert(m);
  }

  // The whole list a statement stands in.
  void list(StmtNode* node) {
    if (node == nullptr) return;
    while (node->previous != nullptr) node = node->previous;
    if (!lists_.insert(node).second) return;
    for (StmtNode* s = node; s != nullptr; s = s->next) {
      add(s->variable);
      add(s->catchAllVariable);
      expression(s->expression);
      if ((s->kind == ST_CATCH || s->kind == ST_FINALLY || s->kind == ST_TRY) && s->clause != nullptr) clause(s->clause);
    }
  }

  void clause(TryClause* c) {
    if (!clauses_.insert(c).second) return;
    add(c->variable);
    list(c->first);
  }

  static int32_t visit(ExprNode* node, void* context) {
    auto* self = static_cast<BodyLocals*>(context);
    if (node->type != nullptr && node->type->kind == TK_ERROR) return -1;
    if (node->op == O_ID || node->op == O_INIT) self->add(node->member);
    return 0;
  }

  void expression(ExprNode* e) {
    if (e != nullptr) walkExpression(e, visit, nullptr, nullptr, this);
  }

  Member* method_;
  std::unordered_set<Member*> locals_;
  std::unordered_set<StmtNode*> lists_;
  std::unordered_set<TryClause*> clauses_;
};

}  // namespace

// A local's type lives as long as the body that declares it; the field and parameters that copy
// the local live as long as their class, so they take a type of the main arena.
Type* lastingType(Type* type) {
  if (type == nullptr || fixedType(type->kind) == type) return type;
  int32_t dimensions = 0;
  Type* element = type;
  for (; element != nullptr && element->kind == TK_ARRAY; element = element->element) dimensions++;
  Type* copy = element;
  if (element != nullptr && element->kind == TK_CLASS) {
    copy = arenaNew<Type>(&global.mainArena);
    *copy = *element;
    if (ClassRef* ref = element->classRef)
      copy->classRef = newClassRef(ref->package, ref->name, ref->resolved, ref->flags, ref->context, ref->line, ref->column);
  }
  for (int32_t i = 0; i < dimensions; i++) {
    auto* array = arenaNew<Type>(&global.mainArena);
    array->kind = TK_ARRAY;
    array->element = copy;
    copy = array;
  }
  return copy;
}

namespace {

void noteCaptureAdded(ClassDef* cls) {
  if (cls != nullptr && (cls->state & CLASS_CAPTURES_USED) != 0) global.lateCaptures++;
}

// val$x, or val$x$N where val$x was taken.
bool namedAfter(const Identifier* field, const Identifier* variable) {
  const Identifier* base = joinNames("val", const_cast<Identifier*>(variable), nullptr, -1);
  if (field == base) return true;
  if (field->length <= base->length || identifierChars(field)[base->length] != '$') return false;
  return std::equal(identifierChars(base), identifierChars(base) + base->length, identifierChars(field));
}

// The field copies `variable`: the same variable, or, in a body parsed again, the one of that name
// declared at the same place (the field follows it to the live one).
bool copiesVariable(Member* field, Member* variable) {
  if (field->kind != MK_VARIABLE || (field->modifiers & M_SYNTHETIC) == 0 || field->original == nullptr) return false;
  if (field->original == variable) return true;
  if (variable->line <= 0 || field->originalLine != variable->line || field->originalColumn != variable->column ||
      variable->name == nullptr || !namedAfter(field->name, variable->name))
    return false;
  field->original = variable;
  return true;
}

bool isBeingParsed(Member* constructor) {
  return constructor == global.ctx.currentMethod ||
         (constructor->parameterScope != nullptr && onScopeChain(constructor->parameterScope));
}

void addToConstructors(ClassDef* cls, Member* field, SyntheticPlace place, Parameter* origin) {
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind != MK_CONSTRUCTOR) continue;
    Parameter* p = addSyntheticParameter(m, field->name, field->modifiers, field->type, field->line, field->column, place);
    if (p->capturedField == nullptr) p->capturedField = field;
    if (p->origin == nullptr) p->origin = origin;
  }
}

}  // namespace

Parameter* addSyntheticParameter(Member* constructor, Identifier* name, uint16_t modifiers, Type* type, int32_t line,
                                 int32_t column, SyntheticPlace place) {
  for (Parameter* p = constructor->parameters; p != nullptr; p = p->next)
    if ((p->modifiers & M_SYNTHETIC) != 0 && p->name == name && sameParameterType(p->type, type)) return p;
  bool parsing = isBeingParsed(constructor);
  int32_t threshold = parsing ? countParameterSlots(constructor) : 0;
  Parameter* parameter = newParameter(name, type, static_cast<uint16_t>(modifiers | M_SYNTHETIC), line, column);
  insertParameter(constructor, parameter, place);
  noteCaptureAdded(constructor->owner);
  // An access constructor takes the same parameters and one more.
  if (constructor->accessMethod != nullptr) refreshAccessConstructor(constructor);
  if (parsing) {
    // The parameters keep their order in the descriptor, so the new one takes slots that the
    // body's locals may hold: they all lie above the parameters and move up together.
    BodyLocals locals(constructor);
    locals.collect();
    locals.shift(threshold, slotSize(type));
    assignParameterSlots(constructor);
  }
  return parameter;
}

void insertParameter(Member* constructor, Parameter* parameter, SyntheticPlace place) {
  Parameter** at = &constructor->parameters;
  if (place == SYNTHETIC_AFTER_LEADING)
    while (*at != nullptr && ((*at)->modifiers & M_SYNTHETIC) != 0) at = &(*at)->next;
  else if (place == SYNTHETIC_LAST)
    while (*at != nullptr) at = &(*at)->next;
  parameter->next = *at;
  *at = parameter;
}

Member* captureOuterLocal(Member* variable, ClassDef* cls, int32_t line, int32_t column, Parameter* origin) {
  if (variable != nullptr && variable->slot >= 0 && (variable->modifiers & M_FINAL) == 0)
    errorAt(line, column, "local.class.must.use.finals", identToString(variable->name));
  if (variable != nullptr && variable->slot < 0 && variable->owner != nullptr && (variable->modifiers & M_STATIC) == 0) {
    captureOuterLocal(nullptr, cls, line, column, origin);
    return variable;
  }
  if (variable == nullptr && cls->outerThisField != nullptr) return cls->outerThisField;
  if (variable != nullptr)
    for (Member* m = cls->members; m != nullptr; m = m->next)
      if (copiesVariable(m, variable)) return m;
  noteCaptureAdded(cls);
  Member* field = makeOuterThisField(variable, cls, line, column);
  if (variable != nullptr) field->type = lastingType(field->type);
  if (variable != nullptr && variable->slot >= 0)
    makeCapturedCopies(cls, field);
  else
    checkDollarName(cls, field);
  SyntheticPlace place = variable == nullptr                                        ? SYNTHETIC_FIRST
                         : (cls->flags & CF_ANONYMOUS) != 0 && variable->slot >= 0 ? SYNTHETIC_LAST
                                                                                   : SYNTHETIC_AFTER_LEADING;
  addToConstructors(cls, field, place, origin);
  return field;
}

bool outerInstanceAround(ClassDef* cls, ClassDef* needed) {
  for (ClassDef* c = cls; c->outer != nullptr; c = c->outer) {
    if ((c->flags & CF_STATIC) != 0 || c->kind == CLASS_KIND_INTERFACE || c->outerThisField == nullptr) return false;
    if (c->outer == needed || isSubclassOf(c->outer, needed)) return true;
  }
  return false;
}

bool takesEnclosingInstance(const ClassDef* cls) {
  if (cls->outerThisField != nullptr) return true;
  // A class of this compile has the field from its declaration on, when it takes one.
  if (cls->sourceFile != nullptr) return false;
  return (cls->flags & CF_NESTED) != 0 && (cls->flags & CF_STATIC) == 0 && cls->kind != CLASS_KIND_INTERFACE;
}

void noteCapturesUsed(ClassDef* cls) {
  if (cls != nullptr) cls->state |= CLASS_CAPTURES_USED;
}

namespace {

bool passedOn(const Member* constructor, const Parameter* parameter) {
  for (const Parameter* p = constructor->parameters; p != nullptr; p = p->next)
    if (p->origin == parameter) return true;
  return false;
}

}  // namespace

void copySuperSyntheticParameters(ClassDef* cls) {
  ClassRef* superclass = cls->superclass;
  if (superclass == nullptr || superclass->resolved == nullptr || (superclass->resolved->flags & CF_NESTED) == 0) return;
  Member* superConstructor = nullptr;
  for (Member* m = superclass->resolved->members; m != nullptr && superConstructor == nullptr; m = m->next)
    if (m->kind == MK_CONSTRUCTOR) superConstructor = m;
  if (superConstructor == nullptr) return;
  noteCapturesUsed(superclass->resolved);
  // A class that has no enclosing instance for its superclass (a static class, a class of a
  // static context) gets one only from o.super(...): its creations have none to pass on.
  ClassDef* superOuter = superclass->resolved->outer;
  bool outerPassedOn = (cls->flags & CF_ANONYMOUS) != 0 || superOuter == nullptr || outerInstanceAround(cls, superOuter);
  for (Parameter* p = superConstructor->parameters; p != nullptr; p = p->next) {
    if ((p->modifiers & M_SYNTHETIC) == 0) continue;
    if (!outerPassedOn && p->capturedField != nullptr && p->capturedField == superclass->resolved->outerThisField) continue;
    for (Member* m = cls->members; m != nullptr; m = m->next) {
      if (m->kind != MK_CONSTRUCTOR || passedOn(m, p)) continue;
      Parameter* copy =
          addSyntheticParameter(m, p->name, p->modifiers, p->type, p->line, p->column, SYNTHETIC_AFTER_LEADING);
      if (copy->origin == nullptr) copy->origin = p;
    }
  }
}

namespace {

// The superclass constructor's parameter that fills its outer-instance field.
Parameter* superOuterParameter(ClassDef* cls) {
  ClassDef* superclass = cls->superclass != nullptr ? cls->superclass->resolved : nullptr;
  if (superclass == nullptr || superclass->outerThisField == nullptr) return nullptr;
  for (Member* m = superclass->members; m != nullptr; m = m->next) {
    if (m->kind != MK_CONSTRUCTOR) continue;
    for (Parameter* p = m->parameters; p != nullptr && (p->modifiers & M_SYNTHETIC) != 0; p = p->next)
      if (p->capturedField == superclass->outerThisField) return p;
    return nullptr;
  }
  return nullptr;
}

}  // namespace

void separateSuperOuterParameter(ClassDef* cls) {
  Parameter* superOuter = superOuterParameter(cls);
  if (superOuter == nullptr || cls->outerThisField == nullptr) return;
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind != MK_CONSTRUCTOR) continue;
    for (Parameter* p = m->parameters; p != nullptr && (p->modifiers & M_SYNTHETIC) != 0; p = p->next) {
      if (p->origin != superOuter || p->capturedField != cls->outerThisField) continue;
      p->origin = nullptr;
      Parameter* own = newParameter(superOuter->name, superOuter->type, superOuter->modifiers, superOuter->line,
                                    superOuter->column);
      own->origin = superOuter;
      insertParameter(m, own, SYNTHETIC_AFTER_LEADING);
      break;
    }
  }
}

Parameter* explicitOuterParameter(Member* constructor) {
  ClassDef* cls = constructor->owner;
  if (cls == nullptr) return nullptr;
  Parameter* superOuter = (cls->flags & CF_ANONYMOUS) != 0 ? superOuterParameter(cls) : nullptr;
  for (Parameter* p = constructor->parameters; p != nullptr && (p->modifiers & M_SYNTHETIC) != 0; p = p->next) {
    if (superOuter != nullptr ? p->origin == superOuter
                              : p->capturedField != nullptr && p->capturedField == cls->outerThisField)
      return p;
  }
  return nullptr;
}

void checkDollarName(ClassDef* cls, Member* newMembers) {
  for (Member* old = cls->members; old != nullptr; old = old->next) {
    for (Member* added = newMembers; added != nullptr; added = added->next) {
      if (old->name == nullptr || old->name != added->name) continue;
      if (old->line != 0)
        errorAt(old->line, old->column, "using.dollar.name", identToString(old->name));
      else if (added->line != 0)
        errorAt(added->line, added->column, "using.dollar.name", identToString(added->name));
    }
  }
  if (newMembers == nullptr) return;
  if (newMembers->modifiers & M_SYNTHETIC) {
    Member* last = newMembers;
    while (last->next != nullptr) last = last->next;
    last->next = cls->members;
    cls->members = newMembers;
    return;
  }
  Member** tail = &cls->members;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = newMembers;
}

Member* constructorBeingParsed() {
  ClassDef* cls = global.ctx.enclosing;
  if (cls == nullptr) return nullptr;
  Member* current = global.ctx.currentMethod;
  if (current != nullptr && current->kind == MK_CONSTRUCTOR && current->owner == cls) return current;
  for (Member* m = cls->members; m != nullptr; m = m->next)
    if (m->kind == MK_CONSTRUCTOR && m->parameterScope != nullptr && onScopeChain(m->parameterScope)) return m;
  return nullptr;
}

Parameter* parameterFilling(Member* constructor, const Member* field) {
  if (constructor == nullptr || field == nullptr) return nullptr;
  for (Parameter* p = constructor->parameters; p != nullptr; p = p->next)
    if ((p->modifiers & M_SYNTHETIC) != 0 && p->capturedField == field) return p;
  return nullptr;
}

namespace {

bool isConstructorCall(const StmtNode* s, int32_t qualifierOp) {
  return s != nullptr && s->kind == ST_EXPR && s->expression != nullptr && s->expression->op == O_CALL &&
         s->expression->name == nullptr && s->expression->left != nullptr && s->expression->left->op == qualifierOp;
}

// The head of the body's own list: while a clause is open, the list that the outermost open
// statement stands in.
StmtNode* bodyListHead(bool* current) {
  *current = true;
  StmtNode* head = global.ctx.firstStatement;
  if ((global.ctx.flags & CTX_NESTED_CLAUSE) != 0) {
    StmtNode* outermost = nullptr;
    for (JumpContext* j = global.ctx.jumps; j != nullptr; j = j->outer)
      if (j->statement != nullptr) outermost = j->statement;
    if (outermost != nullptr) {
      head = outermost;
      while (head->previous != nullptr) head = head->previous;
      *current = head == global.ctx.firstStatement;
    }
  }
  return head;
}

}  // namespace

// The assignments go right after the superclass constructor call that heads the body; a body
// that starts with this(...) leaves them to the constructor it calls, and one whose explicit
// constructor call is still being read gets them with that call's statement.
void ensureCapturedAssigned(Member* field) {
  if (field == nullptr || (field->fieldFlags & FIELD_CAPTURE_STORED) != 0) return;
  Member* constructor = constructorBeingParsed();
  if (constructor == nullptr || parameterFilling(constructor, field) == nullptr) return;
  // Nothing of the body is built yet: its prologue, the implicit super() or the explicit
  // constructor call being read (which may still turn out to be o.super(...) with o this very
  // value), stores every captured value that has a parameter by then.
  if (global.ctx.firstStatement == nullptr && (global.ctx.flags & CTX_NESTED_CLAUSE) == 0) return;
  bool current = true;
  StmtNode* head = bodyListHead(&current);
  if (isConstructorCall(head, O_THIS)) return;
  StmtNode* after = isConstructorCall(head, O_SUPER) ? head : nullptr;
  // The head of a list saved in an open clause cannot move.
  if (!current && after == nullptr) return;
  ClassDef* cls = constructor->owner;
  for (Parameter* p = constructor->parameters; p != nullptr; p = p->next) {
    Member* f = p->capturedField;
    if ((p->modifiers & M_SYNTHETIC) == 0 || f == nullptr || p->variable == nullptr ||
        (f->fieldFlags & FIELD_CAPTURE_STORED) != 0)
      continue;
    f->fieldFlags |= FIELD_CAPTURE_STORED;
    ExprNode* target = newExprNode(O_ID, cls->line, cls->column);
    target->name = f->name;
    target->member = f;
    target->type = f->type;
    target->flags |= EXPR_CAPTURE_STORE;
    ExprNode* value = newExprNode(O_ID, cls->line, cls->column);
    value->name = p->name;
    value->member = p->variable;
    value->type = p->type;
    ExprNode* store = newExprNode(O_ASG, cls->line, cls->column);
    store->left = target;
    store->right = value;
    store->type = f->type;
    StmtNode* node = newStatement(ST_EXPR, cls->line, cls->column);
    node->expression = store;
    if (head == nullptr) {
      global.ctx.firstStatement = global.ctx.lastStatement = node;
      head = after = node;
      continue;
    }
    if (after == nullptr) {
      node->next = head;
      head->previous = node;
      if (current) global.ctx.firstStatement = node;
      head = node;
      after = node;
      continue;
    }
    node->previous = after;
    node->next = after->next;
    if (after->next != nullptr) after->next->previous = node;
    else if (current) global.ctx.lastStatement = node;
    after->next = node;
    after = node;
  }
}
