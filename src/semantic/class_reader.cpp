// Reading class files. Every read checks first that the bytes are there and leaves through the
// reader's escape when they are not; every constant-pool index is checked against the table, so a
// malformed file gives a code, never a read outside the buffer. A read takes only the class's own
// records; the classes they name are resolved afterwards from a queue, so reads never nest.
#include "semantic/class_reader.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "semantic/class_lookup.h"
#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/java_arithmetic.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/class_file_format.h"
#include "support/diagnostics.h"
#include "support/frame_stack.h"
#include "support/global.h"
#include "support/hashing.h"
#include "support/identifiers.h"
#include "syntax/scanner.h"

namespace {

struct ReadPastEnd {};

struct Failure {
  int32_t code;
};

struct Reader {
  const uint8_t* cursor;
  const uint8_t* start;
  const uint8_t* end;
  int32_t length;
  std::vector<int32_t> poolOffsets;  // position of each entry's tag; -1 for none
  int32_t poolCount;
  int32_t line;
  int32_t column;
  Member** memberTail;  // where the next member of the class read goes
  ClassDef* cls;        // the class read
};

Reader* reader;

// A class reference read from a file, resolved once the file is read. An InnerClasses entry that
// names the class read as a member of another class also links the class to that outer class.
struct QueuedReference {
  ClassRef* ref;
  int32_t line;  // of the source reference that caused the read
  int32_t column;
  ClassDef* memberClass;
  Identifier* memberName;
  uint16_t memberFlags;
};

// The references of the reads of one session: the outermost read resolves them, and the reads
// that this starts only add theirs, so a chain of classes costs a queue entry per class, not
// stack. Classes read take part in the cycle search when the queue is empty.
struct ReadQueue {
  std::vector<QueuedReference> references;
  std::vector<ClassDef*> classesRead;
  bool resolving = false;
};

ReadQueue* queue;

constexpr int32_t MAX_ARRAY_DIMENSIONS = 255;

void need(int64_t n) {
  if (n < 0 || reader->end - reader->cursor < n) throw ReadPastEnd{};
}

uint32_t readU1() {
  need(1);
  return *reader->cursor++;
}

uint32_t readU2() {
  need(2);
  uint32_t v = static_cast<uint32_t>(reader->cursor[0]) << 8 | reader->cursor[1];
  reader->cursor += 2;
  return v;
}

uint32_t readU4() {
  need(4);
  const uint8_t* p = reader->cursor;
  uint32_t v = static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
  reader->cursor += 4;
  return v;
}

void skipBytes(int64_t n) {
  need(n);
  reader->cursor += n;
}

// The entry of pool index i when it has the tag, else null; the bytes after the tag are known to be
// inside the buffer, since the pool was walked with bounds checks.
const uint8_t* poolEntry(uint32_t index, uint8_t tag) {
  if (index < 1 || index >= static_cast<uint32_t>(reader->poolCount)) return nullptr;
  int32_t offset = reader->poolOffsets[index];
  if (offset < 0 || reader->start[offset] != tag) return nullptr;
  return reader->start + offset;
}

uint32_t be16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 8 | p[1];
}

uint32_t be32(const uint8_t* p) {
  return be16(p) << 16 | be16(p + 2);
}

bool utf8Entry(uint32_t index, const uint8_t** bytes, int32_t* length) {
  const uint8_t* entry = poolEntry(index, CONSTANT_UTF8);
  if (entry == nullptr) return false;
  *length = static_cast<int32_t>(be16(entry + 1));
  *bytes = entry + 3;
  return true;
}

bool allAscii(const uint8_t* bytes, int32_t length) {
  int32_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    if (word & 0x8080808080808080ull) return false;
  }
  for (; i < length; i++)
    if (bytes[i] & 0x80) return false;
  return true;
}

// Nearly every name of a class file is ASCII, which is interned where it stands in the pool.
Identifier* internUtf8(const uint8_t* bytes, int32_t length) {
  if (allAscii(bytes, length)) return lookupAsciiName(reinterpret_cast<const char*>(bytes), length, T_IDENTIFIER);
  resetNameBuffer();
  appendNameUtf8(reinterpret_cast<const char*>(bytes), length);
  return lookupName(global.nameBuffer, global.nameLength, T_IDENTIFIER);
}

// Internal names already read, with the package and simple name each stands for: the classes of
// a library name the same few hundred classes in thousands of descriptors, and each is split and
// interned once. In the main arena, so resetClassReader forgets it with the class table.
struct InternalName {
  InternalName* next;
  Package* package;
  Identifier* name;
  // A class type of the name, once a read found it naming a class read whole before: its
  // reference is resolved for good, so every later descriptor or throws clause that names the
  // class takes it, as a fresh reference would resolve at once and say nothing.
  Type* settledType;
  int32_t length;
  // `length` bytes of the name follow.
};

struct InternalNameTable {
  InternalName** buckets;
  uint32_t size;  // a power of two; 0 before the first name
  uint32_t count;
};

InternalNameTable internalNames;

