// Names made with "$": Outer$Inner, Outer$1, Outer$1$Local, this$0, val$x, access$0; the list of
// inner classes that the InnerClasses attribute is written from; and class access from a use.
#include "semantic/class_names.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/fatal_stops.h"
#include "support/global.h"
#include "support/hashing.h"
#include "support/identifiers.h"
#include "support/multibyte_strings.h"
#include "support/source_file.h"
#include "syntax/scanner.h"

namespace {

void appendDecimal(int32_t number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", number);
  appendNameCString(digits);
}

Identifier* internNameBuffer() {
  return lookupName(global.nameBuffer, global.nameLength, T_IDENTIFIER);
}

const ClassDef* outermostClass(const ClassDef* cls) {
  while (cls->outer != nullptr) cls = cls->outer;
  return cls;
}

}  // namespace

Identifier* makeBinaryName(Identifier* outerName, Identifier* name, int32_t number) {
  resetNameBuffer();
  if (outerName != nullptr) appendNameUtf16(identifierChars(outerName), outerName->length);
  if (number > 0) {
    appendNameChar('$');
    appendDecimal(number);
  }
  if (name != nullptr) {
    appendNameChar('$');
    appendNameUtf16(identifierChars(name), name->length);
  }
  return internNameBuffer();
}

Identifier* joinNames(const char* prefix, Identifier* name, const char* suffix, int32_t number) {
  resetNameBuffer();
  if (prefix != nullptr) {
    appendNameCString(prefix);
    appendNameChar('$');
  }
  if (name != nullptr) appendNameUtf16(identifierChars(name), name->length);
  if (suffix != nullptr) {
    if (global.nameLength > 0) appendNameChar('$');
    appendNameCString(suffix);
  }
  if (number >= 0) {
    appendNameChar('$');
    appendDecimal(number);
  }
  return internNameBuffer();
}

Identifier* accessorName(int32_t number) {
  resetNameBuffer();
  appendNameCString("access$");
  appendDecimal(number);
  return internNameBuffer();
}

void computeBinaryName(ClassDef* cls) {
  if (cls == nullptr || cls->binaryName != nullptr) return;
  ClassDef* outer = cls->outer;
  if ((cls->flags & CF_NESTED) == 0 || outer == nullptr) {
    cls->binaryName = cls->name;
    return;
  }
  computeBinaryName(outer);
  if (cls->flags & CF_ANONYMOUS)
    cls->binaryName = makeBinaryName(outer->binaryName, nullptr, cls->classNumber);
  else if (cls->flags & CF_LOCAL)
    cls->binaryName = makeBinaryName(outer->binaryName, cls->name, cls->classNumber);
  else
    cls->binaryName = makeBinaryName(outer->binaryName, cls->name, -1);
}

namespace {

bool hasChosenName(const ClassDef* cls) {
  for (const ClassDef* c = cls; c != nullptr && c->outer != nullptr; c = c->outer)
    if (c->flags & (CF_LOCAL | CF_ANONYMOUS)) return true;
  return false;
}

bool nameTakenInSources(Package* package, Identifier* name, const ClassDef* cls) {
  ClassDef* earlier = findClassInPackage(package, name, 0, 0);
  return earlier != nullptr && earlier != cls && earlier->sourceFile != nullptr;
}

}  // namespace

void makeBinaryNameUnique(ClassDef* cls) {
  ClassDef* outer = cls->outer;
  if (outer == nullptr || cls->binaryName == nullptr || !hasChosenName(cls)) return;
  Package* package = outer->package;
  if (!nameTakenInSources(package, cls->binaryName, cls)) return;
  Identifier* name = (cls->flags & CF_ANONYMOUS) ? nullptr : cls->name;
  Identifier* candidate = cls->binaryName;
  for (int32_t k = 1; nameTakenInSources(package, candidate, cls); k++)
    candidate = makeBinaryName(outer->binaryName, name, k);
  cls->binaryName = candidate;
}

Identifier* anonymousClassName(ClassDef* cls, int32_t number) {
  computeBinaryName(cls);
  return makeBinaryName(cls->binaryName, nullptr, number);
}

