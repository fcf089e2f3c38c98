// The package tree, per-package class lists and the caches of well-known classes and members.
// Everything here points into the main arena, so resetClassTable forgets it all before every
// compile and evaluation.
#include "semantic/class_table.h"

#include <cstdio>
#include <cstring>

#include "semantic/class_lookup.h"
#include "semantic/class_names.h"
#include "semantic/class_reader.h"
#include "semantic/element_names.h"
#include "semantic/imports.h"
#include "semantic/name_lookup.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/hashing.h"
#include "support/identifiers.h"
#include "support/linked_lists.h"
#include "support/source_file.h"
#include "syntax/scanner.h"

Package rootPackage;
Package* javaLangPackage;
Package* javaIoPackage;
ClassDef* objectClass;
ClassRef* objectClassRef;
Type* stringType;
RuntimeMembers runtimeMembers;

namespace {

enum KnownClass {
  KNOWN_THROWABLE,
  KNOWN_ERROR,
  KNOWN_STRING,
  KNOWN_RUNTIME_EXCEPTION,
  KNOWN_CLASS,
  KNOWN_STRING_BUFFER,
  KNOWN_CLASS_NOT_FOUND,
  KNOWN_NO_CLASS_DEF,
  KNOWN_CLONEABLE,
  KNOWN_SERIALIZABLE,
  KNOWN_COUNT,
};

const char* const knownClassNames[KNOWN_COUNT] = {
    "Throwable", "Error", "String", "RuntimeException", "Class", "StringBuffer", "ClassNotFoundException",
    "NoClassDefFoundError", "Cloneable", "Serializable",
};

ClassDef* knownClasses[KNOWN_COUNT];
Member* typeFields[TK_DOUBLE + 1];

// The classes of every package by binary name, beside the package lists, which keep the order
// classes were added in: a package of many classes (nested ones all join their outermost class's
// package) is searched without a walk of its list. An entry keeps the name its class was added
// under; one whose class was renamed since (a class file that named another class) no longer
// matches, as in the list.
struct IndexEntry {
  IndexEntry* next;
  Package* package;
  Identifier* name;
  ClassDef* cls;
};

struct ClassIndex {
  IndexEntry** buckets;
  uint32_t size;  // a power of two; 0 before the first class
  uint32_t count;
};

ClassIndex classIndex;

IndexEntry** indexBucket(const Package* package, const Identifier* name) {
  return &classIndex.buckets[hashPointers(package, name) & (classIndex.size - 1)];
}

// Every package by its parent and name, beside the child lists, which keep their order for the
// passes: a package of thousands of sub-packages is searched without a walk of its children.
struct PackageEntry {
  PackageEntry* next;
  Package* package;
};

struct PackageIndex {
  PackageEntry** buckets;
  uint32_t size;  // a power of two; 0 before the first package
  uint32_t count;
};

PackageIndex packageIndex;
int64_t packageProbes;

PackageEntry** packageBucket(const Package* parent, const Identifier* name) {
  return &packageIndex.buckets[hashPointers(parent, name) & (packageIndex.size - 1)];
}

void indexPackage(Package* package) {
  if (packageIndex.count >= packageIndex.size)
    growArenaBuckets(&global.mainArena, &packageIndex.buckets, &packageIndex.size, 256, &PackageEntry::next,
                     [](const PackageEntry* entry) { return hashPointers(entry->package->parent, entry->package->name); });
  auto* entry = arenaNew<PackageEntry>(&global.mainArena);
  PackageEntry** bucket = packageBucket(package->parent, package->name);
  *entry = PackageEntry{*bucket, package};
  *bucket = entry;
  packageIndex.count++;
}

void indexClass(Package* package, ClassDef* cls) {
  if (classIndex.count >= classIndex.size)
    growArenaBuckets(&global.mainArena, &classIndex.buckets, &classIndex.size, 256, &IndexEntry::next,
                     [](const IndexEntry* entry) { return hashPointers(entry->package, entry->name); });
  auto* entry = arenaNew<IndexEntry>(&global.mainArena);
  IndexEntry** bucket = indexBucket(package, cls->binaryName);
  *entry = IndexEntry{*bucket, package, cls->binaryName, cls};
  *bucket = entry;
  classIndex.count++;
}

void unindexClass(Package* package, ClassDef* cls) {
  if (classIndex.size == 0) return;
  for (IndexEntry** at = indexBucket(package, cls->binaryName); *at != nullptr; at = &(*at)->next) {
    if ((*at)->cls == cls && (*at)->package == package) {
      *at = (*at)->next;
      classIndex.count--;
      return;
    }
  }
}

ClassDef* knownClass(KnownClass which) {
  if (knownClasses[which] == nullptr) {
    Package* package = javaLangPackage;
    if (which == KNOWN_SERIALIZABLE) {
      if (javaIoPackage == nullptr) javaIoPackage = getPackage(getPackage(nullptr, enterName("java", T_IDENTIFIER)), enterName("io", T_IDENTIFIER));
      package = javaIoPackage;
    }
    if (package == nullptr) return nullptr;
    knownClasses[which] = findClass(package, knownClassNames[which]);
  }
  return knownClasses[which];
}

int32_t parameterCount(const Member* m) {
  int32_t n = 0;
  for (const Parameter* p = m->parameters; p != nullptr; p = p->next) n++;
  return n;
}

// Whether a reference names exactly this class (by its resolution, else by its name).
bool refNamesClass(const ClassRef* ref, const ClassDef* cls) {
  if (ref == nullptr || cls == nullptr) return false;
  if (ref->resolved != nullptr) return ref->resolved == cls;
  if (ref->name != cls->name) return false;
  const Package* package = ref->package;
  if (package == nullptr && ref->context != nullptr) package = ref->context->package;
  return package == cls->package;
}

bool isExactClassType(const Type* type, const ClassDef* cls) {
  return type != nullptr && type->kind == TK_CLASS && refNamesClass(type->classRef, cls);
}

bool hasName(const Member* m, const char* name) {
  if (m->name == nullptr) return false;
  size_t length = std::strlen(name);
  return m->name->length == static_cast<int32_t>(length) &&
         compareNameChars(identifierChars(m->name), name, static_cast<int32_t>(length), 1) == 0;
}

void takeStringBufferMember(Member* m) {
  RuntimeMembers& r = runtimeMembers;
  int32_t count = parameterCount(m);
  if (m->kind == MK_CONSTRUCTOR) {
    if (count == 0) r.sbInitEmpty = m;
    if (count == 1 && isExactClassType(m->parameters->type, stringClass())) r.sbInitString = m;
    return;
  }
  if (m->kind != MK_METHOD) return;
  if (count == 0 && hasName(m, "toString")) r.sbToString = m;
  if (count != 1 || !hasName(m, "append")) return;
  const Type* type = m->parameters->type;
  if (type == nullptr) return;
  switch (type->kind) {
    case TK_CLASS:
      // Exactly String and exactly Object: a library may add overloads for other classes
      // (CharSequence, StringBuffer) that must not be taken for these.
      if (isExactClassType(type, stringClass()))
        r.sbAppendString = m;
      else if (isExactClassType(type, objectClass))
        r.sbAppendObject = m;
      break;
    case TK_BOOLEAN: r.sbAppendBoolean = m; break;
    case TK_CHAR: r.sbAppendChar = m; break;
    case TK_INT: r.sbAppendInt = m; break;
    case TK_LONG: r.sbAppendLong = m; break;
    case TK_FLOAT: r.sbAppendFloat = m; break;
    case TK_DOUBLE: r.sbAppendDouble = m; break;
    case TK_ARRAY:
      if (type->element != nullptr && type->element->kind == TK_CHAR) r.sbAppendCharArray = m;
      break;
    default:
      break;
  }
}

Member* firstMethod(ClassDef* cls, const char* name, int32_t parameters, uint16_t modifiers, ClassDef* parameterClass) {
  if (cls == nullptr) return nullptr;
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind != MK_METHOD || !hasName(m, name) || parameterCount(m) != parameters) continue;
    if ((m->modifiers & modifiers) != modifiers) continue;
    if (parameterClass != nullptr && !isExactClassType(m->parameters->type, parameterClass)) continue;
    return m;
  }
  return nullptr;
}

}  // namespace