InternalName** internalNameBucket(const uint8_t* bytes, int32_t length) {
  return &internalNames.buckets[hashBytes(bytes, length) & (internalNames.size - 1)];
}

void growInternalNames() {
  growArenaBuckets(&global.mainArena, &internalNames.buckets, &internalNames.size, 1024u, &InternalName::next,
                   [](const InternalName* entry) {
                     return hashBytes(reinterpret_cast<const uint8_t*>(entry + 1), entry->length);
                   });
}

Identifier* cpMemberName(uint32_t index) {
  const uint8_t* bytes;
  int32_t length;
  return utf8Entry(index, &bytes, &length) ? internUtf8(bytes, length) : nullptr;
}

Identifier* cpNonEmptyName(uint32_t index) {
  if (index == 0) return nullptr;
  Identifier* name = cpMemberName(index);
  return name != nullptr && name->length > 0 ? name : nullptr;
}

int32_t cpMemberKind(uint32_t index) {
  const uint8_t* bytes;
  int32_t length;
  if (!utf8Entry(index, &bytes, &length)) return 0;
  return length >= 2 && bytes[0] == '<' && bytes[1] == 'i' ? MK_CONSTRUCTOR : MK_METHOD;
}

bool cpUtf8Equals(uint32_t index, const char* text) {
  const uint8_t* bytes;
  int32_t length;
  return utf8Entry(index, &bytes, &length) && static_cast<size_t>(length) == std::strlen(text) &&
         std::memcmp(bytes, text, length) == 0;
}

// An internal name (java/lang/String) split and interned: every segment before the last a package.
InternalName* internalName(const uint8_t* bytes, int32_t length) {
  if (internalNames.size > 0) {
    for (InternalName* entry = *internalNameBucket(bytes, length); entry != nullptr; entry = entry->next)
      if (entry->length == length && std::memcmp(entry + 1, bytes, length) == 0) return entry;
  }
  Package* package = &rootPackage;
  int32_t segment = 0;
  for (int32_t i = 0; i < length; i++) {
    if (bytes[i] != '/') continue;
    if (i > segment) package = getPackage(package, internUtf8(bytes + segment, i - segment));
    segment = i + 1;
  }
  Identifier* name = internUtf8(bytes + segment, length - segment);
  if (internalNames.count >= internalNames.size) growInternalNames();
  auto* entry = arenaNewWithTail<InternalName>(&global.mainArena, length);
  InternalName** bucket = internalNameBucket(bytes, length);
  *entry = InternalName{*bucket, package, name, nullptr, length};
  std::memcpy(entry + 1, bytes, length);
  *bucket = entry;
  internalNames.count++;
  return entry;
}

// An internal name as a fresh reference.
ClassRef* classRefFromInternalName(const uint8_t* bytes, int32_t length) {
  InternalName* entry = internalName(bytes, length);
  return newClassRef(entry->package, entry->name, nullptr, 0, nullptr, 0, 0);
}

ClassRef* cpClassEntry(uint32_t index) {
  const uint8_t* entry = poolEntry(index, CONSTANT_CLASS);
  if (entry == nullptr) return nullptr;
  const uint8_t* bytes;
  int32_t length;
  if (!utf8Entry(be16(entry + 1), &bytes, &length)) return nullptr;
  return classRefFromInternalName(bytes, length);
}

ClassRef* cpNamedClassEntry(uint32_t index) {
  ClassRef* ref = cpClassEntry(index);
  return ref != nullptr && ref->name->length > 0 ? ref : nullptr;
}

StringValue* cpStringConstant(uint32_t index) {
  const uint8_t* entry = poolEntry(index, CONSTANT_STRING);
  if (entry == nullptr) return nullptr;
  const uint8_t* bytes;
  int32_t length;
  if (!utf8Entry(be16(entry + 1), &bytes, &length)) return nullptr;
  resetNameBuffer();
  appendNameUtf8(reinterpret_cast<const char*>(bytes), length);
  return newStringValue(&global.mainArena, global.nameBuffer, global.nameLength);
}

void queueReference(ClassRef* ref, ClassDef* memberClass = nullptr, Identifier* memberName = nullptr,
                    uint16_t memberFlags = 0) {
  queue->references.push_back({ref, reader->line, reader->column, memberClass, memberName, memberFlags});
}

// A class that the queue would resolve without a word: one read from a class file before this
// read, and read whole.
bool isSettledClass(const ClassDef* known) {
  return known != nullptr && known != reader->cls && known->sourceFile == nullptr &&
         (known->kind == CLASS_KIND_CLASS || known->kind == CLASS_KIND_INTERFACE);
}

// The class table keeps a settled class where it is, and no read still to come can make it an
// error class, so a reference to one takes it now and stays out of the queue. Any other is queued.
void queueUnlessKnown(ClassRef* ref) {
  ClassDef* known = findClassInPackage(ref->package, ref->name, 0, 0);
  if (isSettledClass(known)) {
    ref->resolved = known;
    return;
  }
  queueReference(ref);
}

