// Declaration checks and the lookups they share with class lookup. Still lacks the checks of
// class and member declarations (checkClassDef reports nothing yet) and the duplicate-local
// check.
#include "semantic/declaration_checks.h"

#include <algorithm>
#include <vector>

#include "semantic/class_lookup.h"
#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/element_names.h"
#include "semantic/type_relations.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/parser_context.h"
#include "support/source_file.h"

namespace {

// Each walk over supertypes marks the classes it has seen, so shared interfaces are visited once
// and a cycle among class files ends. The walks keep their own stack: a chain of thousands of
// supertypes costs no recursion. Their numbers are shared with the type relations' walks.
struct WalkMarks {
  uint32_t walk;
  explicit WalkMarks() : walk(beginSupertypeWalk()) {}
};

bool seen(ClassDef* cls, const WalkMarks& marks) {
  return supertypeWalkSaw(cls, marks.walk);
}

ClassDef* resolvedClass(ClassRef* ref) {
  return ref != nullptr ? ref->resolved : nullptr;
}

ClassDef* entryClass(ClassDef* holder, ClassRef* entry) {
  if (entry->resolved == nullptr) loadMemberClass(holder, entry);
  return entry->resolved != nullptr && entry->resolved->kind != CLASS_KIND_ERROR ? entry->resolved : nullptr;
}

// The supertypes of `cls` to visit after it, pushed so that they come off the stack in the order
// superclass, then each interface: the order of a depth-first search.
void pushSupertypes(std::vector<ClassDef*>* stack, ClassDef* cls) {
  size_t first = stack->size();
  for (ClassRef* i = cls->interfaces; i != nullptr; i = i->next) stack->push_back(i->resolved);
  std::reverse(stack->begin() + first, stack->end());
  stack->push_back(resolvedClass(cls->superclass));
}

}  // namespace

void checkClassDef(ClassDef*) {}

// Every class reachable from superClass through superclasses, interfaces and, for a class, its
// outer class; meeting cls there is the cycle. Marks end the walk however long the chain is.
void checkCircularSuper(ClassDef* superClass, ClassDef* cls) {
  WalkMarks marks;
  std::vector<ClassDef*> stack{superClass};
  while (!stack.empty()) {
    ClassDef* x = stack.back();
    stack.pop_back();
    if (x == nullptr) continue;
    if (x == cls) fatalError(cls->sourceFile, cls->line, cls->column, "circular.super", classToString(cls));
    if (seen(x, marks)) continue;
    pushSupertypes(&stack, x);
    if (x->kind == CLASS_KIND_CLASS && x->outer != nullptr) stack.push_back(x->outer);
  }
}

ClassDef* resolveClassByName(Identifier* name, ClassDef* contextClass, int32_t line, int32_t column) {
  ClassRef* ref = newClassRefHere(nullptr, name, contextClass, line, column);
  resolveRef(ref);
  return ref->resolved != nullptr && ref->resolved->kind != CLASS_KIND_ERROR ? ref->resolved : nullptr;
}

ClassDef* findLocalClass(ClassDef* cls, Identifier* name, ClassDef** foundIn) {
  for (Scope* scope = global.ctx.scope; scope != nullptr; scope = scope->outer) {
    if (scope->owner != cls) continue;
    for (Member* m = scope->first; m != nullptr; m = m->next) {
      if (m->kind != MK_CLASS_DECLARATION || m->name != name || m->declaredClass == nullptr) continue;
      if ((m->declaredClass->flags & CF_LOCAL) == 0) continue;
      if (foundIn != nullptr) *foundIn = cls;
      return m->declaredClass;
    }
  }
  return nullptr;
}

// The class's own member classes, then depth first through its superclass and then its
// interfaces. Only supertypes already resolved are searched: a supertype being resolved may itself
// name an inherited member class.
ClassDef* findMemberClass(ClassDef* cls, Identifier* name, ClassDef** foundIn) {
  WalkMarks marks;
  std::vector<ClassDef*> stack{cls};
  while (!stack.empty()) {
    ClassDef* holder = stack.back();
    stack.pop_back();
    if (holder == nullptr || seen(holder, marks)) continue;
    for (ClassRef* entry = holder->innerClasses; entry != nullptr; entry = entry->next) {
      if (entry->name != name || (entry->flags & CF_LOCAL) != 0) continue;
      if (ClassDef* inner = entryClass(holder, entry)) {
        if (foundIn != nullptr) *foundIn = holder;
        return inner;
      }
    }
    pushSupertypes(&stack, holder);
  }
  return nullptr;
}

ClassDef* findInnerClass(ClassDef* cls, Identifier* name, ClassDef** foundIn) {
  if (ClassDef* local = findLocalClass(cls, name, foundIn)) return local;
  return findMemberClass(cls, name, foundIn);
}

ClassDef* findInnerClassUnique(ClassDef* cls, Identifier* name, int32_t line, int32_t column) {
  if (cls == nullptr || name == nullptr) return nullptr;
  ClassDef* foundIn = nullptr;
  ClassDef* found = findInnerClass(cls, name, &foundIn);
  if (found != nullptr && foundIn == cls) return found;
  // Missing, or inherited: an enclosing class's own member class of the name may stand closer.
  ClassDef* outer = nullptr;
  ClassDef* outerFoundIn = nullptr;
  for (ClassDef* around = cls->outer; around != nullptr; around = around->outer) {
    if (around->name == name) {
      outer = around;
      outerFoundIn = around;
      break;
    }
    ClassDef* in = nullptr;
    ClassDef* candidate = findInnerClass(around, name, &in);
    if (candidate != nullptr && (found == nullptr || in == around)) {
      outer = candidate;
      outerFoundIn = in;
      break;
    }
  }
  if (found == nullptr) return outer;
  if (outer != nullptr && outer != found && line > 0)
    errorAt(line, column, "inner.classname.ambiguous", identToString(name), classToString(cls),
            classToString(outerFoundIn));
  return found;
}

void warnDeprecated(ClassDef* cls, Member* member, ClassDef* overriderOwner, ClassDef* ownerClass, int32_t line,
                    int32_t column) {
  global.deprecatedUses++;
  if (global.current != nullptr) global.current->deprecationUsed++;
  if (!global.deprecation) return;
  if (member == nullptr) {
    warningAt(global.current, line, column, "warn.class.deprecated", classToString(cls));
    return;
  }
  const char* owner = classToString(ownerClass != nullptr ? ownerClass : member->owner);
  if (member->kind == MK_VARIABLE)
    warningAt(global.current, line, column, "warn.field.deprecated", identToString(member->name), owner);
  else if (member->kind == MK_CONSTRUCTOR)
    warningAt(global.current, line, column, "warn.constructor.deprecated", memberToString(member), owner);
  else if (overriderOwner != nullptr)
    warningAt(global.current, line, column, "warn.method.override.deprecated", memberToString(member), owner,
              classToString(overriderOwner));
  else
    warningAt(global.current, line, column, "warn.method.deprecated", memberToString(member), owner);
}

void checkDuplicateLocal(Member*) {}
