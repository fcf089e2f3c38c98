// Access methods: made once per private member on the first use from another class of its
// outermost class, in the main arena, outside the owner's member list (the member links them);
// and those an enclosing class holds for the classes inside it (protected members of another
// package, calls through Outer.super), kept in a table of that class.
#include "semantic/access_methods.h"

#include <cstdio>

#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/name_lookup.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/parser_context.h"

namespace {

Type* ownerType(ClassDef* owner, int32_t line, int32_t column) {
  ClassRef* ref = newClassRef(owner->package, owner->name, owner, 0, owner, line, column);
  return newClassType(ref, owner->name, line, column);
}

Parameter* copyParameter(const Parameter* p) {
  return newParameter(p->name, p->type, p->modifiers, p->line, p->column);
}

}  // namespace

ClassDef* accessTagClass(ClassDef* cls) {
  ClassDef* outermost = outermostClass(cls);
  if (outermost->accessTag != nullptr) return outermost->accessTag;
  // Outer$0: anonymous and local classes are numbered from 1 and no member class is named by a
  // number, so no class of the source takes the name.
  ClassDef* tag = newClassDef(CLASS_KIND_CLASS, joinNames(nullptr, outermost->binaryName, nullptr, 0));
  tag->binaryName = tag->name;
  tag->flags = CF_FINAL;
  tag->line = outermost->line;
  tag->column = outermost->column;
  tag->endLine = outermost->line;
  tag->sourceFile = outermost->sourceFile;
  tag->superclass = objectClassRef;
  tag->state = CLASS_SUPERTYPES_RESOLVED | CLASS_CHECKED | CLASS_CONSTANTS_EVALUATED;
  addClassToPackage(outermost->package, tag);
  addClassToSource(tag->sourceFile, tag);
  outermost->accessTag = tag;
  return tag;
}

Member* makeAccessorMethod(Member* member, int32_t number, int32_t kind) {
  return makeHostedAccessor(member->owner, member, number, kind);
}

Member* makeHostedAccessor(ClassDef* owner, Member* member, int32_t number, int32_t kind) {
  bool isStatic = (member->modifiers & M_STATIC) != 0;
  Member* method = newMember(accessorName(number), member->line, member->column, M_STATIC | M_SYNTHETIC, nullptr, 1,
                             member->line, member->column, nullptr, nullptr);
  method->owner = owner;
  Parameter** tail = &method->parameters;
  auto append = [&](Parameter* p) {
    *tail = p;
    tail = &p->next;
  };
  if (!isStatic) append(newParameter(nullptr, ownerType(owner, member->line, member->column), M_SYNTHETIC, member->line,
                                     member->column));
  switch (kind) {
    case ACCESSOR_GETTER:
      method->type = member->type;
      break;
    case ACCESSOR_SETTER:
      append(newParameter(nullptr, member->type, M_SYNTHETIC, member->line, member->column));
      method->type = &voidType;
      break;
    default:
      for (const Parameter* p = member->parameters; p != nullptr; p = p->next) append(copyParameter(p));
      method->type = member->kind == MK_CONSTRUCTOR || member->type == nullptr ? &voidType : member->type;
      method->throwsList = member->throwsList;
      break;
  }
  return method;
}

Member* makeAccessConstructor(Member* constructor) {
  ClassDef* owner = constructor->owner;
  Member* made = newMember(nullptr, constructor->line, constructor->column, M_SYNTHETIC, nullptr, 1, constructor->line,
                           constructor->column, constructor->throwsList, nullptr);
  made->kind = MK_CONSTRUCTOR;
  made->owner = owner;
  Parameter** tail = &made->parameters;
  for (const Parameter* p = constructor->parameters; p != nullptr; p = p->next) {
    *tail = copyParameter(p);
    tail = &(*tail)->next;
  }
  ClassDef* tag = accessTagClass(owner);
  *tail = newParameter(nullptr, ownerType(tag, constructor->line, constructor->column), M_SYNTHETIC, constructor->line,
                       constructor->column);
  return made;
}

void refreshAccessConstructor(Member* constructor) {
  Arena* saved = global.currentArena;
  global.currentArena = &global.mainArena;
  constructor->accessMethod = makeAccessConstructor(constructor);
  global.currentArena = saved;
}

// Steps: the trace line; the owner becomes the current class and the main arena current (the
// records outlive the body being attributed); a field gets its getter and, unless final, its
// setter, numbered on; a method its call method; a constructor its access constructor, which
// takes no number; the class and arena go back.
void addAccessor(Member* member) {
  if (member == nullptr || member->accessMethod != nullptr || member->owner == nullptr) return;
  if (member->kind != MK_VARIABLE && member->kind != MK_METHOD && member->kind != MK_CONSTRUCTOR) return;
  if (global.traceLevel & TRACE_GENERAL) std::printf("Adding accessor to %s\n", memberToString(member));
  ClassDef* owner = member->owner;
  ClassDef* savedEnclosing = global.ctx.enclosing;
  Arena* savedArena = global.currentArena;
  global.ctx.enclosing = owner;
  global.currentArena = &global.mainArena;
  if (member->kind == MK_VARIABLE) {
    int32_t number = owner->accessMethodCount++;
    Member* getter = makeAccessorMethod(member, number, ACCESSOR_GETTER);
    if ((member->modifiers & M_FINAL) == 0) getter->next = makeAccessorMethod(member, owner->accessMethodCount++, ACCESSOR_SETTER);
    member->accessMethod = getter;
  } else if (member->kind == MK_METHOD) {
    member->accessMethod = makeAccessorMethod(member, owner->accessMethodCount++, ACCESSOR_CALL);
  } else {
    member->accessMethod = makeAccessConstructor(member);
  }
  global.ctx.enclosing = savedEnclosing;
  global.currentArena = savedArena;
}