// The class type an internal name stands for in a descriptor: the name's settled type when it has
// one, else a fresh reference queued as any other, which settles the name when it resolves at once.
Type* classTypeOf(InternalName* entry) {
  if (entry->settledType != nullptr && isSettledClass(entry->settledType->classRef->resolved))
    return entry->settledType;
  ClassRef* ref = newClassRef(entry->package, entry->name, nullptr, 0, nullptr, 0, 0);
  ref->line = reader->line;
  ref->column = reader->column;
  queueUnlessKnown(ref);
  Type* type = newClassType(ref, ref->name, 0, 0);
  if (ref->resolved != nullptr) entry->settledType = type;
  return type;
}

// One field type of a descriptor, as written: its class's internal name or its primitive type, and
// its array dimensions.
struct DescriptorSlot {
  InternalName* name;
  Type* primitive;
  int32_t dimensions;
};

// Reads one field type; `bytes` and `*length` advance past it. False on a malformed one.
bool parseDescriptorSlot(const uint8_t** bytes, int32_t* length, DescriptorSlot* slot) {
  int32_t dimensions = 0;
  while (*length > 0 && **bytes == '[') {
    if (++dimensions > MAX_ARRAY_DIMENSIONS) return false;
    (*bytes)++;
    (*length)--;
  }
  if (*length < 1) return false;
  char c = static_cast<char>(**bytes);
  (*bytes)++;
  (*length)--;
  *slot = DescriptorSlot{nullptr, nullptr, dimensions};
  if (c == 'L') {
    const uint8_t* semicolon = static_cast<const uint8_t*>(std::memchr(*bytes, ';', *length));
    if (semicolon == nullptr) return false;
    int32_t nameLength = static_cast<int32_t>(semicolon - *bytes);
    slot->name = internalName(*bytes, nameLength);
    *bytes += nameLength + 1;
    *length -= nameLength + 1;
    return true;
  }
  slot->primitive = descriptorLetterType(c);
  return slot->primitive != nullptr;
}

Type* typeOfSlot(const DescriptorSlot& slot) {
  Type* type = slot.name != nullptr ? classTypeOf(slot.name) : slot.primitive;
  for (int32_t i = 0; i < slot.dimensions; i++) type = newArrayType(type);
  return type;
}

// A field type from a descriptor; `bytes` and `*length` advance past it. Null on failure.
Type* parseFieldType(const uint8_t** bytes, int32_t* length) {
  DescriptorSlot slot;
  return parseDescriptorSlot(bytes, length, &slot) ? typeOfSlot(slot) : nullptr;
}

// Method descriptors already read, as their field types stand written: a library's classes use the
// same few thousand descriptors in many times as many methods, and each is split and its class
// names interned once. Every method still gets types of its own, made in the same order as a parse
// makes them. In the main arena, so resetClassReader forgets it with the class table.
struct ParsedDescriptor {
  ParsedDescriptor* next;
  uint32_t hash;
  int32_t length;
  int32_t slotCount;  // the parameters, then the result
  // slotCount slots follow, then the descriptor's `length` bytes.
};

struct ParsedDescriptorTable {
  ParsedDescriptor** buckets;
  uint32_t size;  // a power of two; 0 before the first descriptor
  uint32_t count;
};

ParsedDescriptorTable parsedDescriptors;

DescriptorSlot* descriptorSlots(ParsedDescriptor* entry) {
  return reinterpret_cast<DescriptorSlot*>(entry + 1);
}

const uint8_t* descriptorBytes(ParsedDescriptor* entry) {
  return reinterpret_cast<const uint8_t*>(descriptorSlots(entry) + entry->slotCount);
}

ParsedDescriptor** parsedDescriptorBucket(uint32_t hash) {
  return &parsedDescriptors.buckets[hash & (parsedDescriptors.size - 1)];
}

ParsedDescriptor* findParsedDescriptor(const uint8_t* bytes, int32_t length, uint32_t hash) {
  if (parsedDescriptors.size == 0) return nullptr;
  for (ParsedDescriptor* entry = *parsedDescriptorBucket(hash); entry != nullptr; entry = entry->next)
    if (entry->hash == hash && entry->length == length && std::memcmp(descriptorBytes(entry), bytes, length) == 0)
      return entry;
  return nullptr;
}

void keepParsedDescriptor(const uint8_t* bytes, int32_t length, uint32_t hash,
                          const FrameStack<DescriptorSlot, 16>& slots) {
  if (parsedDescriptors.count >= parsedDescriptors.size)
    growArenaBuckets(&global.mainArena, &parsedDescriptors.buckets, &parsedDescriptors.size, 1024u,
                     &ParsedDescriptor::next, [](const ParsedDescriptor* entry) { return entry->hash; });
  int32_t count = slots.size();
  auto* entry = arenaNewWithTail<ParsedDescriptor>(&global.mainArena, sizeof(DescriptorSlot) * count + length);
  ParsedDescriptor** bucket = parsedDescriptorBucket(hash);
  *entry = ParsedDescriptor{*bucket, hash, length, count};
  for (int32_t i = 0; i < count; i++) descriptorSlots(entry)[i] = slots[i];
  std::memcpy(const_cast<uint8_t*>(descriptorBytes(entry)), bytes, length);
  *bucket = entry;
  parsedDescriptors.count++;
}

