// The constant pool: two chained hash tables with move-to-front, entries appended to the pool
// buffer at their first use, and the index table that readers of finished code look entries up in.
#include "codegen/constant_pool.h"

#include <cstring>

#include "codegen/class_gen_state.h"
#include "codegen/descriptors.h"
#include "semantic/class_records.h"
#include "semantic/java_arithmetic.h"
#include "semantic/type_records.h"
#include "support/diagnostics.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/hashing.h"
#include "support/identifiers.h"
#include "semantic/element_names.h"

constexpr uint32_t FIRST_BUCKETS = 64;

static ConstantPool& pool() {
  return classGen.pool;
}

static uint32_t keyHash(uint8_t tag, uint32_t first, uint32_t second) {
  uint32_t h = tag * 0x9E3779B1u ^ first * 0x85EBCA77u ^ (second + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  return h ^ (h >> 15);
}

static uint32_t utf8Hash(const Utf8Entry* e) {
  return e->hash;
}

static uint32_t constantHash(const ConstantEntry* e) {
  return keyHash(e->tag, e->first, e->second);
}

void initConstantPool() {
  ConstantPool& p = pool();
  std::memset(static_cast<void*>(&p), 0, sizeof p);
  growArenaBuckets(&global.genArena, &p.utf8Table, &p.utf8Buckets, FIRST_BUCKETS, &Utf8Entry::next, utf8Hash);
  growArenaBuckets(&global.genArena, &p.constantTable, &p.constantBuckets, FIRST_BUCKETS, &ConstantEntry::next,
                   constantHash);
  newOutputBuffer(&p.buffer);
}

// The entry of the modified UTF-8 bytes, found or made; `hash` is hashBytes of the bytes.
static Utf8Entry* findUtf8Hashed(const uint8_t* bytes, int32_t length, uint32_t hash) {
  ConstantPool& p = pool();
  Utf8Entry** bucket = &p.utf8Table[hash & (p.utf8Buckets - 1)];
  Utf8Entry* previous = nullptr;
  for (Utf8Entry* e = *bucket; e != nullptr; previous = e, e = e->next) {
    if (e->hash != hash || e->length != length || std::memcmp(utf8EntryBytes(e), bytes, length) != 0) continue;
    if (previous != nullptr) {
      previous->next = e->next;
      e->next = *bucket;
      *bucket = e;
    }
    return e;
  }
  auto* entry = static_cast<Utf8Entry*>(arenaAllocUncleared(&global.genArena, sizeof(Utf8Entry) + length));
  entry->index = 0;
  entry->length = length;
  entry->hash = hash;
  std::memcpy(const_cast<uint8_t*>(utf8EntryBytes(entry)), bytes, length);
  entry->next = *bucket;
  *bucket = entry;
  if (++p.utf8Entries > 2 * p.utf8Buckets)
    growArenaBuckets(&global.genArena, &p.utf8Table, &p.utf8Buckets, FIRST_BUCKETS, &Utf8Entry::next, utf8Hash);
  return entry;
}

static Utf8Entry* findUtf8Bytes(const uint8_t* bytes, int32_t length) {
  return findUtf8Hashed(bytes, length, static_cast<uint32_t>(hashBytes(bytes, static_cast<size_t>(length))));
}

Utf8Entry* findUtf8(const void* characters, int32_t length, int32_t width) {
  int32_t bytes = toModifiedUtf8(characters, length, width, 0);
  return findUtf8Bytes(reinterpret_cast<const uint8_t*>(global.scratchBuffer), bytes);
}

ConstantEntry* findOrAddConstant(uint8_t tag, uint32_t first, uint32_t second) {
  ConstantPool& p = pool();
  ConstantEntry** bucket = &p.constantTable[keyHash(tag, first, second) & (p.constantBuckets - 1)];
  ConstantEntry* previous = nullptr;
  for (ConstantEntry* e = *bucket; e != nullptr; previous = e, e = e->next) {
    if (e->tag != tag || e->first != first || e->second != second) continue;
    if (previous != nullptr) {
      previous->next = e->next;
      e->next = *bucket;
      *bucket = e;
    }
    return e;
  }
  auto* entry = arenaNew<ConstantEntry>(&global.genArena);
  entry->tag = tag;
  entry->first = first;
  entry->second = second;
  entry->next = *bucket;
  *bucket = entry;
  if (++p.constantEntries > 2 * p.constantBuckets)
    growArenaBuckets(&global.genArena, &p.constantTable, &p.constantBuckets, FIRST_BUCKETS, &ConstantEntry::next,
                     constantHash);
  return entry;
}

// Gives out the next `slots` indexes and records what the first one holds. Indexes past the
// limit are still counted (the class is reported when it is written) but not recorded.
static int32_t numberEntry(int32_t slots, const ConstantEntry* constant, const Utf8Entry* utf8) {
  ConstantPool& p = pool();
  int32_t index = p.count + 1;
  p.count += slots;
  if (index > MAX_POOL_COUNT + 1) return index;
  // Room for the entry's every slot; only slots handed out are written, and only those are read.
  if (index + slots > p.slotCapacity) {
    // The last index a wide entry may take is one past MAX_POOL_COUNT + 1.
    int32_t capacity = p.slotCapacity == 0 ? 1024 : p.slotCapacity * 2;
    if (capacity > MAX_POOL_COUNT + 3) capacity = MAX_POOL_COUNT + 3;
    auto* grown = static_cast<PoolSlot*>(arenaAllocUncleared(&global.genArena, sizeof(PoolSlot) * capacity));
    if (p.slotCapacity > 0) std::memcpy(static_cast<void*>(grown), p.slots, sizeof(PoolSlot) * p.slotCapacity);
    p.slots = grown;
    p.slotCapacity = capacity;
  }
  p.slots[index] = PoolSlot{constant, utf8};
  for (int32_t i = 1; i < slots; i++) p.slots[index + i] = PoolSlot{nullptr, nullptr};
  return index;
}

PoolSlot poolSlot(int32_t index) {
  const ConstantPool& p = pool();
  if (index <= 0 || index >= p.slotCapacity || index > p.count) return PoolSlot{nullptr, nullptr};
  return p.slots[index];
}

int32_t toModifiedUtf8(const void* characters, int32_t length, int32_t width, int32_t offset) {
  growScratchBuffer(3 * length + offset + 240);
  auto* out = reinterpret_cast<uint8_t*>(global.scratchBuffer);
  int32_t i = 0;
  // The run of characters 1-127 that most strings are goes across as it is.
  if (width == 2) {
    const auto* c = static_cast<const uint16_t*>(characters);
    // Four characters at a time while each is 1-127: no unit has a bit above the low seven, and
    // none is zero.
    for (; i + 4 <= length; i += 4) {
      uint64_t units;
      std::memcpy(&units, c + i, 8);
      uint64_t zero = (units - 0x0001000100010001ull) & ~units & 0x8000800080008000ull;
      if ((units & 0xFF80FF80FF80FF80ull) != 0 || zero != 0) break;
      out[offset] = static_cast<uint8_t>(units);
      out[offset + 1] = static_cast<uint8_t>(units >> 16);
      out[offset + 2] = static_cast<uint8_t>(units >> 32);
      out[offset + 3] = static_cast<uint8_t>(units >> 48);
      offset += 4;
    }
    while (i < length && c[i] - 1u < 127u) out[offset++] = static_cast<uint8_t>(c[i++]);
  } else {
    const auto* c = static_cast<const uint8_t*>(characters);
    while (i < length && c[i] - 1u < 127u) out[offset++] = c[i++];
  }
  for (; i < length; i++) {
    uint32_t c = width == 2 ? static_cast<const uint16_t*>(characters)[i] : static_cast<const uint8_t*>(characters)[i];
    if (c >= 1 && c <= 127) {
      out[offset++] = static_cast<uint8_t>(c);
    } else if (c <= 2047) {
      out[offset++] = static_cast<uint8_t>(0xC0 | ((c >> 6) & 0x1F));
      out[offset++] = static_cast<uint8_t>(0x80 | (c & 0x3F));
    } else {
      out[offset++] = static_cast<uint8_t>(0xE0 | (c >> 12));
      out[offset++] = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
      out[offset++] = static_cast<uint8_t>(0x80 | (c & 0x3F));
    }
  }
  return offset;
}

// The longest prefix of the modified UTF-8 that fits one entry and ends at a character boundary.
static int32_t cutToUtf8Limit(const uint8_t* bytes, int32_t length) {
  if (length <= MAX_UTF8_BYTES) return length;
  int32_t cut = MAX_UTF8_BYTES;
  while (cut > 0 && (bytes[cut] & 0xC0) == 0x80) cut--;
  return cut;
}

// The entry's index, its bytes appended to the pool at its first use.
static uint16_t utf8Index(Utf8Entry* entry) {
  if (entry->index != 0) return static_cast<uint16_t>(entry->index);
  OutputBuffer* buffer = &pool().buffer;
  int32_t written = cutToUtf8Limit(utf8EntryBytes(entry), entry->length);
  putByte(CONSTANT_UTF8, buffer);
  putShort(static_cast<uint32_t>(written), buffer);
  putBytes(utf8EntryBytes(entry), written, buffer);
  entry->index = numberEntry(1, nullptr, entry);
  if (written != entry->length && classGen.cls != nullptr)
    errorInFile(classGen.cls->sourceFile, 0, 0, "exceeded.max.string", classToString(classGen.cls));
  return static_cast<uint16_t>(entry->index);
}

uint16_t addUtf8Chars(const void* characters, int32_t length, int32_t width) {
  return utf8Index(findUtf8(characters, length, width));
}

const Utf8Entry* keepUtf8(uint16_t index) {
  const Utf8Entry* entry = poolSlot(index).utf8;
  if (entry == nullptr) return nullptr;
  auto* kept = static_cast<Utf8Entry*>(arenaAllocUncleared(&global.mainArena, sizeof(Utf8Entry) + entry->length));
  *kept = Utf8Entry{nullptr, 0, entry->length, entry->hash};
  std::memcpy(const_cast<uint8_t*>(utf8EntryBytes(kept)), utf8EntryBytes(entry), entry->length);
  return kept;
}

uint16_t addKeptUtf8(const Utf8Entry* kept) {
  return utf8Index(findUtf8Hashed(utf8EntryBytes(kept), kept->length, kept->hash));
}

uint16_t addUtf8(const char* text) {
  return addUtf8Chars(text, static_cast<int32_t>(std::strlen(text)), 1);
}

uint16_t addIdentifierUtf8(const Identifier* identifier) {
  return addUtf8Chars(identifierChars(identifier), identifier->length, 2);
}

void appendConstant(ConstantEntry* entry) {
  OutputBuffer* buffer = &pool().buffer;
  putByte(entry->tag, buffer);
  switch (entry->tag) {
    case CONSTANT_INTEGER:
    case CONSTANT_FLOAT:
      putInt(entry->first, buffer);
      break;
    case CONSTANT_LONG:
      putInt(entry->first, buffer);
      putInt(entry->second, buffer);
      break;
    case CONSTANT_DOUBLE:
      putInt(entry->second, buffer);
      putInt(entry->first, buffer);
      break;
    case CONSTANT_CLASS:
    case CONSTANT_STRING:
      putShort(entry->first, buffer);
      break;
    default:  // the references and NameAndType: two indexes
      putShort(entry->first, buffer);
      putShort(entry->second, buffer);
      break;
  }
  bool wide = entry->tag == CONSTANT_LONG || entry->tag == CONSTANT_DOUBLE;
  entry->index = numberEntry(wide ? 2 : 1, entry, nullptr);
}

static uint16_t constantIndex(uint8_t tag, uint32_t first, uint32_t second) {
  ConstantEntry* entry = findOrAddConstant(tag, first, second);
  if (entry->index == 0) appendConstant(entry);
  return static_cast<uint16_t>(entry->index);
}

uint16_t addInteger(int32_t value) {
  return constantIndex(CONSTANT_INTEGER, static_cast<uint32_t>(value), 0);
}

uint16_t addFloat(double value) {
  float narrowed;
  storeDoubleAsFloat(value, &narrowed);
  uint32_t bits;
  std::memcpy(&bits, &narrowed, sizeof bits);
  return constantIndex(CONSTANT_FLOAT, bits, 0);
}

uint16_t addLong(int64_t value) {
  auto bits = static_cast<uint64_t>(value);
  return constantIndex(CONSTANT_LONG, static_cast<uint32_t>(bits >> 32), static_cast<uint32_t>(bits));
}

uint16_t addDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return constantIndex(CONSTANT_DOUBLE, static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32));
}

