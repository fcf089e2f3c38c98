// Declaration checks. Still lacks the checks themselves, the inner-class lookup through
// supertypes and the duplicate-local check: the lookups find nothing and nothing is reported.
#include "semantic/declaration_checks.h"

ClassDef* findInnerClassUnique(ClassDef*, Identifier*, int32_t, int32_t) {
  return nullptr;
}

void checkDuplicateLocal(Member*) {}
