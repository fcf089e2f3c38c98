// Type relations: the widening, cast and narrowing tables of the language, the superclass chain
// and interface lists they walk, and the comparison of applicable methods. The walks keep their
// own stack and marks, so no chain or interface graph, however long or shared, costs a recursion
// per level or a visit per path.
#include "semantic/type_relations.h"

#include <cstdio>
#include <vector>

#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/member_index.h"
#include "semantic/type_records.h"
#include "support/frame_stack.h"
#include "support/global.h"

namespace {

uint32_t lastSupertypeWalk;

ClassDef* resolvedRefClass(ClassRef* ref) {
  if (ref == nullptr) return nullptr;
  if (ref->resolved == nullptr) resolveRef(ref);
  return ref->resolved;
}

bool isFinalClass(const ClassDef* cls) {
  return (cls->flags & CF_FINAL) != 0;
}

// Steps up a superclass chain. A chain may run in a circle before the circularity check has seen
// it: the walk remembers the class it reached at each power-of-two step and ends when it meets
// that class again, so a circle ends within twice its length and no chain is cut short.
class SuperclassChain {
 public:
  explicit SuperclassChain(ClassDef* start) : current_(start) {}
  ClassDef* current() const { return current_; }
  void advance() {
    current_ = superclassOf(current_);
    if (current_ == nullptr) return;
    if (current_ == remembered_) {
      current_ = nullptr;
      return;
    }
    if (++steps_ == stretch_) {
      remembered_ = current_;
      stretch_ *= 2;
      steps_ = 0;
    }
  }

 private:
  ClassDef* current_;
  ClassDef* remembered_ = nullptr;
  int64_t stretch_ = 1;
  int64_t steps_ = 0;
};

// The interfaces reached from a list, depth first, each once per walk.
class InterfaceSearch {
 public:
  InterfaceSearch() : walk_(beginSupertypeWalk()) {}
  // True when some reference of the list, or an interface it extends, is `target`.
  bool reaches(ClassRef* list, const ClassDef* target) {
    pending_.clear();
    pushList(list);
    while (!pending_.empty()) {
      ClassDef* cls = pending_.top();
      pending_.pop();
      if (cls == target) return true;
      if (supertypeWalkSaw(cls, walk_)) continue;
      pushList(cls->interfaces);
    }
    return false;
  }

