// Descriptors and names. Each text is finished in the name buffer before anything else may use
// that buffer: binary names are computed first and dependencies noted after the text is stored.
#include "codegen/descriptors.h"

#include "codegen/constant_pool.h"
#include "codegen/dependency_lines.h"
#include "semantic/class_lookup.h"
#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/type_records.h"
#include "support/global.h"
#include "support/identifiers.h"

static void appendName(const Identifier* name) {
  if (name != nullptr) appendNameUtf16(identifierChars(name), name->length);
}

static void reserveNameChars(int32_t count) {
  while (global.nameCapacity - global.nameLength < count) growNameBuffer();
}

// Packages nest to any depth: the path is measured first and then written from its end, without
// a stack of components.
void appendPackagePath(const Package* package, uint16_t separator) {
  int32_t length = 0;
  for (const Package* p = package; p != nullptr && p->name != nullptr; p = p->parent) length += p->name->length + 1;
  if (length == 0) return;
  reserveNameChars(length);
  int32_t end = global.nameLength + length;
  for (const Package* p = package; p != nullptr && p->name != nullptr; p = p->parent) {
    global.nameBuffer[--end] = separator;
    end -= p->name->length;
    for (int32_t i = 0; i < p->name->length; i++) global.nameBuffer[end + i] = identifierChars(p->name)[i];
  }
  global.nameLength += length;
}

static const ClassDef* typeClass(const Type* type) {
  while (type != nullptr && type->kind == TK_ARRAY) type = type->element;
  if (type == nullptr || type->kind != TK_CLASS || type->classRef == nullptr) return nullptr;
  return type->classRef->resolved;
}

void prepareDescriptorNames(const Type* type) {
  computeBinaryName(const_cast<ClassDef*>(typeClass(type)));
}

void appendClassDescriptor(const ClassDef* cls, const Identifier* name, uint16_t separator) {
  appendNameChar('L');
  if (cls != nullptr) {
    appendPackagePath(cls->package, separator);
    appendName(cls->binaryName != nullptr ? cls->binaryName : cls->name);
  } else {
    appendName(name);
  }
  appendNameChar(';');
}

void appendTypeDescriptor(const Type* type, uint16_t separator) {
  while (type != nullptr && type->kind == TK_ARRAY) {
    appendNameChar('[');
    type = type->element;
  }
  if (type == nullptr) return;
  switch (type->kind) {
    case TK_ERROR: appendNameChar('@'); break;
    case TK_CLASS: {
      const ClassRef* ref = type->classRef;
      appendClassDescriptor(ref != nullptr ? ref->resolved : nullptr, ref != nullptr ? ref->name : nullptr, separator);
      break;
    }
    case TK_VOID: appendNameChar('V'); break;
    case TK_BOOLEAN: appendNameChar('Z'); break;
    case TK_CHAR: appendNameChar('C'); break;
    case TK_BYTE: appendNameChar('B'); break;
    case TK_SHORT: appendNameChar('S'); break;
    case TK_INT: appendNameChar('I'); break;
    case TK_LONG: appendNameChar('J'); break;
    case TK_FLOAT: appendNameChar('F'); break;
    case TK_DOUBLE: appendNameChar('D'); break;
    default: break;  // a qualifier contributes nothing
  }
}

static uint16_t storeNameBuffer() {
  return addUtf8Chars(global.nameBuffer, global.nameLength, 2);
}

static void noteTypeDependency(const Type* type) {
  if (const ClassDef* cls = typeClass(type)) noteClassDependency(const_cast<ClassDef*>(cls));
}

uint16_t fieldDescriptor(const Type* type) {
  prepareDescriptorNames(type);
  resetNameBuffer();
  appendTypeDescriptor(type, '/');
  uint16_t index = storeNameBuffer();
  noteTypeDependency(type);
  return index;
}

uint16_t classDescriptor(ClassDef* cls) {
  computeBinaryName(cls);
  resetNameBuffer();
  appendClassDescriptor(cls, nullptr, '/');
  uint16_t index = storeNameBuffer();
  noteClassDependency(cls);
  return index;
}

