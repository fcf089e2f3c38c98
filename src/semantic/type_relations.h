// The relations between types that every check asks: sameness, widening, cast conversion and
// narrowing; subclassing and interfaces; which of two applicable methods is more specific and
// whether arguments match parameters. Nothing is reported here.
// Placeholder: declared only; every relation answers false.
#pragma once

struct ClassDef;
struct ClassRef;
struct ExprNode;
struct Member;
struct Parameter;
struct Type;

bool sameType(const Type* a, const Type* b);
bool isWidening(const Type* from, const Type* to);
bool isSameOrWidening(const Type* a, const Type* b);
bool isNotSameOrWidening(const Type* a, const Type* b);
bool isCastable(const Type* from, const Type* to);
bool isNarrowing(const Type* from, const Type* to);

ClassDef* superclassOf(ClassDef* cls);
bool isSubclassOf(ClassDef* a, ClassDef* b);
bool isSubclassType(const Type* a, const Type* b);
bool extendsInterface(ClassRef* interfaces, ClassDef* target);
bool interfacesCompatible(ClassDef* i, ClassDef* j);

bool methodsMatch(const Member* m, const Member* n);
// m, best, or null when neither is more specific.
Member* mostSpecific(Member* m, Member* best);
Parameter* skipSyntheticParameters(Parameter* list);
bool argumentsMatch(const ExprNode* arguments, Parameter* parameters);
