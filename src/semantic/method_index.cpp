// One chained hash table for all classes, keyed by class and name, in the main arena; a class is
// entered whole at its first lookup (CLASS_METHODS_INDEXED) and keeps its entries for the compile.
#include "semantic/method_index.h"

#include "semantic/class_records.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/hashing.h"

namespace {

struct MethodTable {
  MethodIndexEntry** buckets;
  uint32_t size;  // a power of two; 0 before the first entry
  uint32_t count;
};

MethodTable table;
int64_t probes;

uint64_t keyHash(const ClassDef* cls, const Identifier* name) {
  return hashPointers(cls, name);
}

bool isMethodKind(const Member* m) {
  return m->kind == MK_METHOD || m->kind == MK_CONSTRUCTOR;
}

void enter(ClassDef* cls, Member* method, int32_t order) {
  // Kept at most half full: a declaration check looks a name up several times per method, and
  // at a load of one the chains it walks cost it more probes than the index is meant to.
  if (table.count * 2 >= table.size)
    growArenaBuckets(&global.mainArena, &table.buckets, &table.size, 1024, &MethodIndexEntry::next,
                     [](const MethodIndexEntry* e) { return keyHash(e->cls, e->method->name); });
  auto* entry = arenaNew<MethodIndexEntry>(&global.mainArena);
  MethodIndexEntry** bucket = &table.buckets[keyHash(cls, method->name) & (table.size - 1)];
  *entry = MethodIndexEntry{*bucket, cls, method, order};
  *bucket = entry;
  table.count++;
}

void indexClass(ClassDef* cls) {
  cls->state |= CLASS_METHODS_INDEXED;
  int32_t order = 0;
  for (Member* m = cls->members; m != nullptr; m = m->next, order++)
    if (isMethodKind(m)) enter(cls, m, order);
}

MethodIndexEntry* findFrom(MethodIndexEntry* entry, const ClassDef* cls, const Identifier* name) {
  for (; entry != nullptr; entry = entry->next) {
    probes++;
    if (entry->cls == cls && entry->method->name == name) return entry;
  }
  return nullptr;
}

}  // namespace

MethodIndexEntry* firstMethodNamed(ClassDef* cls, const Identifier* name) {
  if (cls == nullptr) return nullptr;
  if ((cls->state & CLASS_METHODS_INDEXED) == 0) indexClass(cls);
  if (table.size == 0) return nullptr;
  return findFrom(table.buckets[keyHash(cls, name) & (table.size - 1)], cls, name);
}

MethodIndexEntry* nextMethodNamed(MethodIndexEntry* entry) {
  return findFrom(entry->next, entry->cls, entry->method->name);
}

void indexAppendedMethod(ClassDef* cls, Member* method, int32_t order) {
  if ((cls->state & CLASS_METHODS_INDEXED) != 0 && isMethodKind(method)) enter(cls, method, order);
}

void resetMethodIndex() {
  table = MethodTable{};
}

int64_t methodIndexProbeCount() {
  return probes;
}