// Whether the class's binary name is its for good: a local or anonymous class, or one inside one,
// may be made again, or renamed, when the body that declares it is parsed again.
static bool hasLastingName(const ClassDef* cls) {
  for (const ClassDef* c = cls; c != nullptr; c = c->outer)
    if ((c->flags & (CF_LOCAL | CF_ANONYMOUS)) != 0) return false;
  return cls->binaryName != nullptr;
}

// A type whose descriptor no later pass can change: primitive, or naming a resolved class whose
// name is lasting.
static bool isLastingDescriptorType(const Type* type) {
  while (type != nullptr && type->kind == TK_ARRAY) type = type->element;
  if (type == nullptr || type->kind == TK_ERROR) return false;
  if (type->kind != TK_CLASS) return true;
  if (type->classRef == nullptr || type->classRef->resolved == nullptr) return false;
  return hasLastingName(type->classRef->resolved);
}

// A method's descriptor is kept, and later classes that call it take it as it was made: the
// parameters of a constructor of a class from source may still grow (captured values), and a
// method of a local class goes with its class.
static bool isLastingDescriptor(const Member* method) {
  const ClassDef* owner = method->owner;
  if (owner == nullptr || (method->kind == MK_CONSTRUCTOR && owner->sourceFile != nullptr)) return false;
  if (!hasLastingName(owner)) return false;
  for (const Parameter* p = method->parameters; p != nullptr; p = p->next)
    if (!isLastingDescriptorType(p->type)) return false;
  return method->kind == MK_CONSTRUCTOR || isLastingDescriptorType(method->type);
}

static void noteMethodDependencies(const Member* method) {
  for (const Parameter* p = method->parameters; p != nullptr; p = p->next) noteTypeDependency(p->type);
  if (method->kind != MK_CONSTRUCTOR) noteTypeDependency(method->type);
}

uint16_t methodDescriptor(const Member* method) {
  if (method->keptDescriptor != nullptr) {
    uint16_t index = addKeptUtf8(method->keptDescriptor);
    noteMethodDependencies(method);
    return index;
  }
  for (const Parameter* p = method->parameters; p != nullptr; p = p->next) prepareDescriptorNames(p->type);
  prepareDescriptorNames(method->type);
  resetNameBuffer();
  appendNameChar('(');
  for (const Parameter* p = method->parameters; p != nullptr; p = p->next) appendTypeDescriptor(p->type, '/');
  appendNameChar(')');
  if (method->type != nullptr && method->kind != MK_CONSTRUCTOR)
    appendTypeDescriptor(method->type, '/');
  else
    appendNameChar('V');
  uint16_t index = storeNameBuffer();
  if (isLastingDescriptor(method)) const_cast<Member*>(method)->keptDescriptor = keepUtf8(index);
  noteMethodDependencies(method);
  return index;
}

// Kept as a method's descriptor is, for the classes generated later that name the class.
uint16_t internalClassName(ClassDef* cls) {
  if (cls->keptInternalName != nullptr) {
    uint16_t index = addKeptUtf8(cls->keptInternalName);
    noteClassDependency(cls);
    return index;
  }
  computeBinaryName(cls);
  resetNameBuffer();
  appendPackagePath(cls->package, '/');
  appendName(cls->binaryName != nullptr ? cls->binaryName : cls->name);
  uint16_t index = storeNameBuffer();
  if (cls->kind != CLASS_KIND_ERROR && hasLastingName(cls)) cls->keptInternalName = keepUtf8(index);
  noteClassDependency(cls);
  return index;
}

const char* dottedClassName(ClassDef* cls) {
  if (cls->dottedName == nullptr) {
    computeBinaryName(cls);
    cls->dottedName = makeDottedName(cls->package, cls->binaryName != nullptr ? cls->binaryName : cls->name);
  }
  return cls->dottedName;
}