void appendParameter(Parameter*** tail, Type* type) {
  Parameter* parameter = newParameter(nullptr, type, 0, 0, 0);
  **tail = parameter;
  *tail = &parameter->next;
}

// Parameters appended to the member in order; the result type, or null. A descriptor read before
// makes its types from its slots; a new one is read type by type, each made as it is read.
Type* parseMethodDescriptor(Member* method, uint32_t index) {
  const uint8_t* bytes;
  int32_t length;
  if (!utf8Entry(index, &bytes, &length) || length < 1 || bytes[0] != '(') return nullptr;
  Parameter** tail = &method->parameters;
  auto hash = static_cast<uint32_t>(hashBytes(bytes, length));
  if (ParsedDescriptor* known = findParsedDescriptor(bytes, length, hash)) {
    DescriptorSlot* slots = descriptorSlots(known);
    for (int32_t i = 0; i + 1 < known->slotCount; i++) appendParameter(&tail, typeOfSlot(slots[i]));
    return typeOfSlot(slots[known->slotCount - 1]);
  }
  const uint8_t* descriptor = bytes;
  int32_t descriptorLength = length;
  bytes++;
  length--;
  FrameStack<DescriptorSlot, 16> slots;
  // An array of void is reported as it is made: such a descriptor is read anew each time.
  bool keep = true;
  while (length > 0 && *bytes != ')') {
    DescriptorSlot slot;
    if (!parseDescriptorSlot(&bytes, &length, &slot)) return nullptr;
    Type* type = typeOfSlot(slot);
    if (type->kind == TK_VOID) return nullptr;
    appendParameter(&tail, type);
    slots.push(slot);
    keep = keep && !(slot.dimensions > 0 && slot.primitive == &voidType);
  }
  if (length < 1 || *bytes != ')') return nullptr;
  bytes++;
  length--;
  DescriptorSlot slot;
  if (!parseDescriptorSlot(&bytes, &length, &slot)) return nullptr;
  Type* result = typeOfSlot(slot);
  if (length != 0) return nullptr;
  slots.push(slot);
  keep = keep && !(slot.dimensions > 0 && slot.primitive == &voidType);
  if (keep) keepParsedDescriptor(descriptor, descriptorLength, hash, slots);
  return result;
}

// The end of the list is kept by the reader: a class of thousands of members is read in linear time.
void appendMember(ClassDef* cls, Member* m) {
  if (reader->memberTail == nullptr) {
    reader->memberTail = &cls->members;
    while (*reader->memberTail != nullptr) reader->memberTail = &(*reader->memberTail)->next;
  }
  *reader->memberTail = m;
  reader->memberTail = &m->next;
}

// Whether a reference names this very class: its package and its binary name both.
bool namesClass(const ClassRef* ref, const ClassDef* cls) {
  return ref != nullptr && ref->name == cls->binaryName && ref->package == cls->package;
}

uint16_t innerClassFlags(uint32_t flags) {
  uint16_t result = classFlagsToModifiers(0, static_cast<uint16_t>(flags));
  if (flags & ACC_STATIC) result |= CF_STATIC;
  if (flags & ACC_PRIVATE) result |= CF_PRIVATE;
  if (flags & ACC_PROTECTED) result |= CF_PROTECTED;
  return result;
}

void markFirstParameterSynthetic(ClassDef* cls) {
  for (Member* m = cls->members; m != nullptr; m = m->next)
    if (m->kind == MK_CONSTRUCTOR && m->parameters != nullptr) m->parameters->modifiers |= M_SYNTHETIC;
}

void readInnerClasses(ClassDef* cls) {
  uint32_t count = readU2();
  for (uint32_t i = 0; i < count; i++) {
    ClassRef* inner = cpNamedClassEntry(readU2());
    ClassRef* outerRef = cpNamedClassEntry(readU2());
    Identifier* name = cpNonEmptyName(readU2());
    uint32_t flags = readU2();
    uint16_t memberFlags = innerClassFlags(flags) | CF_INNER_MEMBER | CF_NESTED;
    if (outerRef != nullptr && namesClass(outerRef, cls)) {
      outerRef->resolved = cls;
      if (inner != nullptr && name != nullptr) addInnerClass(cls, nullptr, name, memberFlags, 0, 0);
    } else if (inner != nullptr && namesClass(inner, cls)) {
      inner->resolved = cls;
      // Linked to its outer class once that is resolved (linkMemberClass).
      if (outerRef != nullptr) queueReference(outerRef, cls, name, memberFlags);
      if ((flags & ACC_STATIC) == 0) markFirstParameterSynthetic(cls);
    }
  }
}

// A member class keeps the binary name of its file; its simple name is the entry's.
void linkMemberClass(const QueuedReference& entry) {
  ClassDef* outer = entry.ref->resolved;
  if (outer == nullptr || outer->kind == CLASS_KIND_ERROR || entry.memberName == nullptr) return;
  ClassDef* cls = entry.memberClass;
  cls->name = entry.memberName;
  cls->outer = outer;
  addInnerClass(outer, cls, entry.memberName, entry.memberFlags, 0, 0);
}

