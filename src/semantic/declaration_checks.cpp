// Declaration checks of classes and their members (headers, modifiers, duplicates, overriding
// and hiding, the abstract methods a class leaves unimplemented, the duplicate-local check), and
// the lookups that class lookup shares with them: inner classes by name, the supertype
// circularity walk and the deprecation warnings.
#include "semantic/declaration_checks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "semantic/class_lookup.h"
#include "semantic/class_names.h"
#include "semantic/class_reader.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/member_index.h"
#include "semantic/name_lookup.h"
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

// The class a supertype reference names, resolved on demand; none for a class that could not be
// found or read (reported where it was named).
ClassDef* usableSupertype(ClassRef* ref) {
  if (ref == nullptr) return nullptr;
  if (ref->resolved == nullptr) resolveRef(ref);
  ClassDef* cls = ref->resolved;
  return cls != nullptr && cls->kind != CLASS_KIND_ERROR ? cls : nullptr;
}

ClassDef* entryClass(ClassDef* holder, ClassRef* entry) {
  if (entry->resolved == nullptr) loadMemberClass(holder, entry);
  return entry->resolved != nullptr && entry->resolved->kind != CLASS_KIND_ERROR ? entry->resolved : nullptr;
}

// The supertypes of `cls` to visit after it, pushed so that they come off the stack in the order
// superclass, then each interface: the order of a depth-first search.
using ClassStack = FrameStack<ClassDef*, 16>;

void pushSupertypes(ClassStack* stack, ClassDef* cls) {
  int32_t first = stack->size();
  for (ClassRef* i = cls->interfaces; i != nullptr; i = i->next) stack->push(i->resolved);
  for (int32_t low = first, high = stack->size() - 1; low < high; low++, high--) std::swap((*stack)[low], (*stack)[high]);
  stack->push(resolvedClass(cls->superclass));
}

bool traceOn() {
  return (global.traceLevel & TRACE_GENERAL) != 0;
}

bool isPackagePrivate(const Member* m) {
  return (m->modifiers & (M_PUBLIC | M_PROTECTED | M_PRIVATE)) == 0;
}

// Access is weaker when the overrider drops public, or drops protected to package access, or is
// private.
bool weakensAccess(const Member* overrider, const Member* overridden) {
  uint16_t o = overrider->modifiers;
  uint16_t n = overridden->modifiers;
  if (o & M_PRIVATE) return true;
  if ((n & M_PUBLIC) && (o & M_PUBLIC) == 0) return true;
  return (n & M_PROTECTED) && (o & (M_PUBLIC | M_PROTECTED)) == 0;
}

// Where a report about a method goes while class Q is checked: at the method in Q's file when it
// is Q's own; a method Q only inherits may sit in a class file or another source, and the fault is
// Q's, which brings the two methods together: it is reported at Q.
struct ReportSite {
  SourceFile* file;
  int32_t line;
  int32_t column;
};

ReportSite siteOf(const ClassDef* q, const Member* m) {
  if (m->owner == q && m->line > 0) return {q->sourceFile, m->line, m->column};
  return {q->sourceFile, q->line, q->column};
}

template <class... Texts>
void reportAt(const ReportSite& site, const char* key, Texts... texts) {
  errorInFile(site.file, site.line, site.column, key, texts...);
}

bool isMethodKind(const Member* m) {
  return m->kind == MK_METHOD || m->kind == MK_CONSTRUCTOR;
}

// The first method of `cls`, in member order, that methodsMatch `m`, among those that `accept`.
template <class Accept>
Member* firstMatching(ClassDef* cls, const Member* m, Accept accept) {
  MembersNamed named(cls, m->name);
  for (Member* n = named.next(); n != nullptr; n = named.next())
    if (n != m && isMethodKind(n) && accept(n) && methodsMatch(m, n)) return n;
  return nullptr;
}

// The state of one checkClassDef: the class, its proper supertypes each once (its interfaces
// depth first, each before its own supertypes, then its superclass likewise), and the pairs of
// inherited methods already compared.
struct ClassCheck {
  ClassDef* cls;
  std::vector<ClassDef*> ancestors;
  std::set<std::pair<const Member*, const Member*>> comparedPairs;
};

void collectAncestors(ClassCheck* check) {
  ClassDef* q = check->cls;
  WalkMarks marks;
  std::vector<ClassDef*> stack;
  auto pushOf = [&stack](ClassDef* cls) {
    stack.push_back(usableSupertype(cls->superclass));
    size_t first = stack.size();
    for (ClassRef* i = cls->interfaces; i != nullptr; i = i->next) stack.push_back(usableSupertype(i));
    std::reverse(stack.begin() + first, stack.end());
  };
  pushOf(q);
  while (!stack.empty()) {
    ClassDef* x = stack.back();
    stack.pop_back();
    if (x == nullptr || x == q || seen(x, marks)) continue;
    check->ancestors.push_back(x);
    pushOf(x);
  }
}

}  // namespace