uint16_t addString(uint16_t utf8Index) {
  return constantIndex(CONSTANT_STRING, utf8Index, 0);
}

// The memo's slot of the key, or the free slot where it would go. The table is grown before the
// search, so a slot stays valid until the next search.
static PoolMemo* memoSlot(const void* key, uint32_t kind) {
  ConstantPool& p = pool();
  if (p.memo == nullptr || 2 * (p.memoCount + 1) > p.memoMask + 1) {
    uint32_t size = p.memo == nullptr ? 64 : 2 * (p.memoMask + 1);
    PoolMemo* old = p.memo;
    uint32_t oldSize = old == nullptr ? 0 : p.memoMask + 1;
    p.memo = arenaNewArray<PoolMemo>(&global.genArena, size);
    p.memoMask = size - 1;
    for (uint32_t i = 0; i < oldSize; i++)
      if (old[i].key != nullptr) *memoSlot(old[i].key, old[i].kind) = old[i];
  }
  auto kindKey = reinterpret_cast<const void*>(static_cast<uintptr_t>(kind));
  for (uint32_t at = static_cast<uint32_t>(hashPointers(key, kindKey)) & p.memoMask;; at = (at + 1) & p.memoMask) {
    PoolMemo* slot = &p.memo[at];
    if (slot->key == nullptr || (slot->key == key && slot->kind == kind)) return slot;
  }
}