 private:
  void pushList(ClassRef* list) {
    for (ClassRef* ref = list; ref != nullptr; ref = ref->next)
      if (ClassDef* cls = resolvedRefClass(ref)) pending_.push(cls);
  }
  uint32_t walk_;
  FrameStack<ClassDef*, 16> pending_;
};

// A class on the superclass chain of `cls` (itself included) lists an interface that is or
// extends `target`.
bool chainImplements(ClassDef* cls, const ClassDef* target) {
  InterfaceSearch search;
  for (SuperclassChain chain(cls); chain.current() != nullptr; chain.advance())
    if (search.reaches(chain.current()->interfaces, target)) return true;
  return false;
}

bool isObjectCloneableOrSerializable(const ClassDef* cls) {
  return cls != nullptr && (cls == objectClass || cls == cloneableClass() || cls == serializableClass());
}

bool classWidens(const Type* from, const Type* to) {
  if (to->kind != TK_CLASS) return false;
  ClassDef* target = classOfType(to);
  if (target == nullptr) return false;
  if (target == objectClass) return true;
  ClassDef* source = classOfType(from);
  if (source == nullptr) return false;
  if (isInterface(source)) {
    if (!isInterface(target)) return false;
    if (source == target) return true;
    InterfaceSearch search;
    return search.reaches(source->interfaces, target);
  }
  if (!isInterface(target)) return isSubclassOf(source, target);
  return chainImplements(source, target);
}

bool arrayWidens(const Type* from, const Type* to) {
  if (to->kind == TK_CLASS) return isObjectCloneableOrSerializable(classOfType(to));
  if (to->kind != TK_ARRAY) return false;
  const Type* element = from->element;
  const Type* target = to->element;
  if (element == nullptr || target == nullptr) return false;
  if (isReferenceKind(element->kind)) return isSameOrWidening(element, target);
  return element->kind == target->kind && isPrimitiveType(element);
}

bool primitiveWidens(int32_t from, int32_t to) {
  switch (from) {
    case TK_BOOLEAN: return to == TK_BOOLEAN;
    case TK_CHAR: return to == TK_CHAR || (to >= TK_INT && to <= TK_DOUBLE);
    case TK_BYTE:
    case TK_SHORT:
    case TK_INT:
    case TK_LONG:
    case TK_FLOAT:
    case TK_DOUBLE: return to >= from && to <= TK_DOUBLE;
    default: return false;
  }
}

bool classCastable(const Type* from, const Type* to) {
  ClassDef* source = classOfType(from);
  ClassDef* target = classOfType(to);
  if (from->classRef == to->classRef || (source != nullptr && source == target)) return true;
  if (target != nullptr && target == objectClass) return true;
  if (source == nullptr || target == nullptr) return false;
  if (isInterface(source)) {
    if (!isInterface(target)) return !isFinalClass(target) || chainImplements(target, source);
    return interfacesCompatible(source, target);
  }
  if (isInterface(target)) return !isFinalClass(source) || chainImplements(source, target);
  return isSameOrWidening(to, from);
}

bool matchArgument(const ExprNode* argument, Parameter** list) {
  if (argument == nullptr || *list == nullptr) return false;
  Parameter* parameter = *list;
  *list = parameter->next;
  if (argument->op == O_NULL) return parameter->type != nullptr && isReferenceKind(parameter->type->kind);
  return isSameOrWidening(argument->type, parameter->type);
}

// The arguments in source order against the parameters from *list on. An O_ARG tree is read left
// before right with a stack of its own, so a list of any length, leaning either way, costs no depth.
bool matchArguments(const ExprNode* argument, Parameter** list) {
  FrameStack<const ExprNode*, 16> pending;
  pending.push(argument);
  while (!pending.empty()) {
    const ExprNode* node = pending.top();
    pending.pop();
    if (node == nullptr || *list == nullptr) return false;
    if (node->op == O_ARG) {
      pending.push(node->right);
      pending.push(node->left);
    } else if (!matchArgument(node, list)) {
      return false;
    }
  }
  return true;
}

}  // namespace

uint32_t beginSupertypeWalk() {
  // 0 is the mark of a class no walk has visited yet.
  if (++lastSupertypeWalk == 0) lastSupertypeWalk = 1;
  return lastSupertypeWalk;
}

void resetSupertypeWalks() {
  lastSupertypeWalk = 0;
}

bool supertypeWalkSaw(ClassDef* cls, uint32_t walk) {
  if (cls->walkMark == walk) return true;
  cls->walkMark = walk;
  return false;
}

bool sameType(const Type* a, const Type* b) {
  for (;;) {
    if (a == nullptr && b == nullptr) return true;
    if (a == nullptr || b == nullptr) return false;
    if (a == b) return true;
    if (!isResolvedType(const_cast<Type*>(a)) || !isResolvedType(const_cast<Type*>(b))) return false;
    if (a->kind == TK_ARRAY && b->kind == TK_ARRAY) {
      a = a->element;
      b = b->element;
      continue;
    }
    if (a->kind == TK_CLASS && b->kind == TK_CLASS) return a->classRef->resolved == b->classRef->resolved;
    return a->kind == b->kind;
  }
}

bool isWidening(const Type* from, const Type* to) {
  if (from == nullptr || to == nullptr) return false;
  switch (from->kind) {
    case TK_CLASS: return classWidens(from, to);
    case TK_ARRAY: return arrayWidens(from, to);
    default: return primitiveWidens(from->kind, to->kind);
  }
}

bool isSameOrWidening(const Type* a, const Type* b) {
  return sameType(a, b) || isWidening(a, b);
}

bool isNotSameOrWidening(const Type* a, const Type* b) {
  return !isSameOrWidening(a, b);
}