namespace {

ClassDef* thrownClass(const ThrowsEntry* t) {
  return t->classRef != nullptr ? usableSupertype(t->classRef) : nullptr;
}

// Each checked exception that m declares must be a subclass of one that n declares. True after a
// report.
bool checkThrowsCompatible(const ClassCheck& check, Member* m, Member* n) {
  if (m->throwsList == nullptr && n->throwsList == nullptr) return false;
  for (ThrowsEntry* t = m->throwsList; t != nullptr; t = t->next) {
    ClassDef* thrown = thrownClass(t);
    if (thrown == nullptr || !isCheckedException(thrown)) continue;
    bool allowed = false;
    for (ThrowsEntry* u = n->throwsList; u != nullptr && !allowed; u = u->next) {
      ClassDef* declared = thrownClass(u);
      allowed = declared != nullptr && isCheckedException(declared) && reachesClass(thrown, declared);
    }
    if (!allowed) {
      const char* nText = memberToString(n);
      reportAt(siteOf(check.cls, m), "dup.abs.method.type.throws", nText, memberToString(m));
      return true;
    }
  }
  return false;
}

// The faults of one method against the methods it overrides, each reported once however many
// supertypes declare a method it overrides (an interface and the one it extends, a superclass and
// an interface).
struct OverrideFaults {
  bool result = false;
  bool access = false;
  bool staticness = false;
  bool finalMethod = false;
  bool throws = false;
};

// m against one method n of a supertype that it overrides, hides or implements. A package-private
// method of another package is not inherited: after the note on a differing result type nothing
// more is asked of it.
void checkOverridden(const ClassCheck& check, Member* m, Member* n, bool fromMemberCheck, OverrideFaults* faults) {
  ClassDef* q = check.cls;
  ClassDef* owner = m->owner;
  ClassDef* x = n->owner;
  bool otherPackage = isPackagePrivate(n) && packageOrRoot(x) != packageOrRoot(owner);
  if (!sameType(m->type, n->type)) {
    if (otherPackage) {
      const char* mText = memberToString(m);
      const char* ownerText = classToString(owner);
      warningAt(q->sourceFile, siteOf(q, m).line, siteOf(q, m).column, "warn.package-private.not.overriden", mText,
                ownerText, classToString(x));
    } else if (!faults->result) {
      reportAt(siteOf(q, m), "redefined.different.return");
      faults->result = true;
    }
  }
  if (otherPackage) return;
  if (weakensAccess(m, n) && !faults->access) {
    reportAt(siteOf(q, m), "redefined.more.private");
    faults->access = true;
  }
  bool mStatic = (m->modifiers & M_STATIC) != 0;
  bool nStatic = (n->modifiers & M_STATIC) != 0;
  if (nStatic != mStatic && !faults->staticness) {
    faults->staticness = true;
    if (nStatic) {
      const char* mText = memberToString(m);
      reportAt(siteOf(q, m), "static.method.not.overridden", mText, classToString(x));
    } else {
      const char* nText = memberToString(n);
      reportAt(siteOf(q, m), "method.overridden.static", nText, classToString(x));
    }
  }
  if ((n->modifiers & M_FINAL) && !faults->finalMethod) {
    const char* mText = memberToString(m);
    reportAt(siteOf(q, m), "final.method.not.overridden", mText, classToString(x));
    faults->finalMethod = true;
  }
  if ((fromMemberCheck || (m->modifiers & M_ABSTRACT) == 0 || (n->modifiers & M_ABSTRACT) == 0) && !faults->throws)
    faults->throws = checkThrowsCompatible(check, m, n);
  if (n->modifiers & M_DEPRECATED) {
    ReportSite site = siteOf(q, m);
    warnDeprecated(nullptr, n, owner, x, site.line, site.column);
  }
}

// A method that a supertype's method of the same signature meets: private methods, static
// methods of interfaces (class files of later versions) and compiler-made methods are not
// inherited, so they are passed over; so is an abstract class's copy of an interface method,
// since the interface itself is among the supertypes.
bool meetsOverride(const ClassDef* x, const Member* n) {
  if (n->kind != MK_METHOD) return false;
  if (n->modifiers & (M_PRIVATE | M_SYNTHETIC | M_COPIED_INTERFACE_METHOD)) return false;
  return !(isInterface(x) && (n->modifiers & M_STATIC) != 0);
}

// m against every supertype of the class being checked, each once however many paths reach it.
// An interface has only the public methods of Object: its own clone() or finalize() overrides
// nothing.
void checkOverride(ClassCheck* check, Member* m, bool fromMemberCheck) {
  bool interfaceChecked = isInterface(check->cls);
  OverrideFaults faults;
  for (ClassDef* x : check->ancestors) {
    bool objectOfInterface = interfaceChecked && !isInterface(x);
    MembersNamed named(x, m->name);
    for (Member* n = named.next(); n != nullptr; n = named.next()) {
      if (n == m || !meetsOverride(x, n) || !methodsMatch(m, n)) continue;
      if (objectOfInterface && (n->modifiers & M_PUBLIC) == 0) continue;
      if (!fromMemberCheck) {
        // Two inherited methods are compared once, whichever of them is taken first.
        const Member* low = std::min<const Member*>(m, n, std::less<const Member*>());
        const Member* high = low == m ? n : m;
        auto pair = std::make_pair(low, high);
        if (!check->comparedPairs.insert(pair).second) continue;
      }
      checkOverridden(*check, m, n, fromMemberCheck, &faults);
    }
  }
}

// Keeps only public when public is among several access modifiers, else drops private; a member
// class's flags follow its declaration's modifiers.
void dropConflictingAccess(Member* m) {
  if (m->modifiers & M_PUBLIC)
    m->modifiers &= ~(M_PROTECTED | M_PRIVATE);
  else
    m->modifiers &= ~M_PRIVATE;
  if (m->kind == MK_CLASS_DECLARATION && m->declaredClass != nullptr) {
    ClassDef* cls = m->declaredClass;
    if (m->modifiers & M_PUBLIC) cls->flags &= ~(CF_PROTECTED | CF_PRIVATE);
    if ((m->modifiers & M_PRIVATE) == 0) cls->flags &= ~CF_PRIVATE;
  }
}

// m against the methods (constructors against the constructors) declared before it. The result
// types are compared by what they mean: two int[] or String results are one type.
void checkDuplicateMethod(ClassDef* q, Member* m) {
  Member* earlier = nullptr;
  MembersNamed named(q, m->name);
  for (Member* n = named.next(); n != nullptr && n != m && earlier == nullptr; n = named.next())
    if (n->kind == m->kind && methodsMatch(m, n)) earlier = n;
  if (earlier == nullptr) return;
  ReportSite site{q->sourceFile, m->line, m->column};
  if (!sameType(m->type, earlier->type)) {
    const char* mText = memberToString(m);
    reportAt(site, "dup.method.type.decl", mText, memberToString(earlier));
  } else if (m->kind == MK_CONSTRUCTOR) {
    reportAt(site, "dup.construct.decl", classToString(q));
  } else {
    reportAt(site, "dup.method.decl", memberToString(m));
  }
}

// Two fields of one name would make a class file that no virtual machine loads.
void checkDuplicateField(ClassDef* q, Member* m, std::unordered_map<const Identifier*, Member*>* fields) {
  if (m->name == nullptr || (m->modifiers & M_SYNTHETIC) != 0) return;
  if (!fields->emplace(m->name, m).second)
    reportAt(ReportSite{q->sourceFile, m->line, m->column}, "dup.field.decl", identToString(m->name));
}

void checkMethodModifiers(ClassDef* q, Member* m) {
  uint16_t bits = m->modifiers;
  ReportSite site{q->sourceFile, m->line, m->column};
  if (bits & M_ABSTRACT) {
    if (bits & M_FINAL) reportAt(site, "final.abstract.method");
    if (bits & M_STATIC) reportAt(site, "static.abstract.method");
    if (bits & M_PRIVATE) reportAt(site, "private.abstract.method");
    if (bits & M_NATIVE) reportAt(site, "native.abstract.method");
    if (bits & M_SYNCHRONIZED) reportAt(site, "sync.abstract.method");
    if (bits & M_STRICTFP) reportAt(site, "strictfp.abstract.method");
  }
  // strictfp rules how a body computes: a native method has none of its own.
  if ((bits & M_NATIVE) && (bits & M_STRICTFP)) reportAt(site, "strictfp.native.method");
  if (m->name == nullptr || (bits & M_COPIED_INTERFACE_METHOD) != 0) return;
  bool hasBody = m->bodyOffset != 0;
  bool needsNone = (bits & (M_ABSTRACT | M_NATIVE)) != 0;
  if (needsNone && hasBody)
    reportAt(site, "method.body.not.expected", identToString(m->name));
  else if (!needsNone && !hasBody && (m->methodFlags & METHOD_BODY_REPORTED) == 0)
    reportAt(site, "method.body.is.expected", identToString(m->name));
}

void checkThrowsTypes(ClassDef* q, Member* m) {
  for (ThrowsEntry* t = m->throwsList; t != nullptr; t = t->next) {
    ClassDef* thrown = thrownClass(t);
    if (thrown != nullptr && !reachesClass(thrown, throwableClass()))
      reportAt(ReportSite{q->sourceFile, t->line, t->column}, "throw.type", classRefToString(t->classRef));
  }
}

struct MemberCheck {
  ClassCheck* check;
  std::unordered_map<const Identifier*, Member*> fields;
};

// Every member but the initializer blocks, all in the class's file at the member.
void checkMemberDef(MemberCheck* state, Member* m) {
  ClassDef* q = state->check->cls;
  if (m->kind == MK_STATIC_INITIALIZER || m->kind == MK_INSTANCE_INITIALIZER) return;
  ReportSite site{q->sourceFile, m->line, m->column};
  if (m->kind == MK_CONSTRUCTOR) {
    if (isInterface(q)) reportAt(site, "interface.no.constructor");
    if (m->type != nullptr) reportAt(site, "constructor.return");
  }
  uint16_t access = m->modifiers & (M_PUBLIC | M_PROTECTED | M_PRIVATE);
  if (access & (access - 1)) {
    reportAt(site, "conflict.decl.mod");
    dropConflictingAccess(m);
  }
  if (m->kind == MK_VARIABLE) {
    checkDuplicateField(q, m, &state->fields);
    if (isInterface(q) && (m->modifiers & M_FINAL) != 0 && m->bodyOffset == 0)
      reportAt(site, "uninit.static.final.var", identToString(m->name));
    return;
  }
  if (m->kind != MK_METHOD && m->kind != MK_CONSTRUCTOR) return;
  checkDuplicateMethod(q, m);
  if (m->kind == MK_METHOD) {
    checkOverride(state->check, m, true);
    checkMethodModifiers(q, m);
  }
  checkThrowsTypes(q, m);
}

constexpr uint16_t ILLEGAL_INTERFACE_METHOD =
    M_PRIVATE | M_PROTECTED | M_NATIVE | M_STATIC | M_FINAL | M_SYNCHRONIZED | M_STRICTFP;
constexpr uint16_t ILLEGAL_INTERFACE_FIELD = M_PRIVATE | M_PROTECTED;

// Modifiers that no interface member may carry are reported and dropped, before the member checks
// see them.
void checkInterfaceMembers(ClassDef* i) {
  for (Member* m = i->members; m != nullptr; m = m->next) {
    ReportSite site{i->sourceFile, m->line, m->column};
    switch (m->kind) {
      case MK_STATIC_INITIALIZER: reportAt(site, "interface.no.static.block"); break;
      case MK_INSTANCE_INITIALIZER: reportAt(site, "interface.no.instance.block"); break;
      case MK_METHOD:
        if (m->modifiers & ILLEGAL_INTERFACE_METHOD) {
          reportAt(site, "illegal.interface.method.mod", memberToString(m));
          m->modifiers &= ~ILLEGAL_INTERFACE_METHOD;
        }
        break;
      case MK_VARIABLE:
        if (m->modifiers & ILLEGAL_INTERFACE_FIELD) {
          reportAt(site, "illegal.interface.field.mod", identToString(m->name));
          m->modifiers &= ~ILLEGAL_INTERFACE_FIELD;
        }
        break;
      case MK_CLASS_DECLARATION:
        if (m->modifiers & ILLEGAL_INTERFACE_FIELD) {
          reportAt(site, "illegal.interface.class.mod", identToString(m->name));
          m->modifiers &= ~ILLEGAL_INTERFACE_FIELD;
          if (m->declaredClass != nullptr) m->declaredClass->flags &= ~(CF_PRIVATE | CF_PROTECTED);
        }
        break;
      default: break;
    }
  }
}

}  // namespace