void markSourcePackage(Package* package) {
  // Outer packages marked before stop the walk, so marking costs no more than the names do.
  for (Package* p = package; p != nullptr && !p->inSources; p = p->parent) p->inSources = 1;
}

Package* getPackage(Package* parent, Identifier* name) {
  if (parent == nullptr) parent = &rootPackage;
  if (packageIndex.size > 0) {
    for (PackageEntry* entry = *packageBucket(parent, name); entry != nullptr; entry = entry->next) {
      packageProbes++;
      if (entry->package->parent == parent && entry->package->name == name) return entry->package;
    }
  }
  auto* p = arenaNew<Package>(&global.mainArena);
  p->name = name;
  p->parent = parent;
  // An unnamed package stands for no directory, nor do its outer packages.
  p->nameLength = isUnnamedPackage(p) ? 0 : parent->nameLength + name->length + 1;
  p->next = parent->child;
  parent->child = p;
  indexPackage(p);
  return p;
}

int64_t packageProbeCount() {
  return packageProbes;
}

bool isUnnamedPackage(const Package* package) {
  return package == nullptr || package->name == nullptr || package->name->length == 0;
}

ClassDef* findClassInPackage(Package* package, Identifier* name, int32_t line, int32_t column) {
  if (name == nullptr || classIndex.size == 0) return nullptr;
  if (package == nullptr) package = &rootPackage;
  for (IndexEntry* entry = *indexBucket(package, name); entry != nullptr; entry = entry->next) {
    ClassDef* cls = entry->cls;
    if (entry->package != package || entry->name != name || cls->binaryName != name) continue;
    if (line != 0 && cls->name != cls->binaryName) errorAt(line, column, "using.dollar.class", classToString(cls));
    return cls;
  }
  return nullptr;
}