// The index `make` gives for the key the first time, from the memo after that. With dependency
// lines every use is made again, as each notes its classes.
template <class Make>
static uint16_t memoized(const void* key, uint32_t kind, Make make) {
  if (global.dependencyOutput) return make();
  if (PoolMemo* slot = memoSlot(key, kind); slot->key != nullptr) return static_cast<uint16_t>(slot->index);
  uint16_t index = make();
  *memoSlot(key, kind) = PoolMemo{key, kind, index};
  pool().memoCount++;
  return index;
}

uint16_t addClass(ClassDef* cls) {
  if (cls == nullptr) return 0;
  return memoized(cls, 0, [&] { return constantIndex(CONSTANT_CLASS, internalClassName(cls), 0); });
}

uint16_t addArrayClass(const Type* type) {
  if (type == nullptr) return 0;
  return constantIndex(CONSTANT_CLASS, fieldDescriptor(type), 0);
}

uint16_t addNameAndTypeIndexes(uint16_t nameIndex, uint16_t descriptorIndex) {
  return constantIndex(CONSTANT_NAME_AND_TYPE, nameIndex, descriptorIndex);
}

uint16_t addNameAndType(const Member* member, bool field) {
  uint16_t name = member->name != nullptr ? addIdentifierUtf8(member->name) : addUtf8("<init>");
  uint16_t descriptor = field ? fieldDescriptor(member->type) : methodDescriptor(member);
  return addNameAndTypeIndexes(name, descriptor);
}