namespace {

struct ForeignEntry {
  ForeignEntry* chain;   // in its bucket
  ForeignEntry* next;    // in the order made, which is the order written
  Member* target;
  bool superCall;
  Member* method;
};

uint32_t targetHash(const Member* target, bool superCall) {
  auto bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(target)) * 0x9E3779B97F4A7C15ull;
  return static_cast<uint32_t>(bits >> 32) ^ (superCall ? 1u : 0u);
}

}  // namespace

struct ForeignAccessTable {
  ForeignEntry** buckets;
  uint32_t size;
  uint32_t count;
  ForeignEntry* first;
  ForeignEntry* last;
};

namespace {

ForeignEntry* findEntry(const ClassDef* host, const Member* target, bool superCall) {
  ForeignAccessTable* table = host->foreignAccessors;
  if (table == nullptr) return nullptr;
  for (ForeignEntry* e = table->buckets[targetHash(target, superCall) & (table->size - 1)]; e != nullptr; e = e->chain)
    if (e->target == target && e->superCall == superCall) return e;
  return nullptr;
}

}  // namespace

ClassDef* protectedAccessHost(ClassDef* from, const Member* member, ClassDef* through) {
  if (from == nullptr || member == nullptr || member->owner == nullptr) return nullptr;
  if ((member->modifiers & M_PROTECTED) == 0 || (member->kind != MK_VARIABLE && member->kind != MK_METHOD)) return nullptr;
  if (packageOrRoot(from) == packageOrRoot(member->owner)) return nullptr;
  ClassDef* host = protectedAccessClass(from, member, through);
  return host != from ? host : nullptr;
}

Member* hostedAccessor(ClassDef* host, Member* target, bool superCall) {
  if (host == nullptr || target == nullptr) return nullptr;
  if (ForeignEntry* found = findEntry(host, target, superCall)) return found->method;
  if (global.traceLevel & TRACE_GENERAL) std::printf("Adding accessor to %s\n", memberToString(target));
  ClassDef* savedEnclosing = global.ctx.enclosing;
  Arena* savedArena = global.currentArena;
  global.ctx.enclosing = host;
  global.currentArena = &global.mainArena;
  ForeignAccessTable* table = host->foreignAccessors;
  if (table == nullptr) {
    table = arenaNew<ForeignAccessTable>(&global.mainArena);
    table->size = 8;
    table->buckets = arenaNewArray<ForeignEntry*>(&global.mainArena, table->size);
    host->foreignAccessors = table;
  }
  if (table->count + 1 > table->size)
    growArenaBuckets(&global.mainArena, &table->buckets, &table->size, 8, &ForeignEntry::chain,
                     [](const ForeignEntry* e) { return targetHash(e->target, e->superCall); });
  auto* entry = arenaNew<ForeignEntry>(&global.mainArena);
  entry->target = target;
  entry->superCall = superCall;
  if (target->kind == MK_VARIABLE) {
    Member* getter = makeHostedAccessor(host, target, host->accessMethodCount++, ACCESSOR_GETTER);
    if ((target->modifiers & M_FINAL) == 0)
      getter->next = makeHostedAccessor(host, target, host->accessMethodCount++, ACCESSOR_SETTER);
    entry->method = getter;
  } else {
    entry->method = makeHostedAccessor(host, target, host->accessMethodCount++, ACCESSOR_CALL);
    if (superCall) entry->method->methodFlags |= METHOD_SUPER_ACCESS;
  }
  for (Member* m = entry->method; m != nullptr; m = m->next) m->original = target;
  ForeignEntry** bucket = &table->buckets[targetHash(target, superCall) & (table->size - 1)];
  entry->chain = *bucket;
  *bucket = entry;
  table->count++;
  if (table->last != nullptr)
    table->last->next = entry;
  else
    table->first = entry;
  table->last = entry;
  global.ctx.enclosing = savedEnclosing;
  global.currentArena = savedArena;
  return entry->method;
}

Member* findHostedAccessor(const ClassDef* host, const Member* target, bool superCall) {
  if (host == nullptr) return nullptr;
  ForeignEntry* found = findEntry(host, target, superCall);
  return found != nullptr ? found->method : nullptr;
}

void forEachHostedAccessor(const ClassDef* host, void (*visit)(Member* accessor, Member* target)) {
  if (host->foreignAccessors == nullptr) return;
  for (ForeignEntry* e = host->foreignAccessors->first; e != nullptr; e = e->next) visit(e->method, e->target);
}
