// Name lookup through scopes, supertypes and enclosing classes. Supertype walks keep their own
// stack, so a chain of thousands of classes costs no recursion, and mark each class they visit
// with the walk's number, so an interface reached along several paths is searched once.
#include "semantic/name_lookup.h"

#include "semantic/access_methods.h"
#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/declaration_checks.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/member_index.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/frame_stack.h"
#include "support/global.h"
#include "support/parser_context.h"

namespace {

// Numbers the supertype walks; a class whose mark is the walk's own was visited by it.
uint32_t lastLookupWalk;

uint32_t newLookupWalk() {
  if (++lastLookupWalk == 0) lastLookupWalk = 1;
  return lastLookupWalk;
}

ClassDef* usableClass(const ClassRef* ref) {
  if (ref == nullptr || ref->resolved == nullptr || ref->resolved->kind == CLASS_KIND_ERROR) return nullptr;
  return ref->resolved;
}

Package* packageOrRoot(const ClassDef* cls);

bool isInterface(const ClassDef* cls) {
  return cls->kind == CLASS_KIND_INTERFACE;
}

// Fields of an interface are static whether or not the source says so.
bool isStaticField(const Member* field) {
  return (field->modifiers & M_STATIC) != 0 || (field->owner != nullptr && isInterface(field->owner));
}

// Locals and parameters of a body: a variable with a local slot, or a parameter. A scope also
// holds the fields of a class (no slot), which only the field lookup may answer.
bool isLocalEntry(const Member* m) {
  return m->kind == MK_PARAMETER || (m->kind == MK_VARIABLE && m->slot >= 0);
}

ClassDef* accessContext(ClassDef* fallback) {
  return global.ctx.enclosing != nullptr ? global.ctx.enclosing : fallback;
}

struct FieldSearch {
  Identifier* name;
  bool staticOnly;
  int32_t line;
  int32_t column;
  bool* staticReported;
  uint32_t walk;
  ClassDef* start;  // the class searched: a private field of its supertypes is no member of it
};

// A field is a member of the class searched when it is the class's own or is inherited: not
// private to a supertype, and accessible to the current class.
bool isFieldMember(const Member* field, const FieldSearch& search) {
  if ((field->modifiers & M_PRIVATE) != 0 && field->owner != search.start) return false;
  return isAccessible(accessContext(field->owner), field);
}

// The class's own field of the name, which hides every field of the name in its supertypes
// whether or not it is a member of the class searched. One that is a member gets the checks an
// answer takes: the static context, the access method for a private field of another class of the
// nest, the deprecation note.
Member* ownField(ClassDef* cls, FieldSearch& search) {
  MembersNamed named(cls, search.name);
  for (Member* m = named.next(); m != nullptr; m = named.next()) {
    if (m->kind != MK_VARIABLE || (m->modifiers & M_SYNTHETIC) != 0) continue;
    if (!isFieldMember(m, search)) return m;
    if (search.staticOnly && !isStaticField(m)) {
      errorAt(search.line, search.column, "illegal.static.reference", identToString(search.name), classToString(cls));
      if (search.staticReported != nullptr) *search.staticReported = true;
    }
    if (cls != global.ctx.enclosing && (m->modifiers & M_PRIVATE) != 0) addAccessor(m);
    checkDeprecatedUse(m, search.line, search.column);
    return m;
  }
  return nullptr;
}

// One class of a field search in progress: its own fields were searched, then its superclass's
// answer came back as `inherited`, and its interfaces are being searched in order.
struct FieldFrame {
  ClassDef* cls;
  int32_t phase;
  ClassRef* nextInterface;
  Member* inherited;
};

constexpr int32_t FRAME_START = 0;
constexpr int32_t FRAME_AFTER_SUPERCLASS = 1;
constexpr int32_t FRAME_INTERFACES = 2;
constexpr int32_t FRAME_AFTER_INTERFACE = 3;

// The field a class has or inherits (no enclosing class): its own field; else what its superclass
// has, joined with what each of its interfaces has, in order. Two different fields from the
// superclass side and an interface are "reference.ambiguous": the interface's is the answer. The
// answer may be a field that is no member of the class searched (isFieldMember), found where it
// hides the fields of its supertypes: one that is a member beside it wins.
Member* fieldInHierarchy(ClassDef* cls, FieldSearch& search) {
  search.start = cls;
  FrameStack<FieldFrame> stack;
  cls->lookupMark = search.walk;
  stack.push(FieldFrame{cls, FRAME_START, nullptr, nullptr});
  Member* answer = nullptr;  // what the frame popped last found
  auto finish = [&](Member* result) {
    stack.top().cls->lookupResult = result;
    answer = result;
    stack.pop();
  };
  // Joins an interface's answer to what the frame has so far; true when that ends the frame.
  auto join = [&](FieldFrame& frame, Member* r) {
    if (r == nullptr || r == frame.inherited) return false;
    if (frame.inherited == nullptr || !isFieldMember(frame.inherited, search)) {
      frame.inherited = r;
      return false;
    }
    if (!isFieldMember(r, search)) return false;
    errorAt(search.line, search.column, "reference.ambiguous", identToString(search.name),
            identToString(r->owner->name), identToString(frame.inherited->owner->name));
    finish(r);
    return true;
  };
  while (!stack.empty()) {
    FieldFrame& frame = stack.top();
    switch (frame.phase) {
      case FRAME_START: {
        if (Member* own = ownField(frame.cls, search)) {
          finish(own);
          continue;
        }
        frame.nextInterface = frame.cls->interfaces;
        frame.phase = FRAME_INTERFACES;
        ClassDef* superclass = isInterface(frame.cls) ? nullptr : usableClass(frame.cls->superclass);
        if (superclass == nullptr) continue;
        if (superclass->lookupMark == search.walk) {
          frame.inherited = superclass->lookupResult;
          continue;
        }
        superclass->lookupMark = search.walk;
        superclass->lookupResult = nullptr;
        frame.phase = FRAME_AFTER_SUPERCLASS;
        stack.push(FieldFrame{superclass, FRAME_START, nullptr, nullptr});
        continue;
      }
      case FRAME_AFTER_SUPERCLASS:
        frame.inherited = answer;
        frame.phase = FRAME_INTERFACES;
        continue;
      case FRAME_AFTER_INTERFACE:
        frame.phase = FRAME_INTERFACES;
        if (join(frame, answer)) continue;
        continue;
      default:
        break;
    }
    // FRAME_INTERFACES: the next interface that resolved.
    ClassDef* next = nullptr;
    while (frame.nextInterface != nullptr && next == nullptr) {
      next = usableClass(frame.nextInterface);
      frame.nextInterface = frame.nextInterface->next;
    }
    if (next == nullptr) {
      finish(frame.inherited);
      continue;
    }
    if (next->lookupMark == search.walk) {
      join(frame, next->lookupResult);
      continue;
    }
    next->lookupMark = search.walk;
    next->lookupResult = nullptr;
    frame.phase = FRAME_AFTER_INTERFACE;
    stack.push(FieldFrame{next, FRAME_START, nullptr, nullptr});
  }
  return answer;
}

}  // namespace