void readField(ClassDef* cls) {
  Member* field = newMemberOfKind(&global.mainArena, MK_VARIABLE);
  field->owner = cls;
  field->constantState = CONSTANT_NONE;
  appendMember(cls, field);
  uint32_t flags = readU2();
  if (flags & ~uint32_t{FIELD_ACCESS_FLAGS}) throw Failure{CLASSFILE_FIELD_FLAGS};
  field->modifiers = memberFlagsToModifiers(0, static_cast<uint16_t>(flags));
  field->name = cpMemberName(readU2());
  if (field->name == nullptr) throw Failure{CLASSFILE_FIELD};
  const uint8_t* bytes;
  int32_t length;
  if (!utf8Entry(readU2(), &bytes, &length)) throw Failure{CLASSFILE_FIELD};
  field->type = parseFieldType(&bytes, &length);
  if (field->type == nullptr || length != 0 || field->type->kind == TK_VOID) throw Failure{CLASSFILE_FIELD};
  uint32_t count = readU2();
  for (uint32_t i = 0; i < count; i++) {
    uint32_t name = readU2();
    uint32_t attributeLength = readU4();
    if (attributeLength == 2 && cpUtf8Equals(name, "ConstantValue")) {
      uint32_t index = readU2();
      const uint8_t* entry;
      switch (field->type->kind) {
        case TK_CLASS:
          field->constantValue = cpStringConstant(index);
          if (field->constantValue == nullptr) throw Failure{CLASSFILE_STRING};
          break;
        case TK_BOOLEAN:
        case TK_CHAR:
        case TK_BYTE:
        case TK_SHORT:
        case TK_INT: {
          entry = poolEntry(index, CONSTANT_INTEGER);
          if (entry == nullptr) throw Failure{CLASSFILE_INTEGER};
          int32_t value = static_cast<int32_t>(be32(entry + 1));
          field->constantValue = arenaCopy(&global.mainArena, &value, sizeof value);
          break;
        }
        case TK_LONG: {
          entry = poolEntry(index, CONSTANT_LONG);
          if (entry == nullptr) throw Failure{CLASSFILE_LONG};
          int64_t value = makeLong(static_cast<int32_t>(be32(entry + 1)), be32(entry + 5));
          field->constantValue = arenaCopy(&global.mainArena, &value, sizeof value);
          break;
        }
        case TK_FLOAT: {
          entry = poolEntry(index, CONSTANT_FLOAT);
          if (entry == nullptr) throw Failure{CLASSFILE_FLOAT};
          double value = floatBitsToDouble(be32(entry + 1));
          field->constantValue = arenaCopy(&global.mainArena, &value, sizeof value);
          break;
        }
        case TK_DOUBLE: {
          entry = poolEntry(index, CONSTANT_DOUBLE);
          if (entry == nullptr) throw Failure{CLASSFILE_DOUBLE};
          double value = doubleFromWords(static_cast<int32_t>(be32(entry + 1)), be32(entry + 5));
          field->constantValue = arenaCopy(&global.mainArena, &value, sizeof value);
          break;
        }
        default:
          // An array field cannot have a constant: the attribute is ignored.
          break;
      }
      if (field->constantValue != nullptr) field->constantState = CONSTANT_KEPT;
    } else if (attributeLength == 0 && cpUtf8Equals(name, "Deprecated")) {
      field->modifiers |= M_DEPRECATED;
    } else if (attributeLength == 0 && cpUtf8Equals(name, "Synthetic")) {
      field->modifiers |= M_SYNTHETIC;
    } else {
      skipBytes(attributeLength);
    }
  }
}

void readMethod(ClassDef* cls) {
  // The kind follows from the name, read below.
  Member* method = newMemberOfKind(&global.mainArena, 0);
  method->owner = cls;
  appendMember(cls, method);
  uint32_t flags = readU2();
  if (flags & ~uint32_t{METHOD_ACCESS_FLAGS}) throw Failure{CLASSFILE_METHOD_FLAGS};
  method->modifiers = memberFlagsToModifiers(0, static_cast<uint16_t>(flags));
  uint32_t nameIndex = readU2();
  method->kind = cpMemberKind(nameIndex);
  if (method->kind == 0) throw Failure{CLASSFILE_METHOD_NAME_ENTRY};
  if (method->kind == MK_METHOD) {
    method->name = cpNonEmptyName(nameIndex);
    if (method->name == nullptr) throw Failure{CLASSFILE_METHOD_NAME};
  }
  method->type = parseMethodDescriptor(method, readU2());
  if (method->type == nullptr) throw Failure{CLASSFILE_METHOD_DESCRIPTOR};
  if (method->kind == MK_CONSTRUCTOR) method->type = nullptr;
  uint32_t count = readU2();
  for (uint32_t i = 0; i < count; i++) {
    uint32_t name = readU2();
    uint32_t length = readU4();
    if (cpUtf8Equals(name, "Exceptions")) {
      need(length);
      const uint8_t* attributeEnd = reader->cursor + length;
      uint32_t thrown = readU2();
      ThrowsEntry** tail = &method->throwsList;
      for (uint32_t t = 0; t < thrown; t++) {
        ClassRef* ref = cpClassEntry(readU2());
        if (ref == nullptr) throw Failure{CLASSFILE_EXCEPTION_CLASS};
        queueUnlessKnown(ref);
        ThrowsEntry* entry = newThrowsEntry(ref, 0, 0);
        *tail = entry;
        tail = &entry->next;
      }
      if (reader->cursor > attributeEnd) throw ReadPastEnd{};
      reader->cursor = attributeEnd;
    } else if (length == 0 && cpUtf8Equals(name, "Deprecated")) {
      method->modifiers |= M_DEPRECATED;
    } else if (length == 0 && cpUtf8Equals(name, "Synthetic")) {
      method->modifiers |= M_SYNTHETIC;
    } else {
      skipBytes(length);
    }
  }
}

