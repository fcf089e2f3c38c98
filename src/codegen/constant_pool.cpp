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
#include "support/identifiers.h"
#include "semantic/element_names.h"

constexpr uint32_t FIRST_BUCKETS = 256;

static ConstantPool& pool() {
  return classGen.pool;
}

// The hashes read every character (as its unsigned value, so both widths agree) and every key word.
static uint32_t charactersHash(const void* characters, int32_t length, int32_t width) {
  uint32_t h = 2166136261u;
  for (int32_t i = 0; i < length; i++) {
    uint32_t c = width == 2 ? static_cast<const uint16_t*>(characters)[i] : static_cast<const uint8_t*>(characters)[i];
    h = (h ^ c) * 16777619u;
  }
  return h ^ (h >> 15);
}

static uint32_t keyHash(uint8_t tag, uint32_t first, uint32_t second) {
  uint32_t h = tag * 0x9E3779B1u ^ first * 0x85EBCA77u ^ (second + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  return h ^ (h >> 15);
}

static bool sameCharacters(const Utf8Entry* entry, const void* characters, int32_t length, int32_t width) {
  return entry->length == length &&
         compareNameChars(utf8EntryChars(entry), characters, length, width == 2 ? 2 : 1) == 0;
}

static uint32_t utf8Hash(const Utf8Entry* e) {
  return charactersHash(utf8EntryChars(e), e->length, 2);
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

Utf8Entry* findUtf8(const void* characters, int32_t length, int32_t width) {
  ConstantPool& p = pool();
  Utf8Entry** bucket = &p.utf8Table[charactersHash(characters, length, width) & (p.utf8Buckets - 1)];
  Utf8Entry* previous = nullptr;
  for (Utf8Entry* e = *bucket; e != nullptr; previous = e, e = e->next) {
    if (!sameCharacters(e, characters, length, width)) continue;
    if (previous != nullptr) {
      previous->next = e->next;
      e->next = *bucket;
      *bucket = e;
    }
    return e;
  }
  auto* entry = arenaNewWithTail<Utf8Entry>(&global.genArena, sizeof(uint16_t) * static_cast<size_t>(length));
  entry->length = length;
  auto* chars = const_cast<uint16_t*>(utf8EntryChars(entry));
  for (int32_t i = 0; i < length; i++)
    chars[i] = width == 2 ? static_cast<const uint16_t*>(characters)[i] : static_cast<const uint8_t*>(characters)[i];
  entry->next = *bucket;
  *bucket = entry;
  if (++p.utf8Entries > 2 * p.utf8Buckets)
    growArenaBuckets(&global.genArena, &p.utf8Table, &p.utf8Buckets, FIRST_BUCKETS, &Utf8Entry::next, utf8Hash);
  return entry;
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
  if (index >= p.slotCapacity) {
    int32_t capacity = p.slotCapacity == 0 ? 1024 : p.slotCapacity * 2;
    if (capacity > MAX_POOL_COUNT + 2) capacity = MAX_POOL_COUNT + 2;
    auto* grown = arenaNewArray<PoolSlot>(&global.genArena, static_cast<size_t>(capacity));
    if (p.slotCapacity > 0) std::memcpy(static_cast<void*>(grown), p.slots, sizeof(PoolSlot) * p.slotCapacity);
    p.slots = grown;
    p.slotCapacity = capacity;
  }
  p.slots[index] = PoolSlot{constant, utf8};
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
  for (int32_t i = 0; i < length; i++) {
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

// The longest prefix of the modified UTF-8 in the scratch buffer that fits one entry and ends at
// a character boundary.
static int32_t cutToUtf8Limit(int32_t bytes) {
  if (bytes <= MAX_UTF8_BYTES) return bytes;
  const auto* out = reinterpret_cast<const uint8_t*>(global.scratchBuffer);
  int32_t cut = MAX_UTF8_BYTES;
  while (cut > 0 && (out[cut] & 0xC0) == 0x80) cut--;
  return cut;
}

uint16_t addUtf8Chars(const void* characters, int32_t length, int32_t width) {
  Utf8Entry* entry = findUtf8(characters, length, width);
  if (entry->index != 0) return static_cast<uint16_t>(entry->index);
  OutputBuffer* buffer = &pool().buffer;
  int32_t bytes = toModifiedUtf8(utf8EntryChars(entry), entry->length, 2, 0);
  int32_t written = cutToUtf8Limit(bytes);
  putByte(CONSTANT_UTF8, buffer);
  putShort(static_cast<uint32_t>(written), buffer);
  putBytes(reinterpret_cast<const uint8_t*>(global.scratchBuffer), written, buffer);
  entry->index = numberEntry(1, nullptr, entry);
  if (written != bytes && classGen.cls != nullptr)
    errorInFile(classGen.cls->sourceFile, 0, 0, "exceeded.max.string", classToString(classGen.cls));
  return static_cast<uint16_t>(entry->index);
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

uint16_t addClass(ClassDef* cls) {
  if (cls == nullptr) return 0;
  return constantIndex(CONSTANT_CLASS, internalClassName(cls), 0);
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

static uint16_t memberRef(uint8_t tag, const Member* member, bool field, ClassDef* through) {
  uint16_t owner = addClass(through != nullptr ? through : member->owner);
  return addMemberRefIndexes(tag, owner, addNameAndType(member, field));
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