namespace {

// The member-class entries of every class by (outer class, name), beside the lists, which keep
// their order for the InnerClasses attribute and the passes.
struct InnerClassIndexEntry {
  InnerClassIndexEntry* next;
  const ClassDef* outer;
  const Identifier* name;
  ClassRef* entry;
};

struct InnerClassIndex {
  InnerClassIndexEntry** buckets;
  uint32_t size;  // a power of two; 0 before the first entry
  uint32_t count;
};

InnerClassIndex innerClassIndex;

uint64_t innerClassHash(const InnerClassIndexEntry* e) {
  return hashPointers(e->outer, e->name);
}

void indexMemberClass(const ClassDef* outer, const Identifier* name, ClassRef* entry) {
  if (innerClassIndex.count >= innerClassIndex.size)
    growArenaBuckets(&global.mainArena, &innerClassIndex.buckets, &innerClassIndex.size, 256,
                     &InnerClassIndexEntry::next, innerClassHash);
  auto* e = arenaNew<InnerClassIndexEntry>(&global.mainArena);
  InnerClassIndexEntry** bucket = &innerClassIndex.buckets[hashPointers(outer, name) & (innerClassIndex.size - 1)];
  *e = InnerClassIndexEntry{*bucket, outer, name, entry};
  *bucket = e;
  innerClassIndex.count++;
}

}  // namespace

ClassRef* findMemberClassEntry(const ClassDef* outer, const Identifier* name) {
  if (innerClassIndex.size == 0 || outer == nullptr || name == nullptr) return nullptr;
  for (InnerClassIndexEntry* e = innerClassIndex.buckets[hashPointers(outer, name) & (innerClassIndex.size - 1)];
       e != nullptr; e = e->next)
    if (e->outer == outer && e->name == name) return e->entry;
  return nullptr;
}

void resetInnerClassIndex() {
  innerClassIndex = InnerClassIndex{};
}

// A member class named again (a class file's InnerClasses entry, then the class itself) is the
// entry already there; a local class always gets one of its own.
void addInnerClass(ClassDef* outer, ClassDef* inner, Identifier* name, uint16_t flags, int32_t line, int32_t column) {
  if (name != nullptr) name->marks |= IDENTIFIER_NAMES_MEMBER_CLASS;
  if (inner != nullptr) {
    inner->flags |= flags;
    flags = inner->flags;
  }
  bool local = (flags & CF_LOCAL) != 0;
  if (!local) {
    if (ClassRef* entry = findMemberClassEntry(outer, name)) {
      if (entry->resolved == nullptr) entry->resolved = inner;
      return;
    }
  }
  ClassRef* entry = newClassRef(outer->package, name, inner, flags, outer, line, column);
  if (outer->lastInnerClass == nullptr)
    outer->innerClasses = entry;
  else
    outer->lastInnerClass->next = entry;
  outer->lastInnerClass = entry;
  if (!local) indexMemberClass(outer, name, entry);
}

bool sameOutermostClass(const ClassDef* a, const ClassDef* b) {
  if (a == nullptr || b == nullptr) return false;
  const ClassDef* outermost = outermostClass(b);
  for (const ClassDef* c = a; c != nullptr; c = c->outer)
    if (c == outermost) return true;
  return false;
}

char* expectedSourceName(const ClassDef* cls) {
  const char* name = identToString(cls->name);
  size_t length = std::strlen(name);
  char* text = static_cast<char*>(heapAllocate(length + 6));
  if (text == nullptr) outOfMemory();
  std::memcpy(text, name, length);
  std::memcpy(text + length, ".java", 6);
  return text;
}

bool isInMatchingSourceFile(const ClassDef* cls) {
  if (cls == nullptr || cls->sourceFile == nullptr) return true;
  const char* fileName = cls->sourceFile->name;
  const char* separator = lastPathSeparator(fileName);
  const char* base = separator != nullptr ? separator + 1 : fileName;
  const char* baseDot = findLastCharacter(base, '.');
  size_t baseLength = baseDot != nullptr ? static_cast<size_t>(baseDot - base) : std::strlen(base);
  char* expected = expectedSourceName(cls);
  if (expected == nullptr) return true;
  size_t expectedLength = std::strrchr(expected, '.') - expected;
  bool same = baseLength == expectedLength;
  for (size_t i = 0; same && i < baseLength; i++) {
    unsigned char x = static_cast<unsigned char>(base[i]);
    unsigned char y = static_cast<unsigned char>(expected[i]);
    same = std::tolower(x) == std::tolower(y);
  }
  std::free(expected);
  return same;
}