void resetLookupWalks() {
  lastLookupWalk = 0;
}

bool inStaticContext() {
  Member* method = global.ctx.currentMethod;
  return (global.ctx.flags & CTX_STATIC) != 0 ||
         (method != nullptr && (method->kind == MK_STATIC_INITIALIZER ||
                                (method->kind == MK_METHOD && (method->modifiers & M_STATIC) != 0)));
}

bool isStaticContext(const Member* method) {
  return method == nullptr || method->kind == MK_STATIC_INITIALIZER ||
         (method->kind == MK_METHOD && (method->modifiers & M_STATIC) != 0);
}

// In this order: the class's own fields and what it inherits; then, with searchOuter, each
// enclosing class outward (its own fields and what it inherits), the first that has the name
// giving the outer field. A field the class has, its own or inherited, hides the enclosing
// classes' fields of the name (JLS 6.3.1): beside an outer one the inherited field is the answer,
// with a warning, since a reader may take the name for the enclosing class's. A field found that
// is no member (private to a supertype, inaccessible) is passed over, and the first one met is
// told in *notMember when nothing else is found.
Member* lookupVariable(ClassDef* cls, Identifier* name, bool staticOnly, bool searchOuter, ClassDef** foundOutside,
                       int32_t line, int32_t column, bool* staticReported, Member** notMember) {
  if (foundOutside != nullptr) *foundOutside = nullptr;
  if (notMember != nullptr) *notMember = nullptr;
  if (cls == nullptr || name == nullptr) return nullptr;
  FieldSearch search{name, staticOnly, line, column, staticReported, newLookupWalk(), cls};
  Member* passedOver = nullptr;
  // What the class whose hierarchy was just searched has as a member.
  auto member = [&](Member* found) {
    if (found == nullptr || isFieldMember(found, search)) return found;
    if (passedOver == nullptr) passedOver = found;
    return static_cast<Member*>(nullptr);
  };
  auto answer = [&](Member* found) {
    if (found == nullptr && notMember != nullptr) *notMember = passedOver;
    return found;
  };
  Member* inherited = member(fieldInHierarchy(cls, search));
  // The class's own field is the answer; only an inherited one may meet an enclosing one.
  if (!searchOuter || (inherited != nullptr && inherited->owner == cls)) return answer(inherited);
  Member* fromOuter = nullptr;
  ClassDef* outside = nullptr;
  for (ClassDef* outer = cls->outer; outer != nullptr && fromOuter == nullptr; outer = outer->outer) {
    search.walk = newLookupWalk();
    fromOuter = member(fieldInHierarchy(outer, search));
    if (fromOuter != nullptr) outside = outer;
  }
  if (fromOuter == nullptr) return answer(inherited);
  if (inherited == nullptr) {
    if (foundOutside != nullptr) *foundOutside = outside;
    return fromOuter;
  }
  const char* text = identToString(name);
  if (inherited != fromOuter)
    warningAt(global.current, line, column, "warn.inner.variable.ambiguous", text, classToString(cls),
              classToString(outside));
  else if (!isStaticField(inherited))
    warningAt(global.current, line, column, "warn.inner.variable.ambiguous.same", text, classToString(cls),
              classToString(outside));
  return inherited;
}

