// Hidden state of nested classes: a synthetic field per captured value (the outer instance as
// this$N, a local x as val$x) and, in every constructor, a synthetic parameter that fills it.
#include "semantic/synthetic_members.h"

#include "semantic/class_records.h"
#include "semantic/element_names.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"

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

// Synthetic parameters lead the list: the outer instance first, then captured values.
// Still lacks the new slot assignment when the constructor is the method being parsed.
void addSyntheticParameter(Member* constructor, const Parameter& model, bool atFront) {
  for (Parameter* p = constructor->parameters; p != nullptr; p = p->next) {
    if ((p->modifiers & M_SYNTHETIC) != 0 && p->name == model.name && sameParameterType(p->type, model.type)) {
      if (p->origin == nullptr) p->origin = model.origin;
      return;
    }
  }
  auto* parameter = arenaNew<Parameter>(&global.mainArena);
  *parameter = model;
  Parameter** at = &constructor->parameters;
  if (!atFront)
    while (*at != nullptr && ((*at)->modifiers & M_SYNTHETIC) != 0) at = &(*at)->next;
  parameter->next = *at;
  *at = parameter;
}

void addToConstructors(ClassDef* cls, Member* field, bool atFront, Parameter* origin) {
  Parameter model{};
  model.name = field->name;
  model.line = field->line;
  model.column = field->column;
  model.type = field->type;
  model.modifiers = field->modifiers;
  model.capturedField = field;
  model.origin = origin;
  for (Member* m = cls->members; m != nullptr; m = m->next)
    if (m->kind == MK_CONSTRUCTOR) addSyntheticParameter(m, model, atFront);
}

}  // namespace

Member* captureOuterLocal(Member* variable, ClassDef* cls, int32_t line, int32_t column, Parameter* origin) {
  if (variable != nullptr && variable->slot >= 0 && (variable->modifiers & M_FINAL) == 0)
    errorAt(line, column, "local.class.must.use.finals", identToString(variable->name));
  if (variable != nullptr && variable->slot < 0 && variable->owner != nullptr && (variable->modifiers & M_STATIC) == 0) {
    captureOuterLocal(nullptr, cls, line, column, origin);
    return variable;
  }
  if (variable == nullptr && cls->outerThisField != nullptr) return cls->outerThisField;
  for (Member* m = cls->members; m != nullptr; m = m->next)
    if (variable != nullptr && (m->modifiers & M_SYNTHETIC) != 0 && m->kind == MK_VARIABLE && m->original == variable)
      return m;
  Member* field = makeOuterThisField(variable, cls, line, column);
  if (variable != nullptr && variable->slot >= 0)
    makeCapturedCopies(cls, field);
  else
    checkDollarName(cls, field);
  addToConstructors(cls, field, variable == nullptr, origin);
  return field;
}

void copySuperSyntheticParameters(ClassDef* cls) {
  ClassRef* superclass = cls->superclass;
  if (superclass == nullptr || superclass->resolved == nullptr || (superclass->resolved->flags & CF_NESTED) == 0) return;
  Member* superConstructor = nullptr;
  for (Member* m = superclass->resolved->members; m != nullptr && superConstructor == nullptr; m = m->next)
    if (m->kind == MK_CONSTRUCTOR) superConstructor = m;
  if (superConstructor == nullptr) return;
  for (Parameter* p = superConstructor->parameters; p != nullptr; p = p->next) {
    if ((p->modifiers & M_SYNTHETIC) == 0) continue;
    Parameter model = *p;
    model.next = nullptr;
    model.variable = nullptr;
    model.capturedField = nullptr;
    model.origin = p;
    for (Member* m = cls->members; m != nullptr; m = m->next)
      if (m->kind == MK_CONSTRUCTOR) addSyntheticParameter(m, model, false);
  }
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
