// Class lookup: a package and a simple name turned into a class record, from the class table,
// a class file along the class path (directories and archives) or a source file along the source
// path, and class references resolved in their context.
#pragma once

#include <cstdint>

struct ClassDef;
struct ClassRef;
struct Identifier;
struct Member;
struct Package;
struct SourceFile;
struct Type;
struct ZipFile;

// Paths: member names inside archives, files along the paths, a class's output file, dotted
// names for messages. Each is one allocation in the main arena; null after a directory that could
// not be made.
struct PathForm {
  char separator = '/';             // between the packages and before the name; '.' makes a dotted name
  bool withDirectory = false;       // begins with `directory`, or without one the source file's own
  bool makeDirs = false;            // makes the package directories that do not exist yet
  const char* extension = nullptr;  // after the name, unless the name is dotted
};
char* makePath(const char* directory, const char* sourceFileName, Package* package, Identifier* name,
               const PathForm& form);
char* zipEntryPath(Package* package, Identifier* name, const char* extension);
char* entryFilePath(const char* directory, Package* package, Identifier* name, const char* extension);
char* classFilePath(ClassDef* cls, bool makeDirs);
char* makeDottedName(Package* package, Identifier* name);

bool packageExists(Package* package);
ClassDef* findClassFile(Package* package, Identifier* name, int32_t line, int32_t column);
SourceFile* findAndParseSourceOnPath(Package* package, Identifier* name, int32_t line, int32_t column);
void loadClassFile(ClassDef* cls, ZipFile* archive, const char* entry, int32_t line, int32_t column);
// A class by package and simple name, loaded on demand; null when there is none or it cannot be
// used. lookupClass also gives back a class whose file was found and could not be used (kind
// 103): that was reported, so the uses that reach it stay silent.
ClassDef* loadClass(Package* package, Identifier* name, int32_t line, int32_t column);
ClassDef* lookupClass(Package* package, Identifier* name, int32_t line, int32_t column);

void resolveClassRef(SourceFile* file, ClassDef* fromClass, ClassRef* ref);
void resolveRef(ClassRef* ref);
void resolveOrError(ClassRef* ref, int32_t line, int32_t column);
ClassDef* findClassInScope(Package* package, Identifier* name, ClassDef* fromClass, int32_t line, int32_t column);
ClassDef* newErrorClass(Identifier* name);
ClassDef* declareClass(ClassRef* ref);
// The reference's class from the class table, else entered there as a bare class record, with
// nothing loaded: the classes a debugger evaluation names come from the stopped frame, not a path.
ClassDef* enterClassStub(ClassRef* ref);

// A local variable or catch parameter: its types resolved, and a local slot unless static.
void declareMember(ClassDef* cls, Member* member);
void resolveMemberTypes(ClassDef* cls, Member* member);
bool isResolvedType(Type* type);
// The type (or its element type) is a class that could not be found: an error class stands for
// it, and it was reported where it was named.
bool namesMissingClass(Type* type);
void evaluateFieldConstant(Member* field);
void checkClassesOfFile(SourceFile* file);