void reportNotMember(Member* member, int32_t line, int32_t column) {
  const char* text = memberSignatureToString(member);
  const char* owner = classToString(member->owner);
  bool isPrivate = (member->modifiers & M_PRIVATE) != 0;
  bool isProtected = (member->modifiers & M_PROTECTED) != 0;
  switch (member->kind) {
    case MK_VARIABLE:
      if (isPrivate)
        errorAt(line, column, "private.field", text, owner);
      else if (isProtected)
        errorAt(line, column, "protected.field", text, owner);
      else
        errorAt(line, column, "package.field", text, owner);
      return;
    case MK_CONSTRUCTOR:
      if (isPrivate)
        errorAt(line, column, "private.constructor", text, owner);
      else if (isProtected)
        errorAt(line, column, "protected.constructor", text, owner);
      else
        errorAt(line, column, "package.constructor", text, owner);
      return;
    default:
      if (isPrivate)
        errorAt(line, column, "private.method", text, owner);
      else if (isProtected)
        errorAt(line, column, "protected.method", text, owner);
      else
        errorAt(line, column, "package.method", text, owner);
      return;
  }
}

// A long scope's members by name, kept beside its list: open addressing by linear probing and
// never a removal, so the members of one name are met in list order, the first declared first.
// The table follows the list as members are appended; a list begun anew (restartScope) drops it.
struct ScopeNames {
  Member* first;  // the list's first member when the table was made
  Member* last;   // the last member entered
  Member** slots;
  uint32_t mask;
  uint32_t used;
};