void addClassToPackage(Package* package, ClassDef* cls) {
  if (package == nullptr) package = &rootPackage;
  ClassDef* earlier = findClassInPackage(package, cls->binaryName, 0, 0);
  // The mark a lookup left for a name it found no class of gives way to a class declared later, in
  // a source file parsed on demand whose name is another class's: the lookup was reported already.
  if (earlier != nullptr && earlier->kind == CLASS_KIND_ERROR && (earlier->state & CLASS_UNREADABLE) == 0 &&
      earlier->sourceFile == nullptr && cls->kind != CLASS_KIND_ERROR) {
    removeClassFromPackage(package, earlier);
    earlier = nullptr;
  }
  if (earlier == nullptr) {
    cls->package = package;
    appendAtTail(&package->firstClass, &package->lastClass, cls);
    indexClass(package, cls);
    return;
  }
  const char* name = classToString(cls);
  if (cls->sourceFile != nullptr && earlier->sourceFile != nullptr) {
    char line[16];
    std::snprintf(line, sizeof line, "%d", earlier->line);
    errorInFile(cls->sourceFile, cls->line, cls->column, "dup.class.name", name, earlier->sourceFile->name, line);
  } else if (cls->sourceFile != nullptr) {
    errorInFile(cls->sourceFile, cls->line, cls->column, "dup.class.name", name, earlier->classFilePath, "?");
  } else if (earlier->sourceFile != nullptr) {
    errorInFile(earlier->sourceFile, earlier->line, earlier->column, "dup.class.name", name, cls->classFilePath, "?");
  } else {
    errorAt(currentToken()->line, currentToken()->column, "dup.class.name", name, earlier->classFilePath, "?");
  }
}

void addClassToSource(SourceFile* file, ClassDef* cls) {
  if (file->firstClass == nullptr)
    file->firstClass = cls;
  else
    file->lastClass->nextInSource = cls;
  file->lastClass = cls;
  file->classesToGenerate++;
}

void addClassAtPackageHead(Package* package, ClassDef* cls) {
  cls->package = package;
  cls->next = package->firstClass;
  package->firstClass = cls;
  if (package->lastClass == nullptr) package->lastClass = cls;
  indexClass(package, cls);
}

void removeClassFromPackage(Package* package, ClassDef* cls) {
  ClassDef* previous = nullptr;
  for (ClassDef** at = &package->firstClass; *at != nullptr; previous = *at, at = &(*at)->next) {
    if (*at != cls) continue;
    *at = cls->next;
    if (package->lastClass == cls) package->lastClass = previous;
    cls->next = nullptr;
    unindexClass(package, cls);
    return;
  }
}

ClassDef* newClassDef(int32_t kind, Identifier* name) {
  auto* cls = arenaNew<ClassDef>(&global.mainArena);
  cls->kind = kind;
  cls->name = name;
  cls->binaryName = name;
  return cls;
}

ClassRef* newClassRef(Package* package, Identifier* name, ClassDef* resolved, uint16_t flags, ClassDef* context,
                      int32_t line, int32_t column) {
  return newClassRefIn(&global.mainArena, package, name, resolved, flags, context, line, column);
}

ClassRef* newClassRefIn(Arena* arena, Package* package, Identifier* name, ClassDef* resolved, uint16_t flags,
                        ClassDef* context, int32_t line, int32_t column) {
  auto* ref = arenaNew<ClassRef>(arena);
  ref->package = package;
  ref->name = name;
  ref->resolved = resolved;
  ref->flags = flags;
  ref->context = context;
  ref->line = line;
  ref->column = column;
  return ref;
}

ClassRef* classTypeOf(ClassDef* cls) {
  return newClassRef(javaLangPackage, cls != nullptr ? cls->name : nullptr, cls, 0, nullptr, 0, 0);
}

ClassDef* findClass(Package* package, const char* name) {
  return loadClass(package, enterName(name, T_IDENTIFIER), 0, 0);
}