// Reads the class file into `cls`, in the order of the file:
//  1. the magic number (CLASSFILE_MAGIC), the minor version, which is not looked at, and the
//     major version: any but 45 is "wrong.class.version" and makes the class an error class;
//  2. the constant pool, indexed by offset only (a long or double takes two slots; an unknown tag
//     is CLASSFILE_POOL_TAG); entries are decoded when a later step asks for them;
//  3. the access flags, and this_class, which gives the name and the package
//     (CLASSFILE_THIS_CLASS when it names no class); the kind follows ACC_INTERFACE, and flags
//     outside the known ones are CLASSFILE_CLASS_FLAGS;
//  4. the superclass and the interfaces, queued to be resolved once the read is done;
//  5. the fields, then the methods (readField, readMethod);
//  6. the class attributes: Deprecated, InnerClasses (the member classes); others are skipped.
// Returns 0, or the CLASSFILE_ code of the first fault; a read past the end throws ReadPastEnd.
int32_t readClassFile(const char* path, ClassDef* cls) {
  if (readU4() != CLASS_MAGIC) return CLASSFILE_MAGIC;
  readU2();
  uint32_t major = readU2();
  uint32_t count = readU2();
  if (major != CLASS_MAJOR_VERSION) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", major);
    errorInFile(nullptr, 0, 0, "wrong.class.version", path, text);
    cls->kind = CLASS_KIND_ERROR;
    return 0;
  }
  reader->poolCount = static_cast<int32_t>(count);
  reader->poolOffsets.assign(count > 0 ? count : 1, -1);
  for (uint32_t i = 1; i < count; i++) {
    reader->poolOffsets[i] = static_cast<int32_t>(reader->cursor - reader->start);
    switch (readU1()) {
      case CONSTANT_UTF8: skipBytes(readU2()); break;
      case CONSTANT_INTEGER:
      case CONSTANT_FLOAT: skipBytes(4); break;
      case CONSTANT_LONG:
      case CONSTANT_DOUBLE:
        skipBytes(8);
        i++;
        break;
      case CONSTANT_CLASS:
      case CONSTANT_STRING: skipBytes(2); break;
      case CONSTANT_FIELD:
      case CONSTANT_METHOD:
      case CONSTANT_INTERFACE_METHOD:
      case CONSTANT_NAME_AND_TYPE: skipBytes(4); break;
      default:
        return CLASSFILE_POOL_TAG;
    }
  }
  uint32_t flags = readU2();
  uint32_t thisClass = readU2();
  uint32_t superIndex = readU2();
  // A file that names no class of its own (this_class 0, as in one of zeros after the header)
  // must not pass for the class looked for.
  ClassRef* self = cpNamedClassEntry(thisClass);
  if (self == nullptr) return CLASSFILE_THIS_CLASS;
  cls->name = self->name;
  cls->binaryName = self->name;
  cls->package = self->package;
  cls->flags = classFlagsToModifiers(cls->flags, static_cast<uint16_t>(flags));
  cls->kind = (flags & ACC_INTERFACE) ? CLASS_KIND_INTERFACE : CLASS_KIND_CLASS;
  if (flags & ~uint32_t{CLASS_ACCESS_FLAGS}) return CLASSFILE_CLASS_FLAGS;
  if (superIndex != 0) {
    ClassRef* superclass = cpClassEntry(superIndex);
    if (superclass == nullptr) return CLASSFILE_SUPERCLASS;
    queueReference(superclass);
    cls->superclass = superclass;
  }
  uint32_t interfaces = readU2();
  ClassRef** tail = &cls->interfaces;
  for (uint32_t i = 0; i < interfaces; i++) {
    ClassRef* ref = cpClassEntry(readU2());
    if (ref == nullptr) return CLASSFILE_INTERFACE;
    queueReference(ref);
    *tail = ref;
    tail = &ref->next;
  }
  uint32_t fields = readU2();
  for (uint32_t i = 0; i < fields; i++) readField(cls);
  uint32_t methods = readU2();
  for (uint32_t i = 0; i < methods; i++) readMethod(cls);
  uint32_t attributes = readU2();
  for (uint32_t i = 0; i < attributes; i++) {
    uint32_t name = readU2();
    uint32_t length = readU4();
    if (length == 0 && cpUtf8Equals(name, "Deprecated")) {
      cls->flags |= CF_DEPRECATED;
    } else if (length >= 1 && cpUtf8Equals(name, "InnerClasses")) {
      need(length);
      const uint8_t* attributeEnd = reader->cursor + length;
      readInnerClasses(cls);
      if (reader->cursor > attributeEnd) throw ReadPastEnd{};
      reader->cursor = attributeEnd;
    } else {
      skipBytes(length);
    }
  }
  return 0;
}

