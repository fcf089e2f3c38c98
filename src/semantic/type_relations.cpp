// Type relations. Placeholder: every relation answers false.
#include "semantic/type_relations.h"

bool sameType(const Type* a, const Type* b) {
  return a == b;
}
bool isWidening(const Type*, const Type*) {
  return false;
}
bool isSameOrWidening(const Type* a, const Type* b) {
  return sameType(a, b) || isWidening(a, b);
}
bool isNotSameOrWidening(const Type* a, const Type* b) {
  return !isSameOrWidening(a, b);
}
bool isCastable(const Type*, const Type*) {
  return false;
}
bool isNarrowing(const Type*, const Type*) {
  return false;
}
ClassDef* superclassOf(ClassDef*) {
  return nullptr;
}
bool isSubclassOf(ClassDef* a, ClassDef* b) {
  return a == b;
}
bool isSubclassType(const Type*, const Type*) {
  return false;
}
bool extendsInterface(ClassRef*, ClassDef*) {
  return false;
}
bool interfacesCompatible(ClassDef*, ClassDef*) {
  return false;
}
bool methodsMatch(const Member*, const Member*) {
  return false;
}
Member* mostSpecific(Member*, Member*) {
  return nullptr;
}
Parameter* skipSyntheticParameters(Parameter* list) {
  return list;
}
bool argumentsMatch(const ExprNode*, Parameter*) {
  return false;
}
