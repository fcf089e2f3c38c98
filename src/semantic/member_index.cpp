// A class's index: a chained table of its names with at least twice as many buckets as members,
// each name holding the chain of its members in member order; all of it in the main arena, like
// the class.
#include "semantic/member_index.h"

#include "semantic/class_records.h"
#include "support/arena.h"
#include "support/global.h"

struct MemberIndexNode {
  MemberIndexNode* next;
  Member* member;
};

namespace {

// Below this many members a class is walked: a probe costs as much as a few comparisons.
constexpr int32_t INDEXED_MEMBERS = 24;

struct IndexSlot {
  IndexSlot* chain;  // the next name of the bucket
  const Identifier* name;
  MemberIndexNode* first;
  MemberIndexNode* last;
};

int64_t probes;

}  // namespace

struct MemberIndex {
  Member* first;  // the list's head when it was indexed
  Member* last;   // the last member indexed (the tail then)
  int32_t count;
  uint32_t mask;  // buckets - 1; 0 while the class is walked
  IndexSlot** buckets;
};

namespace {

uint32_t slotOf(const Identifier* name, uint32_t mask) {
  auto bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(name));
  bits ^= bits >> 17;
  bits *= 0x9E3779B97F4A7C15ull;
  return static_cast<uint32_t>(bits >> 32) & mask;
}

IndexSlot** bucketOf(const MemberIndex* index, const Identifier* name) {
  return &index->buckets[slotOf(name, index->mask)];
}

IndexSlot* findSlot(const MemberIndex* index, const Identifier* name) {
  for (IndexSlot* slot = *bucketOf(index, name); slot != nullptr; slot = slot->chain) {
    if (slot->name == name) return slot;
    probes++;  // a name of the same bucket passed over
  }
  return nullptr;
}

void addNode(MemberIndex* index, Member* m) {
  auto* node = arenaNew<MemberIndexNode>(&global.mainArena);
  node->member = m;
  IndexSlot* slot = findSlot(index, m->name);
  if (slot == nullptr) {
    slot = arenaNew<IndexSlot>(&global.mainArena);
    IndexSlot** bucket = bucketOf(index, m->name);
    slot->chain = *bucket;
    slot->name = m->name;
    slot->first = node;
    *bucket = slot;
  } else {
    slot->last->next = node;
  }
  slot->last = node;
}

// The whole list, in a table of twice its size or more.
void indexAll(ClassDef* cls, MemberIndex* index) {
  int32_t count = 0;
  Member* last = nullptr;
  for (Member* m = cls->members; m != nullptr; m = m->next, count++) last = m;
  index->first = cls->members;
  index->last = last;
  index->count = count;
  index->mask = 0;
  index->buckets = nullptr;
  if (count < INDEXED_MEMBERS) return;
  uint32_t size = 64;
  while (size < static_cast<uint32_t>(count) * 2) size *= 2;
  index->mask = size - 1;
  index->buckets = arenaNewArray<IndexSlot*>(&global.mainArena, size);
  for (Member* m = cls->members; m != nullptr; m = m->next) addNode(index, m);
}

MemberIndex* currentIndex(ClassDef* cls) {
  MemberIndex* index = cls->memberIndex;
  if (index == nullptr) {
    index = arenaNew<MemberIndex>(&global.mainArena);
    cls->memberIndex = index;
    indexAll(cls, index);
    return index;
  }
  if (index->first != cls->members || (index->last == nullptr && cls->members != nullptr)) {
    indexAll(cls, index);
    return index;
  }
  if (index->last == nullptr || index->last->next == nullptr) return index;
  // Members appended since: added to their names' chains while the table stays half empty.
  int32_t added = 0;
  Member* last = index->last;
  for (Member* m = last->next; m != nullptr; m = m->next, added++) last = m;
  if (index->mask == 0 || static_cast<uint32_t>(index->count + added) * 2 > index->mask + 1) {
    indexAll(cls, index);
    return index;
  }
  for (Member* m = index->last->next; m != nullptr; m = m->next) addNode(index, m);
  index->last = last;
  index->count += added;
  return index;
}

}  // namespace

MembersNamed::MembersNamed(ClassDef* cls, const Identifier* name) : name_(name) {
  MemberIndex* index = currentIndex(cls);
  if (index->mask == 0) {
    walk_ = cls->members;
    return;
  }
  if (IndexSlot* slot = findSlot(index, name)) node_ = slot->first;
}

Member* MembersNamed::next() {
  if (node_ != nullptr) {
    probes++;
    Member* m = node_->member;
    node_ = node_->next;
    return m;
  }
  while (walk_ != nullptr) {
    Member* m = walk_;
    walk_ = walk_->next;
    if (m->name == name_) return m;
  }
  return nullptr;
}

int64_t memberIndexProbeCount() {
  return probes;
}