// A class file that inherits from itself through class files alone is never compiled against:
// a depth-first search over the supertypes of the classes read, with each class on the search's
// path marked, finds the cycle once. Classes cleared by an earlier search are not searched again;
// a class from source ends the search (its own check covers cycles through it), and so does a
// reference still to be resolved by an interrupted session, which leaves the classes that lead
// to it uncleared.
void checkSupertypeCycles(const std::vector<ClassDef*>& classes, int32_t line, int32_t column) {
  struct Step {
    ClassDef* cls;
    ClassRef* next;  // the supertype to search next: the superclass, then the interfaces in order
    bool superclassDone;
    bool complete;  // every supertype below is resolved
  };
  std::vector<Step> path;
  auto enter = [&](ClassRef* supertype) {
    ClassDef* cls = supertype->resolved;
    if (cls == nullptr) {
      path.back().complete = false;
      return;
    }
    if (cls->state & CLASS_ON_SUPERTYPE_PATH)
      fatalError(line > 0 ? global.current : nullptr, line, column, "circular.super", classToString(cls));
    if (cls->sourceFile != nullptr || cls->kind == CLASS_KIND_ERROR || (cls->state & CLASS_SUPERTYPES_ACYCLIC)) return;
    cls->state |= CLASS_ON_SUPERTYPE_PATH;
    path.push_back({cls, nullptr, false, true});
  };
  for (ClassDef* start : classes) {
    if (start->state & CLASS_SUPERTYPES_ACYCLIC) continue;
    start->state |= CLASS_ON_SUPERTYPE_PATH;
    path.push_back({start, nullptr, false, true});
    while (!path.empty()) {
      Step& step = path.back();
      ClassRef* supertype;
      if (!step.superclassDone) {
        step.superclassDone = true;
        step.next = step.cls->interfaces;
        supertype = step.cls->superclass;
      } else if (step.next != nullptr) {
        supertype = step.next;
        step.next = supertype->next;
      } else {
        ClassDef* done = step.cls;
        bool complete = step.complete;
        path.pop_back();
        done->state &= ~CLASS_ON_SUPERTYPE_PATH;
        if (complete)
          done->state |= CLASS_SUPERTYPES_ACYCLIC;
        else if (!path.empty())
          path.back().complete = false;
        continue;
      }
      // May grow the path, so `step` is not used after it.
      if (supertype != nullptr) enter(supertype);
    }
  }
}

// Resolves the queue in order, while the reads it starts add to its end.
void resolveQueue(int32_t line, int32_t column) {
  queue->resolving = true;
  for (size_t i = 0; i < queue->references.size(); i++) {
    QueuedReference entry = queue->references[i];
    resolveOrError(entry.ref, entry.line, entry.column);
    if (entry.memberClass != nullptr) linkMemberClass(entry);
  }
  checkSupertypeCycles(queue->classesRead, line, column);
}

}  // namespace

void resetClassReader() {
  internalNames = InternalNameTable{};
  parsedDescriptors = ParsedDescriptorTable{};
}

bool readingClassFile() {
  return reader != nullptr || (queue != nullptr && queue->resolving);
}

ClassReadSession::ClassReadSession() : interrupted(queue) {
  queue = nullptr;
}

ClassReadSession::~ClassReadSession() {
  queue = static_cast<ReadQueue*>(interrupted);
}

uint16_t classFlagsToModifiers(uint16_t old, uint16_t flags) {
  if (flags & ACC_PUBLIC) old |= CF_PUBLIC;
  if (flags & ACC_ABSTRACT) old |= CF_ABSTRACT;
  if (flags & ACC_FINAL) old |= CF_FINAL;
  if (flags & ACC_INTERFACE) old |= CF_INTERFACE;
  return old;
}

