// Names of classes and types before and after resolution: references to a class by name and type
// records; and the constructors of member records.
#pragma once

#include <cstdint>

#include "semantic/class_records.h"

struct Arena;
struct SourceFile;

// A mention of a class by name, resolved on demand.
struct ClassRef {
  ClassRef* next;      // links the interfaces of a class
  Package* package;    // the qualifying package; null only for a name not qualified (a class
                       // file names its classes in full: the unnamed package is rootPackage)
  Identifier* name;    // simple name
  int32_t line;
  int32_t column;
  ClassDef* context;   // the class in whose body the mention stands
  uint16_t flags;
  ClassDef* resolved;
};

enum TypeKind : int32_t {
  TK_ERROR = 0,
  TK_CLASS = 1,
  TK_VOID = 2,
  TK_BOOLEAN = 3,
  TK_CHAR = 4,
  TK_BYTE = 5,
  TK_SHORT = 6,
  TK_INT = 7,
  TK_LONG = 8,
  TK_FLOAT = 9,
  TK_DOUBLE = 10,
  TK_ARRAY = 11,
  TK_CLASS_NAME = 12,  // a class name used as a qualifier
};

struct Type {
  int32_t kind;
  ClassRef* classRef;  // TK_CLASS
  Type* element;       // TK_ARRAY
};

// The fixed types of kinds 0, 2-10 and 12, compared by address.
extern Type errorType;
extern Type voidType;
extern Type booleanType;
extern Type charType;
extern Type byteType;
extern Type shortType;
extern Type intType;
extern Type longType;
extern Type floatType;
extern Type doubleType;
extern Type classNameType;

// A string constant of `length` UTF-16 units.
StringValue* newStringValue(Arena* arena, const uint16_t* units, int32_t length);

Type* fixedType(int32_t kind);
// The primitive or void type of a descriptor letter (B C D F I J S V Z); null for any other.
Type* descriptorLetterType(char letter);
bool isPrimitiveType(const Type* type);
int32_t slotsForKind(int32_t kind);

// A class reference in the current arena, not yet resolved.
ClassRef* newClassRefHere(Package* package, Identifier* name, ClassDef* context, int32_t line, int32_t column);
bool refReachesClass(const ClassRef* ref, const ClassDef* cls);
bool isClassType(const Type* type, const ClassDef* cls);
Type* newArrayType(Type* element);
Type* newClassType(ClassRef* ref, Identifier* name, int32_t line, int32_t column);
// Every Member starts here: zero but for its kind and `slot`, which is -1 (no local slot yet).
Member* newMemberOfKind(Arena* arena, int32_t kind);
Parameter* newParameter(Identifier* name, Type* type, uint16_t modifiers, int32_t line, int32_t column);
ThrowsEntry* newThrowsEntry(ClassRef* ref, int32_t line, int32_t column);
// A method (kind MK_METHOD; a constructor's caller sets MK_CONSTRUCTOR) in the main arena.
Member* newMember(Identifier* name, int32_t line, int32_t column, uint16_t modifiers, Type* type, int32_t bodyOffset,
                  int32_t bodyLine, int32_t bodyColumn, ThrowsEntry* throwsList, Parameter* parameters);
Member* newVariable(uint16_t modifiers, Type* type, Identifier* name, bool inCurrentArena, int32_t line,
                    int32_t column);
Member* declareLocal(Type* type);
void appendToScope(Scope* scope, Member* member);
// Empties the scope's list, and drops its table of names, for a list made again.
void restartScope(Scope* scope);
Member* newStaticInitializer(int32_t offset, int32_t line, int32_t column, int32_t endOffset);
Member* newInstanceInitializer(int32_t offset, int32_t line, int32_t column, int32_t endOffset);
Member* copyMember(const Member* member);
Member* makeOuterThisField(Member* member, ClassDef* cls, int32_t line, int32_t column);
void makeCapturedCopies(ClassDef* cls, Member* field);
