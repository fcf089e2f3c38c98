// Declaration checks: class headers, member declarations, overriding, and the lookups of inner
// classes and duplicate local variables that the parser asks for.
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct Member;

ClassDef* findInnerClassUnique(ClassDef* cls, Identifier* name, int32_t line, int32_t column);
void checkDuplicateLocal(Member* variable);
