// Name lookup through scopes, supertypes and enclosing classes. Placeholder: nothing is found.
#include "semantic/name_lookup.h"

Member* findVariable(Scope*, ClassDef*, Identifier*, bool, ClassDef** foundOutside, int32_t, int32_t) {
  if (foundOutside != nullptr) *foundOutside = nullptr;
  return nullptr;
}
Member* lookupVariable(ClassDef*, Identifier*, bool, bool, ClassDef** foundOutside, int32_t, int32_t) {
  if (foundOutside != nullptr) *foundOutside = nullptr;
  return nullptr;
}
Member* lookupMethod(ClassDef*, Identifier*, bool, ExprNode*, ClassDef** foundOutside, int32_t, int32_t) {
  if (foundOutside != nullptr) *foundOutside = nullptr;
  return nullptr;
}
bool isAccessible(ClassDef*, const Member*) {
  return true;
}
void checkDeprecatedUse(Member*, int32_t, int32_t) {}
bool ownedByEnclosing(ClassDef*, const Member*, const Member*) {
  return true;
}
bool isStaticContext(const Member* method) {
  return method == nullptr;
}