namespace {

// One abstract method a class has yet to implement, and the class that declares it.
struct AbstractEntry {
  Member* method;
  ClassDef* declaringClass;
};

using AbstractList = std::vector<AbstractEntry>;

void addAbstract(Member* method, ClassDef* cls, AbstractList* list) {
  if (traceOn()) std::printf("addAbstract(): adding %s\n", methodToString(method));
  list->push_back({method, cls});
}

// Only methods with the abstract bit count: a newer library's interfaces carry default and static
// methods, which a class need not implement. The copies that an abstract class takes from its
// interfaces are passed over, since the interfaces themselves are collected.
void collectOwnAbstract(ClassDef* cls, AbstractList* list) {
  for (Member* m = cls->members; m != nullptr; m = m->next)
    if (m->kind == MK_METHOD && (m->modifiers & M_ABSTRACT) != 0 && (m->modifiers & M_COPIED_INTERFACE_METHOD) == 0)
      addAbstract(m, cls, list);
}

// The class's own abstract methods, then each interface depth first (its methods before its
// superinterfaces), then the superclass and its supertypes likewise; each class once.
void collectAbstractMethods(ClassCheck* check, AbstractList* list) {
  collectOwnAbstract(check->cls, list);
  for (ClassDef* x : check->ancestors) collectOwnAbstract(x, list);
}

ClassDef* superclassStep(ClassDef* cls) {
  return usableSupertype(cls->superclass);
}

// True when `cls` is `target` or extends or implements it.
bool reachesType(ClassDef* target, ClassDef* cls) {
  WalkMarks marks;
  for (ClassDef* c = cls; c != nullptr && !seen(c, marks); c = superclassStep(c))
    if (c == target || extendsInterface(c->interfaces, target)) return true;
  return false;
}

// Removes the entries that K implements, first for K the class itself, then up its superclass
// chain (an abstract method with package access only by a method of its package). A concrete
// method that implements an interface's method which K itself does not reach meets that method
// here for the first time, so its static bit, throws list, result type and access are checked
// here, each fault once; every other pair was checked as overriding by the class that holds both.
void filterAbstractList(ClassCheck* check, AbstractList* list) {
  ClassDef* q = check->cls;
  std::unordered_map<const Member*, OverrideFaults> faultsOf;
  WalkMarks marks;
  for (ClassDef* k = q; k != nullptr && !list->empty() && k->kind == CLASS_KIND_CLASS && !seen(k, marks);
       k = superclassStep(k)) {
    AbstractList kept;
    for (const AbstractEntry& entry : *list) {
      ClassDef* declaring = entry.declaringClass;
      if (declaring->kind == CLASS_KIND_CLASS && declaring != k && !isSubclassOf(k, declaring)) {
        kept.push_back(entry);
        continue;
      }
      Member* found = firstMatching(k, entry.method, [](const Member* n) {
        return n->kind == MK_METHOD && (n->modifiers & (M_PRIVATE | M_ABSTRACT)) == 0;
      });
      // A method with package access is overridden only by a method of its own package.
      if (found != nullptr && isPackagePrivate(entry.method) && packageOrRoot(k) != packageOrRoot(declaring)) found = nullptr;
      if (found == nullptr) {
        kept.push_back(entry);
        continue;
      }
      ReportSite site = k == q ? siteOf(q, found) : siteOf(q, entry.method);
      if (isInterface(declaring) && !reachesType(declaring, k)) {
        // The method meets each interface method it implements; a fault is reported once.
        OverrideFaults& faults = faultsOf[found];
        if ((found->modifiers & M_STATIC) && !faults.staticness) {
          reportAt(site, "abs.method.ovrd.static", memberToString(found));
          faults.staticness = true;
        }
        if (!faults.throws) faults.throws = checkThrowsCompatible(*check, found, entry.method);
        if (!sameType(found->type, entry.method->type) && !faults.result) {
          const char* entryText = memberToString(entry.method);
          reportAt(site, "dup.abs.method.type.decl", entryText, memberToString(found));
          faults.result = true;
        }
        if (weakensAccess(found, entry.method) && !faults.access) {
          const char* foundText = memberToString(found);
          const char* kText = classToString(k);
          const char* entryText = memberToString(entry.method);
          reportAt(site, "method.ovrd.restrict", foundText, kText, entryText, classToString(declaring));
          faults.access = true;
        }
      }
      if (traceOn()) {
        const char* entryText = memberToString(entry.method);
        std::printf("filterAbstractList(): removing %s, found %s\n", entryText, memberToString(found));
      }
    }
    list->swap(kept);
  }
}

void checkAbstractMethods(ClassCheck* check) {
  ClassDef* q = check->cls;
  if (traceOn()) std::printf("checkAbstractMethods() on %s\n", classToString(q));
  AbstractList list;
  collectAbstractMethods(check, &list);
  filterAbstractList(check, &list);
  if (list.empty()) return;
  if (q->kind == CLASS_KIND_CLASS && (q->flags & CF_ABSTRACT) == 0) {
    const AbstractEntry& first = list.front();
    const char* qText = classToString(q);
    const char* methodText = memberToString(first.method);
    reportAt(ReportSite{q->sourceFile, q->line, q->column}, "must.be.abstract", qText, methodText,
             classToString(first.declaringClass));
  }
  // What the class leaves abstract must still agree with what else it inherits.
  for (const AbstractEntry& entry : list)
    if (entry.declaringClass != q) checkOverride(check, entry.method, false);
}

bool declaresMatchingMethod(ClassDef* cls, const Member* method) {
  WalkMarks marks;
  for (ClassDef* c = cls; c != nullptr && !seen(c, marks); c = superclassStep(c))
    if (firstMatching(c, method, [](const Member* n) { return n->kind == MK_METHOD; }) != nullptr)
      return true;
  return false;
}

// An abstract class gets a public abstract copy of every interface method that neither it nor a
// superclass declares, appended to its members, so that its own code and its subclasses' call
// the method through the class.
void addMissingInterfaceMethods(ClassDef* q) {
  if ((q->flags & CF_ABSTRACT) == 0 || isInterface(q)) return;
  if (traceOn()) std::printf("Checking abstract class %s for missing interface methods\n", classToString(q));
  Member* tail = nullptr;
  for (Member* m = q->members; m != nullptr; m = m->next) tail = m;
  WalkMarks marks;
  std::vector<ClassDef*> stack;
  auto pushInterfaces = [&stack](ClassRef* list) {
    size_t first = stack.size();
    for (ClassRef* i = list; i != nullptr; i = i->next) stack.push_back(usableSupertype(i));
    std::reverse(stack.begin() + first, stack.end());
  };
  pushInterfaces(q->interfaces);
  while (!stack.empty()) {
    ClassDef* i = stack.back();
    stack.pop_back();
    if (i == nullptr || !isInterface(i) || seen(i, marks)) continue;
    for (Member* m = i->members; m != nullptr; m = m->next) {
      if (m->kind != MK_METHOD || (m->modifiers & M_ABSTRACT) == 0 || declaresMatchingMethod(q, m)) continue;
      Member* copy = copyMember(m);
      copy->modifiers |= M_PUBLIC | M_ABSTRACT | M_COPIED_INTERFACE_METHOD;
      copy->accessMethod = nullptr;
      copy->parameterScope = nullptr;
      copy->keptContext = nullptr;
      if (tail != nullptr)
        tail->next = copy;
      else
        q->members = copy;
      if (q->scope != nullptr && q->scope->last == tail) q->scope->last = copy;
      tail = copy;
      resolveMemberTypes(q, copy);
      if (traceOn()) std::printf("Adding method %s to abstract class\n", identToString(copy->name));
    }
    pushInterfaces(i->interfaces);
  }
}

// The class header: the kinds of its supertypes and their circularity, interfaces named twice.
void checkSupertypes(ClassDef* q) {
  ClassRef* superRef = q->superclass;
  if (ClassDef* s = resolvedClass(superRef); s != nullptr && s->kind != CLASS_KIND_ERROR) {
    if (isInterface(s)) errorAt(superRef->line, superRef->column, "extends.interface", classRefToString(superRef));
    checkCircularSuper(s, q);
  }
  WalkMarks marks;
  for (ClassRef* ref = q->interfaces; ref != nullptr; ref = ref->next) {
    ClassDef* i = resolvedClass(ref);
    if (i == nullptr || i->kind == CLASS_KIND_ERROR) continue;
    checkCircularSuper(i, q);
    if (!isInterface(i)) errorAt(ref->line, ref->column, "implements.class", classRefToString(ref));
  }
  // The circularity walks above use marks of their own: repeated references get a walk here.
  for (ClassRef* ref = q->interfaces; ref != nullptr; ref = ref->next) {
    ClassDef* i = resolvedClass(ref);
    if (i == nullptr || i->kind == CLASS_KIND_ERROR) continue;
    if (seen(i, marks)) errorAt(ref->line, ref->column, "interface.repeated", classRefToString(ref));
  }
}

void checkPublicClassFile(ClassDef* q) {
  if ((q->flags & CF_PUBLIC) == 0 || (q->flags & CF_NESTED) != 0) return;
  SourceFile* file = q->sourceFile;
  bool second = file->publicClass != nullptr && file->publicClass != q;
  file->publicClass = q;
  // A second public class is one fault: the file's name is the one it does not match, and only
  // a class whose name matches it as well (in another case) needs the message of its own.
  if (isInMatchingSourceFile(q)) {
    if (second) reportAt(ReportSite{file, q->line, q->column}, "only.one.public.class");
    return;
  }
  char* expected = expectedSourceName(q);
  std::string expectedText = expected != nullptr ? expected : "";
  std::free(expected);
  const char* qText = classToString(q);
  reportAt(ReportSite{file, q->line, q->column}, "class.not.matching.filename", qText, file->name,
           expectedText.c_str());
}

}  // namespace