namespace {

// Scopes shorter than this are walked: most blocks declare a few locals.
constexpr int32_t SCOPE_NAMES_MIN_MEMBERS = 16;

uint32_t nameSlot(const Identifier* name, uint32_t mask) {
  auto bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(name));
  return static_cast<uint32_t>((bits * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

void enterScopeName(ScopeNames* names, Member* m) {
  uint32_t i = nameSlot(m->name, names->mask);
  while (names->slots[i] != nullptr) i = (i + 1) & names->mask;
  names->slots[i] = m;
  names->used++;
  names->last = m;
}

// A table for the scope's whole list, at most half full after `extra` more members.
ScopeNames* makeScopeNames(Scope* scope, uint32_t extra) {
  uint32_t count = extra;
  for (Member* m = scope->first; m != nullptr; m = m->next) count++;
  uint32_t size = 64;
  while (size < 2 * count) size *= 2;
  auto* names = arenaNew<ScopeNames>(&global.mainArena);
  names->slots = arenaNewArray<Member*>(&global.mainArena, size);
  names->mask = size - 1;
  names->first = scope->first;
  for (Member* m = scope->first; m != nullptr; m = m->next) enterScopeName(names, m);
  return names;
}

// The scope's table with every member of its list entered: the members appended since the last
// lookup are added, and a list begun anew or outgrowing the table is entered again.
ScopeNames* currentScopeNames(Scope* scope) {
  ScopeNames* names = scope->names;
  if (names->first != scope->first || names->last == nullptr) return scope->names = makeScopeNames(scope, 0);
  for (Member* m = names->last; m != scope->last;) {
    m = m->next;
    if (m == nullptr) return scope->names = makeScopeNames(scope, 0);
    if (2 * (names->used + 1) > names->mask + 1) return scope->names = makeScopeNames(scope, names->used);
    enterScopeName(names, m);
  }
  return names;
}

// The scope's table, made once the list is longer than a few members; null for a short list.
ScopeNames* scopeNamesOf(Scope* scope) {
  if (scope->names != nullptr) return currentScopeNames(scope);
  int32_t walked = 0;
  for (Member* m = scope->first; m != nullptr; m = m->next)
    if (++walked > SCOPE_NAMES_MIN_MEMBERS) return scope->names = makeScopeNames(scope, 0);
  return nullptr;
}

bool acceptLocalEntry(Member* m, void*) {
  return isLocalEntry(m);
}

}  // namespace

Member* findScopeMember(Scope* scope, Identifier* name, bool (*accept)(Member*, void*), void* context) {
  ScopeNames* names = scopeNamesOf(scope);
  if (names == nullptr) {
    for (Member* m = scope->first; m != nullptr; m = m->next)
      if (m->name == name && accept(m, context)) return m;
    return nullptr;
  }
  for (uint32_t i = nameSlot(name, names->mask); names->slots[i] != nullptr; i = (i + 1) & names->mask) {
    Member* m = names->slots[i];
    if (m->name == name && accept(m, context)) return m;
  }
  return nullptr;
}

// Locals first: the open scopes from the innermost outward, the first local or parameter of the
// name winning. Where the scopes pass from a local class's body into the method around it, the
// class's own fields and what it inherits come before that method's locals, as they stand closer.
// Then the fields of the current class, its supertypes and its enclosing classes.
Member* findVariable(Scope* scope, ClassDef* cls, Identifier* name, bool searchOuter, ClassDef** foundOutside,
                     int32_t line, int32_t column, bool* staticReported, Member** notMember) {
  if (foundOutside != nullptr) *foundOutside = nullptr;
  if (notMember != nullptr) *notMember = nullptr;
  bool staticContext = inStaticContext();
  ClassDef* owner = scope != nullptr ? scope->owner : nullptr;
  Member* passedOver = nullptr;
  for (Scope* s = scope; s != nullptr; s = s->outer) {
    if (s->owner != owner) {
      // Only a local class has the locals of a method around it.
      if (owner != nullptr && (owner->flags & CF_LOCAL) != 0) {
        Member* missed = nullptr;
        Member* field = lookupVariable(owner, name, staticContext, false, nullptr, line, column, staticReported, &missed);
        if (field != nullptr) {
          if (foundOutside != nullptr && owner != global.ctx.enclosing) *foundOutside = owner;
          return field;
        }
        if (passedOver == nullptr) passedOver = missed;
      }
      owner = s->owner;
    }
    if (Member* m = findScopeMember(s, name, acceptLocalEntry, nullptr)) {
      if (foundOutside != nullptr && s->owner != nullptr && s->owner != global.ctx.enclosing) *foundOutside = s->owner;
      return m;
    }
  }
  Member* missed = nullptr;
  Member* field = cls == nullptr ? nullptr
                                 : lookupVariable(cls, name, staticContext, searchOuter, foundOutside, line, column,
                                                  staticReported, &missed);
  if (field == nullptr && notMember != nullptr) *notMember = passedOver != nullptr ? passedOver : missed;
  return field;
}

namespace {

Package* packageOrRoot(const ClassDef* cls) {
  return cls->package != nullptr ? cls->package : &rootPackage;
}

bool reachesBySuperclass(ClassDef* from, const ClassDef* owner) {
  for (ClassDef* c = from; c != nullptr; c = usableClass(c->superclass))
    if (c == owner) return true;
  return false;
}

}  // namespace

// Private: the owner itself or another class of its outermost class. Protected: the owner's
// package, or a subclass of the owner; the body of a class nested in such a subclass counts as
// the subclass's. Package access: the owner's package. Public: everywhere.
bool isAccessible(ClassDef* from, const Member* member) {
  ClassDef* owner = member->owner;
  if (from == nullptr || owner == nullptr || from == owner) return true;
  bool classMember = member->kind == MK_VARIABLE || member->kind == MK_METHOD || member->kind == MK_CONSTRUCTOR;
  uint16_t modifiers = member->modifiers;
  if (classMember && (modifiers & M_PRIVATE) != 0) return sameOutermostClass(from, owner);
  bool samePackage = packageOrRoot(from) == packageOrRoot(owner);
  if (classMember && (modifiers & M_PROTECTED) != 0) {
    if (samePackage) return true;
    for (ClassDef* c = from; c != nullptr; c = c->outer)
      if (reachesBySuperclass(c, owner)) return true;
    return false;
  }
  if ((modifiers & M_PUBLIC) != 0 && classMember) return true;
  return samePackage;
}

ClassDef* protectedAccessClass(ClassDef* from, const Member* member, ClassDef* through) {
  ClassDef* owner = member->owner;
  bool instance = (member->modifiers & M_STATIC) == 0;
  for (ClassDef* c = from; c != nullptr; c = c->outer)
    if (isSubclassOf(c, owner) && (!instance || through == nullptr || isSubclassOf(through, c))) return c;
  return nullptr;
}

void checkDeprecatedUse(Member* member, int32_t line, int32_t column) {
  if (member == nullptr || member->owner == nullptr) return;
  bool kind = member->kind == MK_VARIABLE || member->kind == MK_METHOD || member->kind == MK_CONSTRUCTOR;
  bool deprecated = (kind && (member->modifiers & M_DEPRECATED) != 0) || (member->owner->flags & CF_DEPRECATED) != 0;
  if (!deprecated || global.current == nullptr || line <= 0 || !usedFromAnotherClass(global.ctx.enclosing, member->owner)) return;
  warnDeprecated(member->owner, member, nullptr, nullptr, line, column);
}

namespace {

// The applicable candidates of a call that no other candidate found so far is more specific than,
// in the order found; more than one left at the end is an ambiguity.
class MaximalCandidates {
 public:
  void consider(Member* m) {
    int32_t kept = 0;
    bool dominated = false;
    for (int32_t i = 0; i < items_.size(); i++) {
      Member* c = items_[i];
      if (c == m) return;
      Member* better = dominated ? nullptr : mostSpecific(m, c);
      if (better == c) dominated = true;
      // m more specific than c: c drops out.
      if (better == m) continue;
      items_[kept++] = c;
    }
    items_.truncate(kept);
    if (!dominated) items_.push(m);
  }
  Member* single() const { return items_.size() == 1 ? items_[0] : nullptr; }
  int32_t count() const { return items_.size(); }
  Member* const* items() const { return &items_[0]; }

 private:
  FrameStack<Member*, 8> items_;
};

struct MethodSearch {
  Identifier* name;  // null: constructors
  ExprNode* arguments;
  ClassDef* from;
  Member* firstByName;
  Member* best;  // without arguments
  MaximalCandidates candidates;  // with arguments
  ClassDef* start;  // the class searched: a private method of its superclasses is no member of it
  Member* notMember;  // the first method met that would apply but is no member of the class searched
};

bool hasNoParameters(Member* m) {
  return skipSyntheticParameters(m->parameters) == nullptr;
}

// The class's own methods (or constructors) of the name that the current class may call. Without
// arguments the first one without parameters is the answer of the class, replacing one found
// further down only where `replace` says so; with arguments every applicable one is a candidate.
void scanMembers(ClassDef* cls, MethodSearch& search, bool replace) {
  int32_t wanted = search.name != nullptr ? MK_METHOD : MK_CONSTRUCTOR;
  MembersNamed named(cls, search.name);
  for (Member* m = named.next(); m != nullptr; m = named.next()) {
    if (m->kind != wanted) continue;
    if (!isAccessible(search.from, m) || ((m->modifiers & M_PRIVATE) != 0 && cls != search.start)) {
      if (search.notMember == nullptr && (search.arguments == nullptr ? hasNoParameters(m)
                                                                     : argumentsMatch(search.arguments, m->parameters)))
        search.notMember = m;
      continue;
    }
    // A static method of an interface (a class file of a later version) is no member of the
    // interfaces and classes below it.
    if ((m->modifiers & M_STATIC) != 0 && isInterface(cls) && cls != search.start) continue;
    if (search.firstByName == nullptr) search.firstByName = m;
    if (search.arguments == nullptr) {
      if (!hasNoParameters(m)) continue;
      if (replace || search.best == nullptr) search.best = m;
      return;
    }
    if (argumentsMatch(search.arguments, m->parameters)) search.candidates.consider(m);
  }
}

// Every interface the class's interface list reaches, depth first in declaration order, each
// once.
void scanSuperinterfaces(ClassDef* cls, MethodSearch& search, uint32_t walk) {
  FrameStack<ClassRef*> stack;
  FrameStack<ClassRef*> reversed;
  auto pushInterfaces = [&](ClassDef* c) {
    // Pushed last to first, so that they come off in declaration order.
    for (ClassRef* r = c->interfaces; r != nullptr; r = r->next) reversed.push(r);
    while (!reversed.empty()) {
      stack.push(reversed.top());
      reversed.pop();
    }
  };
  pushInterfaces(cls);
  while (!stack.empty()) {
    ClassDef* i = usableClass(stack.top());
    stack.pop();
    if (i == nullptr || i->lookupMark == walk) continue;
    i->lookupMark = walk;
    scanMembers(i, search, false);
    pushInterfaces(i);
  }
}

// The answer of a search; when it has none, what the search met instead.
Member* searchResult(MethodSearch& search, MethodMiss* miss) {
  Member* best = search.arguments == nullptr ? search.best : search.candidates.single();
  if (best != nullptr || miss == nullptr) return best;
  if (search.arguments != nullptr && search.candidates.count() > 1) {
    miss->ambiguous = candidatesToString(search.candidates.items(), search.candidates.count());
  } else if (miss->notMember == nullptr) {
    miss->notMember = search.notMember;
  }
  return nullptr;
}

// The class, then its superclasses in turn (not for constructors and interfaces): each level's
// own methods, then the interfaces it reaches. Without arguments the lowest level that has a method
// without parameters decides; with arguments all applicable methods of the whole search compete.
void searchHierarchy(ClassDef* cls, MethodSearch& search) {
  uint32_t walk = newLookupWalk();
  for (ClassDef* k = cls; k != nullptr;) {
    if (k->lookupMark == walk) break;
    k->lookupMark = walk;
    scanMembers(k, search, true);
    if (search.arguments == nullptr && search.best != nullptr && search.best->owner == k) break;
    if (search.name == nullptr) break;
    // A class inherits from every superinterface, abstract or not: an interface method with a
    // body (a library's) may be the only one of its signature.
    scanSuperinterfaces(k, search, walk);
    if (isInterface(k)) break;
    k = usableClass(k->superclass);
  }
}

// The innermost enclosing class that declares a method of the name the current class may call,
// unless the nested class inherits that class's methods itself.
ClassDef* enclosingDeclaring(ClassDef* cls, Identifier* name) {
  ClassDef* from = accessContext(cls);
  for (ClassDef* outer = cls->outer; outer != nullptr; outer = outer->outer) {
    MembersNamed named(outer, name);
    for (Member* m = named.next(); m != nullptr; m = named.next())
      if (m->kind == MK_METHOD && isAccessible(from, m)) return isSubclassOf(cls, outer) ? nullptr : outer;
  }
  return nullptr;
}

}  // namespace

// The class and its supertypes (searchHierarchy). A nested class that has no method of the name
// searches the enclosing classes outward; one that has, its own or inherited, keeps to them
// (JLS 15.12.1), with a warning where an enclosing class declares methods of the name too; where
// none of them applies, *miss tells the enclosing class whose methods they hide.
Member* lookupMethod(ClassDef* cls, Identifier* name, bool noOuterSearch, ExprNode* arguments,
                     ClassDef** foundOutside, int32_t line, int32_t column, MethodMiss* miss) {
  if (foundOutside != nullptr) *foundOutside = nullptr;
  if (cls == nullptr) return nullptr;
  MethodSearch search{name, arguments, accessContext(cls), nullptr, nullptr, {}, cls, nullptr};
  searchHierarchy(cls, search);
  Member* best = searchResult(search, miss);
  if (search.firstByName != nullptr && search.firstByName->owner == cls) {
    checkDeprecatedUse(best, line, column);
    return best;
  }
  if (!noOuterSearch && name != nullptr && (cls->flags & CF_NESTED) != 0 && cls->outer != nullptr) {
    if (search.firstByName == nullptr) {
      ClassDef* outside = nullptr;
      best = lookupMethod(cls->outer, name, false, arguments, &outside, line, column, miss);
      if (foundOutside != nullptr) *foundOutside = outside != nullptr ? outside : cls->outer;
      return best;
    }
    ClassDef* outer = enclosingDeclaring(cls, name);
    if (outer != nullptr && best != nullptr)
      warningAt(global.current, line, column, "warn.inner.method.ambiguous", identToString(name), classToString(cls),
                classToString(outer));
    else if (outer != nullptr && miss != nullptr)
      miss->hiddenEnclosing = outer;
  }
  checkDeprecatedUse(best, line, column);
  return best;
}
