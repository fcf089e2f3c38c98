// The constant pool of the class being generated. Every constant appears once: Utf8 strings and
// the other entries are found through two hash tables, and an entry's bytes are appended to the
// pool buffer when it is first asked for, after the entries it refers to, so the pool is in the
// order of first need. Every add function returns the pool index (from 1); the state lives in
// ClassGenState and is cleared for each class (initConstantPool).
#pragma once

#include <cstdint>

#include "codegen/output_buffers.h"
#include "support/class_file_format.h"

struct ClassDef;
struct Identifier;
struct Member;
struct Type;

// The largest pool count a class file can hold (constant_pool_count is the count + 1).
constexpr int32_t MAX_POOL_COUNT = 65534;
// The longest modified-UTF-8 form one Utf8 entry can hold.
constexpr int32_t MAX_UTF8_BYTES = 65535;

// A constant other than a Utf8, keyed by its tag and two words:
//   Integer, Float: the 32 bits, 0      Long: high, low      Double: low, high
//   Class, String: the Utf8 index, 0    Fieldref, Methodref, InterfaceMethodref: class, NameAndType
//   NameAndType: the name's Utf8 index, the descriptor's Utf8 index
struct ConstantEntry {
  ConstantEntry* next;  // in its bucket
  int32_t index;        // 0 until appended; never wraps, so 0 keeps its meaning past the limit
  uint8_t tag;
  uint32_t first;
  uint32_t second;
};

// A string, kept in its modified UTF-8 form whichever width it came in: two strings are the same
// entry exactly when those bytes are the same.
struct Utf8Entry {
  Utf8Entry* next;  // in its bucket
  int32_t index;    // 0 until appended
  int32_t length;   // bytes
  uint32_t hash;
  // `length` bytes follow.
};

inline const uint8_t* utf8EntryBytes(const Utf8Entry* entry) {
  return reinterpret_cast<const uint8_t*>(entry + 1);
}

// What a reference from generated code came to in the pool of the class being generated, keyed by
// the record it was made from (a class or a member) and its kind (0 for a class, else the tag).
struct PoolMemo {
  const void* key;
  uint32_t kind;
  uint32_t index;
};

// What one pool index holds, for readers of finished code (the stack-depth pass): exactly one of
// the two is set; neither for the second slot of a Long or Double.
struct PoolSlot {
  const ConstantEntry* constant;
  const Utf8Entry* utf8;
};

// The two tables grow with the pool (a power of two of buckets, at most two entries per bucket
// on average), so a lookup stays a short walk however many constants a class has.
struct ConstantPool {
  int32_t count;  // slots used so far: the last index handed out
  Utf8Entry** utf8Table;
  uint32_t utf8Buckets;
  uint32_t utf8Entries;
  ConstantEntry** constantTable;
  uint32_t constantBuckets;
  uint32_t constantEntries;
  PoolSlot* slots;  // indexed by pool index, up to MAX_POOL_COUNT + 1
  int32_t slotCapacity;
  // Open addressing (a null key is free), a power of two of slots at most half full; none until the
  // first reference.
  PoolMemo* memo;
  uint32_t memoMask;
  uint32_t memoCount;
  OutputBuffer buffer;
};

// Empties both tables, sets the count to 0 and makes the pool buffer new.
void initConstantPool();

// Strings: width 1 for 8-bit characters (taken as U+0000 to U+00FF), 2 for 16-bit ones; the same
// text reaches the same entry in either width. A string whose modified UTF-8 passes
// MAX_UTF8_BYTES is reported ("exceeded.max.string") and written cut at a character boundary.
uint16_t addUtf8Chars(const void* characters, int32_t length, int32_t width);
uint16_t addUtf8(const char* text);
uint16_t addIdentifierUtf8(const Identifier* identifier);

uint16_t addInteger(int32_t value);
// The double is narrowed to a float, whose bits are the key.
uint16_t addFloat(double value);
uint16_t addLong(int64_t value);
uint16_t addDouble(double value);
uint16_t addString(uint16_t utf8Index);
// Class entries: of a class by its internal name (0 for no class; notes a dependency), and of an
// array type by its descriptor (0 for no type).
uint16_t addClass(ClassDef* cls);
uint16_t addArrayClass(const Type* type);
// The member's name ("<init>" for a constructor, which has none) with the field descriptor of its
// type when `field`, else its method descriptor.
uint16_t addNameAndType(const Member* member, bool field);
// References to a member, naming its declaring class, or `through` when that is given.
uint16_t addFieldRef(const Member* field, ClassDef* through = nullptr);
uint16_t addMethodRef(const Member* method, ClassDef* through = nullptr);
uint16_t addInterfaceMethodRef(const Member* method, ClassDef* through = nullptr);
// The same from indexes already in the pool, for references no Member stands for.
uint16_t addNameAndTypeIndexes(uint16_t nameIndex, uint16_t descriptorIndex);
uint16_t addMemberRefIndexes(uint8_t tag, uint16_t classIndex, uint16_t nameAndTypeIndex);

// The entry for a key, found or made; a made one has index 0, and the caller appends its bytes
// and numbers it (appendConstant).
ConstantEntry* findOrAddConstant(uint8_t tag, uint32_t first, uint32_t second);
Utf8Entry* findUtf8(const void* characters, int32_t length, int32_t width);
// A copy, in the main arena, of the Utf8 entry at `index` (null when the index holds none), which
// addKeptUtf8 adds to the pool of any later class as the characters it was made from would be.
const Utf8Entry* keepUtf8(uint16_t index);
uint16_t addKeptUtf8(const Utf8Entry* kept);
// Appends a made entry's bytes to the pool buffer and gives it the next index (two slots for Long
// and Double).
void appendConstant(ConstantEntry* entry);

// Writes the modified UTF-8 form of the characters into the scratch buffer from `offset` and
// returns the offset behind the last byte: 1-127 one byte, 0 and 128-2047 two bytes (0 is C0 80),
// the rest three.
int32_t toModifiedUtf8(const void* characters, int32_t length, int32_t width, int32_t offset);

// What an index holds; a slot of nothing for an index out of range.
PoolSlot poolSlot(int32_t index);