// In this order: the supertypes; an interface's members; every member; the public class and its
// file; a final superclass; the abstract methods; abstract with final, and the interface methods
// an abstract class takes.
void checkClassDef(ClassDef* cls) {
  if (traceOn()) std::printf("checkClassDef() on %s\n", classToString(cls));
  checkSupertypes(cls);
  if (isInterface(cls)) checkInterfaceMembers(cls);
  ClassCheck check{cls, {}, {}};
  collectAncestors(&check);
  MemberCheck members{&check, {}};
  for (Member* m = cls->members; m != nullptr; m = m->next) checkMemberDef(&members, m);
  checkPublicClassFile(cls);
  ClassRef* superRef = cls->superclass;
  if (ClassDef* s = resolvedClass(superRef);
      s != nullptr && s->kind == CLASS_KIND_CLASS && (s->flags & CF_FINAL) != 0) {
    const char* qText = classToString(cls);
    reportAt(ReportSite{cls->sourceFile, cls->line, cls->column}, "final.class.mod", qText, classRefToString(superRef));
  }
  checkAbstractMethods(&check);
  if (!isInterface(cls)) {
    if ((cls->flags & (CF_ABSTRACT | CF_FINAL)) == (CF_ABSTRACT | CF_FINAL))
      reportAt(ReportSite{cls->sourceFile, cls->line, cls->column}, "not.abstract.and.final", classToString(cls));
    addMissingInterfaceMethods(cls);
  }
}