namespace {

Package* packageOrRoot(const ClassDef* cls) {
  return cls->package != nullptr ? cls->package : &rootPackage;
}

// Package access: the class is in the package of the using class, or, for a use outside any
// class, of the current file. A class's own references may be resolved while another file is
// current (a supertype met through a subclass in another package): its package is the one that
// counts.
bool packageAccess(const ClassDef* from, const ClassDef* cls) {
  Package* user = from != nullptr ? packageOrRoot(from) : global.current != nullptr ? global.current->package : nullptr;
  return packageOrRoot(cls) == (user != nullptr ? user : &rootPackage);
}

// Code inside a subclass of the class that declares a protected member class, or inside a class
// nested in such a subclass, may use the member class wherever the subclass's package is.
// Only superclasses resolved already are followed: the check runs while supertypes are being
// resolved, and resolving one more from here would check its access in turn, without end on a
// cycle. A cycle among the resolved ones is left by the second pointer meeting the first.
const ClassDef* resolvedSuperclass(const ClassDef* cls) {
  return cls != nullptr && cls->superclass != nullptr ? cls->superclass->resolved : nullptr;
}

bool reachesBySuperclasses(const ClassDef* cls, const ClassDef* declaring) {
  const ClassDef* slow = cls;
  for (const ClassDef* fast = cls; fast != nullptr;) {
    if (fast == declaring) return true;
    fast = resolvedSuperclass(fast);
    if (fast == declaring) return true;
    if (fast == nullptr) return false;
    fast = resolvedSuperclass(fast);
    slow = resolvedSuperclass(slow);
    if (fast == slow) return false;
  }
  return false;
}

bool inSubclassOf(const ClassDef* from, const ClassDef* declaring) {
  if (declaring == nullptr) return false;
  for (const ClassDef* c = from; c != nullptr; c = c->outer)
    if (reachesBySuperclasses(c, declaring)) return true;
  return false;
}

void reportClassAccess(ClassDef* cls, int32_t line, int32_t column) {
  if (cls->flags & CF_PRIVATE)
    errorAt(line, column, "cannot.access.private.class", classToString(cls));
  else if (cls->flags & CF_PROTECTED)
    errorAt(line, column, "cannot.access.protected.class", classToString(cls));
  else
    errorAt(line, column, "cannot.access.class", classToString(cls));
}

}  // namespace

bool isClassAccessible(const ClassDef* from, const ClassDef* cls) {
  if (cls == nullptr || cls == from) return true;
  if (cls->flags & CF_PRIVATE) return sameOutermostClass(from, cls);
  if (cls->flags & CF_PROTECTED) return packageAccess(from, cls) || inSubclassOf(from, cls->outer);
  return (cls->flags & CF_PUBLIC) != 0 || packageAccess(from, cls);
}

void checkClassAccess(ClassDef* from, ClassDef* cls, int32_t line, int32_t column) {
  if (cls == nullptr || cls == from || line <= 0) return;
  if ((cls->flags & (CF_PUBLIC | CF_NESTED)) == 0 && cls->sourceFile != nullptr && cls->sourceFile != global.current &&
      !isInMatchingSourceFile(cls)) {
    char* name = expectedSourceName(cls);
    std::string expected = name != nullptr ? name : "";
    std::free(name);
    warningAt(global.current, line, column, "warn.class.used.outside.source", classToString(cls),
              cls->sourceFile->name, expected.c_str());
  }
  if (!isClassAccessible(from, cls)) reportClassAccess(cls, line, column);
}

bool checkReachedClassAccess(ClassDef* from, ClassDef* cls, int32_t line, int32_t column) {
  if (cls == nullptr || line <= 0 || isClassAccessible(from, cls)) return true;
  reportClassAccess(cls, line, column);
  return false;
}

ClassDef* loadMemberClass(ClassDef* outer, ClassRef* entry) {
  computeBinaryName(outer);
  Identifier* binary = makeBinaryName(outer->binaryName, entry->name, 0);
  ClassDef* cls = loadClass(outermostClass(outer)->package, binary, 0, 0);
  if (cls == nullptr) return nullptr;
  cls->name = entry->name;
  cls->outer = outer;
  entry->flags |= cls->flags;
  cls->flags = entry->flags;
  entry->package = outer->package;
  entry->resolved = cls;
  if (cls->flags & CF_INTERFACE) cls->kind = CLASS_KIND_INTERFACE;
  if ((cls->flags & CF_STATIC) == 0)
    for (Member* m = cls->members; m != nullptr; m = m->next)
      if (m->kind == MK_CONSTRUCTOR && m->parameters != nullptr) m->parameters->modifiers |= M_SYNTHETIC;
  return cls;
}
