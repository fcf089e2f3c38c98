// Declaration checks: class headers, member declarations and overriding; and the lookups of inner
// classes by name, the supertype circularity walk and the deprecation warnings that lookup and
// the parser ask for.
// Placeholder: checkClassDef and checkDuplicateLocal check nothing yet; the lookups, the
// circularity walk and the deprecation warnings are complete.
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct Member;

void checkClassDef(ClassDef* cls);
void checkCircularSuper(ClassDef* superClass, ClassDef* cls);
ClassDef* resolveClassByName(Identifier* name, ClassDef* contextClass, int32_t line, int32_t column);
ClassDef* findInnerClass(ClassDef* cls, Identifier* name, ClassDef** foundIn);
ClassDef* findLocalClass(ClassDef* cls, Identifier* name, ClassDef** foundIn);
ClassDef* findMemberClass(ClassDef* cls, Identifier* name, ClassDef** foundIn);
ClassDef* findInnerClassUnique(ClassDef* cls, Identifier* name, int32_t line, int32_t column);
void warnDeprecated(ClassDef* cls, Member* member, ClassDef* overriderOwner, ClassDef* ownerClass, int32_t line,
                    int32_t column);
void checkDuplicateLocal(Member* variable);