// Every class reachable from superClass through superclasses, interfaces and outer classes (a
// supertype depends on the classes that hold it, as a qualifier of its name does); meeting cls
// there is the cycle. Marks end the walk however long the chain is.
void checkCircularSuper(ClassDef* superClass, ClassDef* cls) {
  WalkMarks marks;
  ClassStack stack;
  stack.push(superClass);
  while (!stack.empty()) {
    ClassDef* x = stack.top();
    stack.pop();
    if (x == nullptr) continue;
    if (x == cls) fatalError(cls->sourceFile, cls->line, cls->column, "circular.super", classToString(cls));
    if (seen(x, marks)) continue;
    pushSupertypes(&stack, x);
    if (x->outer != nullptr) stack.push(x->outer);
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

ClassDef* findDeclaredMemberClass(ClassDef* cls, Identifier* name) {
  ClassRef* entry = findMemberClassEntry(cls, name);
  return entry != nullptr ? entryClass(cls, entry) : nullptr;
}

namespace {

// The member classes of one name that a search met: the first that the searching class may use,
// a second, different one beside it (the name is then ambiguous), and the first met that it may
// not use (private to a supertype, or not accessible).
struct MemberClassSearch {
  ClassDef* found = nullptr;
  ClassDef* foundIn = nullptr;
  ClassDef* second = nullptr;
  ClassDef* secondIn = nullptr;
  ClassDef* unusable = nullptr;
  ClassDef* unusableIn = nullptr;
};

// A member class is inherited when it is not private and `from` may use it.
bool isUsableMemberClass(const ClassDef* inner, const ClassDef* holder, const ClassDef* start, const ClassDef* from) {
  if ((inner->flags & CF_PRIVATE) != 0 && holder != start) return false;
  return isClassAccessible(from, inner);
}

// The class's own member classes of the name; else those of its supertypes, depth first, the
// superclass before the interfaces in order. A class that declares one hides those of the name
// in its own supertypes, whether or not `from` may use it, so the walk does not go above it. Only
// supertypes already resolved are searched: a supertype being resolved may itself name an
// inherited member class. Each class is visited once, however many paths reach it. A name that no
// class has a member class of needs no walk: the names of a class's many interfaces are looked up
// while the interfaces before them are resolved.
void searchMemberClasses(ClassDef* cls, Identifier* name, const ClassDef* from, MemberClassSearch* out) {
  if (name == nullptr || (name->marks & IDENTIFIER_NAMES_MEMBER_CLASS) == 0) return;
  WalkMarks marks;
  ClassStack stack;
  stack.push(cls);
  while (!stack.empty()) {
    ClassDef* holder = stack.top();
    stack.pop();
    if (holder == nullptr || seen(holder, marks)) continue;
    ClassDef* inner = findDeclaredMemberClass(holder, name);
    if (inner == nullptr) {
      pushSupertypes(&stack, holder);
      continue;
    }
    if (!isUsableMemberClass(inner, holder, cls, from)) {
      if (out->unusable == nullptr) {
        out->unusable = inner;
        out->unusableIn = holder;
      }
    } else if (out->found == nullptr) {
      out->found = inner;
      out->foundIn = holder;
    } else if (inner != out->found && out->second == nullptr) {
      out->second = inner;
      out->secondIn = holder;
    }
    // Declared in the class searched: nothing of its supertypes counts.
    if (holder == cls) return;
  }
}

}  // namespace

ClassDef* findMemberClass(ClassDef* cls, Identifier* name, const ClassDef* from, ClassDef** foundIn) {
  MemberClassSearch search;
  searchMemberClasses(cls, name, from, &search);
  ClassDef* found = search.found != nullptr ? search.found : search.unusable;
  if (foundIn != nullptr && found != nullptr) *foundIn = search.found != nullptr ? search.foundIn : search.unusableIn;
  return found;
}

ClassDef* findInnerClass(ClassDef* cls, Identifier* name, ClassDef** foundIn) {
  if (ClassDef* local = findLocalClass(cls, name, foundIn)) return local;
  return findMemberClass(cls, name, global.ctx.enclosing, foundIn);
}

namespace {
ClassDef* findInnerClassOnce(ClassDef* cls, Identifier* name, int32_t line, int32_t column, const ClassDef* from);
}  // namespace

ClassDef* findInnerClassUnique(ClassDef* cls, Identifier* name, int32_t line, int32_t column, const ClassDef* from) {
  ClassDef* found = findInnerClassOnce(cls, name, line, column, from);
  if (found != nullptr && line > 0) noteDeprecatedClassUse(found, line, column);
  return found;
}

namespace {

// A local class in scope, or a member class of the class or its supertypes that `from` may use.
// When there is none, or only an inherited one, an enclosing class of the name, or its own member
// class of the name, may stand closer. Reported when a line is given: two member classes of the
// name inherited side by side, and a private member class of a supertype where no other class of
// the name is found (one that is not accessible is left to the caller's access check); an
// inherited one beside a different one of an enclosing class is warned about.
ClassDef* findInnerClassOnce(ClassDef* cls, Identifier* name, int32_t line, int32_t column, const ClassDef* from) {
  if (cls == nullptr || name == nullptr) return nullptr;
  ClassDef* foundIn = cls;
  ClassDef* found = findLocalClass(cls, name, &foundIn);
  MemberClassSearch search;
  if (found == nullptr) {
    searchMemberClasses(cls, name, from, &search);
    found = search.found;
    foundIn = search.foundIn;
  }
  if (found != nullptr && foundIn == cls) return found;
  if (search.second != nullptr && line > 0)
    errorAt(line, column, "ambig.inherited.class", identToString(name), classToString(search.foundIn),
            classToString(search.secondIn));
  // Missing: the enclosing classes' member classes outward. Inherited: it is the answer, and an
  // enclosing class's own member class of the name is warned about.
  ClassDef* outer = nullptr;
  ClassDef* outerFoundIn = nullptr;
  for (ClassDef* around = cls->outer; around != nullptr; around = around->outer) {
    if (around->name == name) {
      outer = around;
      outerFoundIn = around;
      break;
    }
    ClassDef* in = nullptr;
    ClassDef* candidate = findLocalClass(around, name, &in);
    if (candidate == nullptr) {
      MemberClassSearch aroundSearch;
      searchMemberClasses(around, name, from, &aroundSearch);
      candidate = aroundSearch.found;
      in = aroundSearch.foundIn;
    }
    if (candidate != nullptr && (found == nullptr || in == around)) {
      outer = candidate;
      outerFoundIn = in;
      break;
    }
  }
  if (found == nullptr && outer == nullptr && search.unusable != nullptr) {
    found = search.unusable;
    if ((found->flags & CF_PRIVATE) != 0 && isClassAccessible(from, found) && line > 0)
      errorAt(line, column, "private.class.not.inherited", classToString(found), classToString(cls));
    return found;
  }
  if (found == nullptr) return outer;
  if (outer != nullptr && outer != found && line > 0)
    warningAt(global.current, line, column, "warn.inner.classname.ambiguous", identToString(name), classToString(cls),
              classToString(outerFoundIn));
  return found;
}

}  // namespace

// A deprecated class or member declared within the outermost class being compiled is its own
// business: only a use from elsewhere counts. Without a class (imports) the file stands for it.
bool usedFromAnotherClass(const ClassDef* user, const ClassDef* declaring) {
  if (user == nullptr) return declaring->sourceFile != global.current;
  return !sameOutermostClass(user, declaring);
}

void noteDeprecatedClassUse(ClassDef* cls, int32_t line, int32_t column) {
  // A class file's own mentions are no use by the source being compiled. Mentions in declarations,
  // outside a body, are noted where the reference is resolved for its class.
  if ((cls->flags & CF_DEPRECATED) == 0 || line < 1 || global.current == nullptr || readingClassFile() ||
      global.ctx.enclosing == nullptr || !usedFromAnotherClass(global.ctx.enclosing, cls))
    return;
  warnDeprecated(cls, nullptr, nullptr, nullptr, line, column);
}

void warnDeprecated(ClassDef* cls, Member* member, ClassDef* overriderOwner, ClassDef* ownerClass, int32_t line,
                    int32_t column) {
  global.deprecatedUses++;
  if (global.current != nullptr) global.current->deprecationUsed++;
  if (!global.deprecation) return;
  if (member == nullptr) {
    deprecationWarningAt(global.current, line, column, "warn.class.deprecated", classToString(cls));
    return;
  }
  const char* owner = classToString(ownerClass != nullptr ? ownerClass : member->owner);
  if (member->kind == MK_VARIABLE)
    deprecationWarningAt(global.current, line, column, "warn.field.deprecated", identToString(member->name), owner);
  else if (member->kind == MK_CONSTRUCTOR)
    deprecationWarningAt(global.current, line, column, "warn.constructor.deprecated", memberToString(member), owner);
  else if (overriderOwner != nullptr)
    deprecationWarningAt(global.current, line, column, "warn.method.override.deprecated", memberToString(member), owner,
              classToString(overriderOwner));
  else
    deprecationWarningAt(global.current, line, column, "warn.method.deprecated", memberToString(member), owner);
}


namespace {

// Reports the local or parameter `m` that the variable of the same name would hide.
bool reportDuplicateLocal(Member* m, void* context) {
  const auto* variable = static_cast<const Member*>(context);
  if (m->kind == MK_VARIABLE || m->kind == MK_PARAMETER)
    errorAt(variable->line, variable->column, "dup.variable.name.local", identToString(variable->name),
            intToString(m->line));
  return false;
}

}  // namespace

// The innermost scope and the enclosing ones of the same class, the method's parameters among
// them. The class's own scope, which holds its fields, ends the search, and so does a scope of
// another class: a local class's method may reuse the names of the method around it.
void checkDuplicateLocal(Member* variable) {
  if (variable == nullptr || variable->name == nullptr) return;
  ClassDef* cls = global.ctx.enclosing;
  for (Scope* scope = global.ctx.scope; scope != nullptr; scope = scope->outer) {
    if (scope->owner != cls || (cls != nullptr && scope == cls->scope)) break;
    findScopeMember(scope, variable->name, reportDuplicateLocal, variable);
  }
}
