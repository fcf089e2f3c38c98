// The relations between types that every check asks: sameness, widening, cast conversion and
// narrowing; subclassing and interfaces; which of two applicable methods is more specific and
// whether arguments match parameters. Nothing is reported here; class references are resolved on
// demand.
#pragma once

#include <cstdint>

#include "semantic/type_records.h"

struct ExprNode;

// The kinds of class and array types, and of the seven numeric types.
inline bool isReferenceKind(int32_t kind) {
  return kind == TK_CLASS || kind == TK_ARRAY;
}
inline bool isNumericKind(int32_t kind) {
  return kind >= TK_CHAR && kind <= TK_DOUBLE;
}

bool sameType(const Type* a, const Type* b);
bool isWidening(const Type* from, const Type* to);
bool isSameOrWidening(const Type* a, const Type* b);
bool isNotSameOrWidening(const Type* a, const Type* b);
bool isCastable(const Type* from, const Type* to);
bool isNarrowing(const Type* from, const Type* to);
// A class type, or an array of one, whose class could not be found or read: what it meets was
// reported with the class, so conversions let it pass without a further message.
bool isErrorClassType(const Type* type);

ClassDef* superclassOf(ClassDef* cls);
// A supertype of the class, direct or further up, could not be found or read: what the class
// inherits is unknown, so a member not found in it was no fault of the use (the supertype was
// reported).
bool hasMissingSupertype(ClassDef* cls);
bool isSubclassOf(ClassDef* a, ClassDef* b);
bool isSubclassType(const Type* a, const Type* b);
bool extendsInterface(ClassRef* interfaces, ClassDef* target);
bool interfacesCompatible(ClassDef* i, ClassDef* j);

// Walks over supertypes mark the classes they reach (ClassDef::walkMark) with a number of their
// own, so that a class shared by two paths is visited once and a cycle ends. Every such walk takes
// its number here, so that no two walks share one.
uint32_t beginSupertypeWalk();
// True when the walk has reached the class before; marks it reached.
bool supertypeWalkSaw(ClassDef* cls, uint32_t walk);
// The numbers start again: with the class table emptied no class carries a mark.
void resetSupertypeWalks();

bool methodsMatch(const Member* m, const Member* n);
// m, best, or null when neither is more specific.
Member* mostSpecific(Member* m, Member* best);
Parameter* skipSyntheticParameters(Parameter* list);
// arguments: a single argument or an O_ARG tree in source order; null for none.
bool argumentsMatch(const ExprNode* arguments, Parameter* parameters);
