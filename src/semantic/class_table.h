// The class table: the package tree rooted in the unnamed package, the class list of each
// package with a table of its classes by name, and the well-known classes and members that
// attribution and generated code need.
#pragma once

#include <cstdint>

#include "semantic/class_records.h"

struct Arena;
struct ClassRef;
struct Type;

extern Package rootPackage;
// The class's package; the root package (the unnamed one) for a class with none.
Package* packageOrRoot(const ClassDef* cls);
extern Package* javaLangPackage;
extern Package* javaIoPackage;
extern ClassDef* objectClass;
extern ClassRef* objectClassRef;
extern Type* stringType;

// The members that string concatenation and class literals compile into.
struct RuntimeMembers {
  Member* sbInitEmpty;
  Member* sbInitString;
  Member* sbToString;
  Member* sbAppendString;
  Member* sbAppendObject;
  Member* sbAppendBoolean;
  Member* sbAppendChar;
  Member* sbAppendInt;
  Member* sbAppendLong;
  Member* sbAppendFloat;
  Member* sbAppendDouble;
  Member* sbAppendCharArray;
  Member* stringValueOfObject;
  Member* objectGetClass;
  Member* classForName;
};

extern RuntimeMembers runtimeMembers;

// The child package of that name, made when it is new; found through a table beside the lists.
Package* getPackage(Package* parent, Identifier* name);
// How many packages getPackage has compared, for tests that prove it does not walk.
int64_t packageProbeCount();
bool isUnnamedPackage(const Package* package);
// A source file declares the package: it exists, and so do its outer packages.
void markSourcePackage(Package* package);
// Appends the class to the package's list, unless the package has a class of its binary name
// ("dup.class.name").
void addClassToPackage(Package* package, ClassDef* cls);
// Appends a top-level class from source to its file's list, as one more class to generate.
void addClassToSource(SourceFile* file, ClassDef* cls);
// A bare class declared by a use: first in the list.
void addClassAtPackageHead(Package* package, ClassDef* cls);
void removeClassFromPackage(Package* package, ClassDef* cls);
// The class of the package with that binary name, from a table beside the lists.
ClassDef* findClassInPackage(Package* package, Identifier* name, int32_t line, int32_t column);
// A class of the kind, its binary name its simple name until computeBinaryName, in no package yet.
ClassDef* newClassDef(int32_t kind, Identifier* name);
// A class reference in the main arena (newClassRefIn: in the arena given).
ClassRef* newClassRef(Package* package, Identifier* name, ClassDef* resolved, uint16_t flags, ClassDef* context,
                      int32_t line, int32_t column);
ClassRef* newClassRefIn(Arena* arena, Package* package, Identifier* name, ClassDef* resolved, uint16_t flags,
                        ClassDef* context, int32_t line, int32_t column);
void initJavaLang();
ClassRef* classTypeOf(ClassDef* cls);
ClassDef* findClass(Package* package, const char* name);
void initStringType();
void initJavaIo();
Member* primitiveTypeField(int32_t kind);
Member* findField(const char* className, const char* fieldName);

ClassDef* throwableClass();
ClassDef* errorClass();
ClassDef* stringClass();
// A class type that names String (String is final: no other class type is String's); false
// when there is no String class.
bool isStringType(const Type* type);
ClassDef* runtimeExceptionClass();
ClassDef* classClass();
ClassDef* stringBufferClass();
ClassDef* classNotFoundExceptionClass();
ClassDef* noClassDefFoundErrorClass();
ClassDef* cloneableClass();
ClassDef* serializableClass();

void initStringBufferMethods();
// Empties the class table (packages, classes, the indexes, the well-known classes, members and
// TYPE fields) and what lookups keep beside it: every compile and evaluation begins with it.
void resetClassTable();