namespace {

struct FlagMapping {
  uint16_t file;
  uint16_t compiler;
};

constexpr FlagMapping memberFlagMapping[] = {
    {ACC_PUBLIC, M_PUBLIC},         {ACC_PRIVATE, M_PRIVATE},     {ACC_PROTECTED, M_PROTECTED},
    {ACC_STATIC, M_STATIC},         {ACC_FINAL, M_FINAL},         {ACC_SYNCHRONIZED, M_SYNCHRONIZED},
    {ACC_VOLATILE, M_VOLATILE},     {ACC_TRANSIENT, M_TRANSIENT}, {ACC_NATIVE, M_NATIVE},
    {ACC_ABSTRACT, M_ABSTRACT},     {ACC_STRICT, M_STRICTFP},     {ACC_SYNTHETIC, M_SYNTHETIC}};

// The modifiers of each value of the flags' low byte (shift 0) or high byte (shift 8): every
// member read looks its flags up in the two, not through the list.
struct ModifierTable {
  uint16_t bits[256];
};

constexpr ModifierTable makeModifierTable(int shift) {
  ModifierTable table{};
  for (int value = 0; value < 256; value++)
    for (const FlagMapping& m : memberFlagMapping)
      if ((value << shift) & m.file) table.bits[value] |= m.compiler;
  return table;
}

constexpr ModifierTable lowFlagModifiers = makeModifierTable(0);
constexpr ModifierTable highFlagModifiers = makeModifierTable(8);

}  // namespace

uint16_t memberFlagsToModifiers(uint16_t old, uint16_t flags) {
  return old | lowFlagModifiers.bits[flags & 0xFF] | highFlagModifiers.bits[flags >> 8];
}

// Says what is wrong with the class file in words, by the part of it that failed.
static void reportDamagedClassFile(const char* path, int32_t code) {
  switch (code) {
    case CLASSFILE_MAGIC:
      errorInFile(nullptr, 0, 0, "bad.class.file.magic", path);
      return;
    case CLASSFILE_TRUNCATED:
      errorInFile(nullptr, 0, 0, "bad.class.file.truncated", path);
      return;
    case CLASSFILE_POOL_TAG:
      errorInFile(nullptr, 0, 0, "bad.class.file.pool", path);
      return;
    case CLASSFILE_THIS_CLASS:
      errorInFile(nullptr, 0, 0, "bad.class.file.name", path);
      return;
    case CLASSFILE_CLASS_FLAGS:
      errorInFile(nullptr, 0, 0, "bad.class.file.class.flags", path);
      return;
    case CLASSFILE_FIELD_FLAGS:
      errorInFile(nullptr, 0, 0, "bad.class.file.field.flags", path);
      return;
    case CLASSFILE_METHOD_FLAGS:
      errorInFile(nullptr, 0, 0, "bad.class.file.method.flags", path);
      return;
    case CLASSFILE_SUPERCLASS:
    case CLASSFILE_INTERFACE:
      errorInFile(nullptr, 0, 0, "bad.class.file.supertype", path);
      return;
    case CLASSFILE_FIELD:
      errorInFile(nullptr, 0, 0, "bad.class.file.field", path);
      return;
    case CLASSFILE_METHOD_NAME_ENTRY:
    case CLASSFILE_METHOD_NAME:
    case CLASSFILE_METHOD_DESCRIPTOR:
      errorInFile(nullptr, 0, 0, "bad.class.file.method", path);
      return;
    case CLASSFILE_EXCEPTION_CLASS:
      errorInFile(nullptr, 0, 0, "bad.class.file.throws", path);
      return;
    case CLASSFILE_LONG:
    case CLASSFILE_DOUBLE:
    case CLASSFILE_FLOAT:
    case CLASSFILE_INTEGER:
    case CLASSFILE_STRING:
      errorInFile(nullptr, 0, 0, "bad.class.file.constant", path);
      return;
    default:
      errorInFile(nullptr, 0, 0, "bad.class.file", path);
      return;
  }
}

int32_t loadClassFromBuffer(const char* path, ClassDef* cls, const uint8_t* bytes, int32_t length, int32_t line,
                            int32_t column) {
  // The outermost read of a session owns the queue; a stop that unwinds through it drops the queue.
  ReadQueue own;
  bool outermost = queue == nullptr;
  if (outermost) {
    // A read names some dozens of classes, and the reads it starts add theirs: a library's
    // closure some thousands, which would otherwise be copied at each doubling.
    own.references.reserve(2048);
    own.classesRead.reserve(32);
    queue = &own;
  }
  struct Release {
    bool outermost;
    ~Release() {
      if (outermost) queue = nullptr;
    }
  } release{outermost};
  growScratchBuffer(512);
  Reader state{bytes, bytes, bytes + (length > 0 ? length : 0), length, {}, 0, line, column, nullptr, cls};
  Reader* previous = reader;
  reader = &state;
  int32_t result;
  try {
    result = readClassFile(path, cls);
  } catch (const ReadPastEnd&) {
    result = CLASSFILE_TRUNCATED;
  } catch (const Failure& failure) {
    result = failure.code;
  } catch (...) {
    reader = previous;
    throw;
  }
  reader = previous;
  if (result != 0) {
    reportDamagedClassFile(path, result);
    cls->kind = CLASS_KIND_ERROR;
  } else if (cls->kind != CLASS_KIND_ERROR) {
    queue->classesRead.push_back(cls);
  }
  // What a failed read named is still resolved: the records kept from it stay consistent.
  if (outermost) resolveQueue(line, column);
  return result;
}