uint16_t addMemberRefIndexes(uint8_t tag, uint16_t classIndex, uint16_t nameAndTypeIndex) {
  return constantIndex(tag, classIndex, nameAndTypeIndex);
}

// A member's reference is made once per class generated when its descriptor can no longer
// change: fields and methods always, constructors of classes read from class files (one from
// source may still take parameters for captured values). One named through another class than
// the declaring one (rare) is made each time, since the member alone is no key for it.
static uint16_t memberRef(uint8_t tag, const Member* member, bool field, ClassDef* through) {
  auto make = [&] {
    uint16_t owner = addClass(through != nullptr ? through : member->owner);
    return addMemberRefIndexes(tag, owner, addNameAndType(member, field));
  };
  bool settled = member->kind != MK_CONSTRUCTOR || (member->owner != nullptr && member->owner->sourceFile == nullptr);
  return settled && through == nullptr ? memoized(member, tag, make) : make();
}

uint16_t addFieldRef(const Member* field, ClassDef* through) {
  return memberRef(CONSTANT_FIELD, field, true, through);
}

uint16_t addMethodRef(const Member* method, ClassDef* through) {
  return memberRef(CONSTANT_METHOD, method, false, through);
}

uint16_t addInterfaceMethodRef(const Member* method, ClassDef* through) {
  return memberRef(CONSTANT_INTERFACE_METHOD, method, false, through);
}
