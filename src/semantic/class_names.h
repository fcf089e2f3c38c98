// Binary names of nested classes and names of synthetic members, the inner-class list of each
// class, and the check that a class may be named where it is used.
#pragma once

#include <cstdint>

struct ClassDef;
struct ClassRef;
struct Identifier;

// Reports a use at the position, inside class `from` (null: outside any class), of a class that may
// not be used there; a class used outside the file its name asks for is warned about.
void checkClassAccess(ClassDef* from, ClassDef* cls, int32_t line, int32_t column);
// The same rules without a report.
bool isClassAccessible(const ClassDef* from, const ClassDef* cls);
// A class that no name written at the position mentions, reached as the type of a value whose
// member is used there (f().x, a.length with an array of it): the access check without the
// note on its file's name. False after a report.
bool checkReachedClassAccess(ClassDef* from, ClassDef* cls, int32_t line, int32_t column);
bool sameOutermostClass(const ClassDef* a, const ClassDef* b);
void addInnerClass(ClassDef* outer, ClassDef* inner, Identifier* name, uint16_t flags, int32_t line, int32_t column);
// The entry of outer's inner-class list for its member class of the name (never a local class's),
// or null: from a table beside the lists, so a class of many member classes is not walked.
ClassRef* findMemberClassEntry(const ClassDef* outer, const Identifier* name);
// Empties that table; with the class table, whose records it points into.
void resetInnerClassIndex();
void computeBinaryName(ClassDef* cls);
// A name the compiler chose (a local or anonymous class, or a class inside one) that a class of the
// sources already has is replaced by the first free Outer$k$Name (Outer$k without a name), k from 1:
// a local class and a member class of an anonymous class may otherwise meet on one name.
void makeBinaryNameUnique(ClassDef* cls);
Identifier* makeBinaryName(Identifier* outerName, Identifier* name, int32_t number);
Identifier* anonymousClassName(ClassDef* cls, int32_t number);
Identifier* joinNames(const char* prefix, Identifier* name, const char* suffix, int32_t number);
Identifier* accessorName(int32_t number);
char* expectedSourceName(const ClassDef* cls);
bool isInMatchingSourceFile(const ClassDef* cls);
ClassDef* loadMemberClass(ClassDef* outer, ClassRef* entry);