bool isCastable(const Type* from, const Type* to) {
  if (from == nullptr || to == nullptr) return false;
  if (isSameOrWidening(from, to)) return true;
  switch (from->kind) {
    case TK_CLASS:
      // Every array is an Object, Cloneable and Serializable, and nothing else of a class type.
      if (to->kind == TK_ARRAY) return isObjectCloneableOrSerializable(classOfType(from));
      return to->kind == TK_CLASS && classCastable(from, to);
    case TK_BOOLEAN: return to->kind == TK_BOOLEAN;
    case TK_CHAR:
    case TK_BYTE:
    case TK_SHORT:
    case TK_INT:
    case TK_LONG:
    case TK_FLOAT:
    case TK_DOUBLE: return isNumericKind(to->kind);
    case TK_ARRAY:
      if (to->kind == TK_CLASS) return isObjectCloneableOrSerializable(classOfType(to));
      if (to->kind != TK_ARRAY || from->element == nullptr || to->element == nullptr) return false;
      if (isReferenceKind(from->element->kind)) return isCastable(from->element, to->element);
      return from->element->kind == to->element->kind;
    default: return false;
  }
}

bool isNarrowing(const Type* from, const Type* to) {
  if (from == nullptr || to == nullptr) return false;
  if (isReferenceKind(from->kind)) return isCastable(from, to);
  int32_t t = to->kind;
  switch (from->kind) {
    case TK_CHAR: return t == TK_BYTE || t == TK_SHORT;
    case TK_BYTE: return t == TK_CHAR;
    case TK_SHORT: return t == TK_BYTE || t == TK_CHAR;
    case TK_INT: return t == TK_CHAR || t == TK_BYTE || t == TK_SHORT;
    case TK_LONG: return t >= TK_CHAR && t <= TK_INT;
    case TK_FLOAT: return t >= TK_CHAR && t <= TK_LONG;
    case TK_DOUBLE: return t >= TK_CHAR && t <= TK_FLOAT;
    default: return false;
  }
}

bool isErrorClassType(const Type* type) {
  while (type != nullptr && type->kind == TK_ARRAY) type = type->element;
  if (type == nullptr || type->kind != TK_CLASS || type->classRef == nullptr) return false;
  const ClassDef* cls = type->classRef->resolved;
  return cls != nullptr && cls->kind == CLASS_KIND_ERROR;
}

ClassDef* superclassOf(ClassDef* cls) {
  return cls != nullptr ? resolvedRefClass(cls->superclass) : nullptr;
}

bool hasMissingSupertype(ClassDef* cls) {
  uint32_t walk = beginSupertypeWalk();
  std::vector<ClassDef*> pending{cls};
  while (!pending.empty()) {
    ClassDef* c = pending.back();
    pending.pop_back();
    if (c == nullptr || supertypeWalkSaw(c, walk)) continue;
    auto missing = [&pending](ClassRef* ref) {
      ClassDef* super = resolvedRefClass(ref);
      if (super == nullptr || super->kind == CLASS_KIND_ERROR) return true;
      pending.push_back(super);
      return false;
    };
    if (c->superclass != nullptr && missing(c->superclass)) return true;
    for (ClassRef* ref = c->interfaces; ref != nullptr; ref = ref->next)
      if (missing(ref)) return true;
  }
  return false;
}

bool isSubclassOf(ClassDef* a, ClassDef* b) {
  for (SuperclassChain chain(a); chain.current() != nullptr; chain.advance())
    if (chain.current() == b) return true;
  return false;
}

bool isSubclassType(const Type* a, const Type* b) {
  if (a == nullptr || b == nullptr || a->kind != TK_CLASS || b->kind != TK_CLASS) return false;
  ClassDef* sub = classOfType(a);
  ClassDef* super = classOfType(b);
  return sub != nullptr && super != nullptr && isSubclassOf(sub, super);
}

bool extendsInterface(ClassRef* interfaces, ClassDef* target) {
  InterfaceSearch search;
  return search.reaches(interfaces, target);
}