void initJavaLang() {
  if (objectClass != nullptr) return;
  javaLangPackage = getPackage(getPackage(nullptr, enterName("java", T_IDENTIFIER)), enterName("lang", T_IDENTIFIER));
  objectClass = findClass(javaLangPackage, "Object");
  // Nothing can be compiled without Object: said once, and the compile ends.
  if (objectClass == nullptr) fatalError(nullptr, 0, 0, "undef.class", "java.lang.Object");
  objectClassRef = classTypeOf(objectClass);
}

void initStringType() {
  if (stringType != nullptr) return;
  initJavaLang();
  ClassDef* string = stringClass();
  if (string == nullptr) return;
  Arena* saved = global.currentArena;
  global.currentArena = &global.mainArena;
  stringType = newClassType(classTypeOf(string), string->name, 0, 0);
  global.currentArena = saved;
}

void initJavaIo() {
  initJavaLang();
  initStringType();
  javaIoPackage = getPackage(getPackage(nullptr, enterName("java", T_IDENTIFIER)), enterName("io", T_IDENTIFIER));
}

Member* findField(const char* className, const char* fieldName) {
  if (javaLangPackage == nullptr) return nullptr;
  ClassDef* cls = findClass(javaLangPackage, className);
  if (cls == nullptr) return nullptr;
  for (Member* m = cls->members; m != nullptr; m = m->next)
    if (m->kind == MK_VARIABLE && hasName(m, fieldName)) return m;
  return nullptr;
}

Member* primitiveTypeField(int32_t kind) {
  static const char* const wrappers[] = {nullptr,  nullptr, "Void", "Boolean", "Character", "Byte",
                                         "Short",  "Integer", "Long", "Float", "Double"};
  if (kind < TK_VOID || kind > TK_DOUBLE) return nullptr;
  if (typeFields[kind] == nullptr) typeFields[kind] = findField(wrappers[kind], "TYPE");
  return typeFields[kind];
}

ClassDef* throwableClass() { return knownClass(KNOWN_THROWABLE); }
ClassDef* errorClass() { return knownClass(KNOWN_ERROR); }
ClassDef* stringClass() { return knownClass(KNOWN_STRING); }
ClassDef* runtimeExceptionClass() { return knownClass(KNOWN_RUNTIME_EXCEPTION); }
ClassDef* classClass() { return knownClass(KNOWN_CLASS); }
ClassDef* stringBufferClass() { return knownClass(KNOWN_STRING_BUFFER); }
ClassDef* classNotFoundExceptionClass() { return knownClass(KNOWN_CLASS_NOT_FOUND); }
ClassDef* noClassDefFoundErrorClass() { return knownClass(KNOWN_NO_CLASS_DEF); }
ClassDef* cloneableClass() { return knownClass(KNOWN_CLONEABLE); }
ClassDef* serializableClass() { return knownClass(KNOWN_SERIALIZABLE); }

void initStringBufferMethods() {
  runtimeMembers = RuntimeMembers{};
  // Without java.lang.Object there is nothing to look members up in; that is reported where
  // Object is looked for.
  if (objectClass == nullptr) return;
  RuntimeMembers& r = runtimeMembers;
  if (ClassDef* buffer = stringBufferClass())
    for (Member* m = buffer->members; m != nullptr; m = m->next) takeStringBufferMember(m);
  r.stringValueOfObject = firstMethod(stringClass(), "valueOf", 1, M_STATIC, objectClass);
  r.throwableGetMessage = firstMethod(throwableClass(), "getMessage", 0, 0, nullptr);
  r.objectGetClass = firstMethod(objectClass, "getClass", 0, 0, nullptr);
  if (classClass() != nullptr) r.classForName = firstMethod(classClass(), "forName", 1, 0, stringClass());
  bool complete = r.objectGetClass && r.stringValueOfObject && r.sbInitEmpty && r.sbInitString && r.sbToString &&
                  r.sbAppendString && r.sbAppendObject && r.sbAppendBoolean && r.sbAppendChar && r.sbAppendInt &&
                  r.sbAppendLong && r.sbAppendFloat && r.sbAppendDouble && r.sbAppendCharArray && r.classForName;
  if (!complete) errorInFile(nullptr, 0, 0, "cannot.find.java.types");
}

void resetClassTable() {
  rootPackage = Package{};
  resetClassReader();
  resetImportIndex();
  resetInnerClassIndex();
  classIndex = ClassIndex{};
  packageIndex = PackageIndex{};
  javaLangPackage = nullptr;
  javaIoPackage = nullptr;
  objectClass = nullptr;
  objectClassRef = nullptr;
  stringType = nullptr;
  runtimeMembers = RuntimeMembers{};
  for (ClassDef*& cls : knownClasses) cls = nullptr;
  for (Member*& field : typeFields) field = nullptr;
  // What is kept beside the classes forgotten here: the walks' numbers.
  resetLookupWalks();
  resetSupertypeWalks();
}