// Each interface counts with the methods it inherits: the interfaces that i and j reach are
// compared pairwise, each pair's methods of one name.
bool interfacesCompatible(ClassDef* i, ClassDef* j) {
  if (i == nullptr || j == nullptr || !isInterface(i) || !isInterface(j)) return false;
  auto closure = [](ClassDef* start, std::vector<ClassDef*>& out) {
    uint32_t walk = beginSupertypeWalk();
    out.push_back(start);
    supertypeWalkSaw(start, walk);
    for (size_t k = 0; k < out.size(); k++)
      for (ClassRef* ref = out[k]->interfaces; ref != nullptr; ref = ref->next)
        if (ClassDef* cls = resolvedRefClass(ref); cls != nullptr && !supertypeWalkSaw(cls, walk)) out.push_back(cls);
  };
  std::vector<ClassDef*> fromI;
  std::vector<ClassDef*> fromJ;
  closure(i, fromI);
  closure(j, fromJ);
  for (ClassDef* a : fromI)
    for (Member* m = a->members; m != nullptr; m = m->next) {
      if (m->kind != MK_METHOD) continue;
      for (ClassDef* b : fromJ) {
        MembersNamed named(b, m->name);
        for (Member* n = named.next(); n != nullptr; n = named.next())
          if (n->kind == MK_METHOD && methodsMatch(m, n) && !sameType(m->type, n->type)) return false;
      }
    }
  return true;
}

bool methodsMatch(const Member* m, const Member* n) {
  bool trace = (global.traceLevel & TRACE_GENERAL) != 0;
  if (trace) std::printf("methodsMatch() begin\n");
  if (m->name != n->name) return false;
  if (trace) std::printf("methodsMatch() on %s\n", identToString(m->name));
  const Parameter* p = m->parameters;
  const Parameter* q = n->parameters;
  for (; p != nullptr && q != nullptr; p = p->next, q = q->next)
    if (!sameType(p->type, q->type)) return false;
  if (p != nullptr || q != nullptr) return false;
  if (trace) std::printf("methodsMatch() match found for %s, returning %d\n", methodToString(m), 1);
  return true;
}

// The class or interface that declares m converts to the one that declares n by method
// invocation conversion: the same class, a superclass or an interface it reaches.
namespace {

bool declaringClassConverts(const Member* m, const Member* n) {
  ClassDef* from = m->owner;
  ClassDef* to = n->owner;
  if (from == nullptr || to == nullptr || from == to || to == objectClass) return true;
  if (isInterface(from)) {
    if (!isInterface(to)) return false;
    InterfaceSearch search;
    return search.reaches(from->interfaces, to);
  }
  if (!isInterface(to)) return isSubclassOf(from, to);
  return chainImplements(from, to);
}

}  // namespace

// At each parameter where the two differ, the one whose type does not widen to the other's
// cannot be the more specific; a method that is so at one place and not at another, or a pair of
// types that widen neither way, leaves no answer, and so does one whose declaring class does not
// convert to the other's. Equal lists prefer a method with a body.
Member* mostSpecific(Member* m, Member* best) {
  bool mLess = false;
  bool bestLess = false;
  Parameter* p = skipSyntheticParameters(m->parameters);
  Parameter* q = skipSyntheticParameters(best->parameters);
  for (; p != nullptr && q != nullptr; p = p->next, q = q->next) {
    if (sameType(p->type, q->type)) continue;
    bool mWidens = isWidening(p->type, q->type);
    bool bestWidens = isWidening(q->type, p->type);
    if (!mWidens && !bestWidens) return nullptr;
    if (!mWidens) mLess = true;
    if (!bestWidens) bestLess = true;
    if (mLess && bestLess) return nullptr;
  }
  // A method is the more specific only where its class converts to the other's class too.
  if (bestLess) return declaringClassConverts(m, best) ? m : nullptr;
  if (mLess) return declaringClassConverts(best, m) ? best : nullptr;
  bool mAbstract = (m->modifiers & M_ABSTRACT) != 0;
  bool bestAbstract = (best->modifiers & M_ABSTRACT) != 0;
  return !mAbstract && bestAbstract ? m : best;
}

Parameter* skipSyntheticParameters(Parameter* list) {
  while (list != nullptr && (list->modifiers & M_SYNTHETIC) != 0) list = list->next;
  return list;
}

bool argumentsMatch(const ExprNode* arguments, Parameter* parameters) {
  Parameter* rest = skipSyntheticParameters(parameters);
  if (arguments != nullptr && !matchArguments(arguments, &rest)) return false;
  return skipSyntheticParameters(rest) == nullptr;
}
