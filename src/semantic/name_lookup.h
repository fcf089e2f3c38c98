// Finding what a variable or method name denotes: the open scopes of the method being parsed,
// then the fields or methods of the current class, its superclasses and interfaces, then the
// enclosing classes outward, with the access rules, the ambiguity reports, the static-context
// check, deprecation notes and access-method requests.
// Placeholder: declared only; nothing is ever found.
#pragma once

#include <cstdint>

struct ClassDef;
struct ExprNode;
struct Identifier;
struct Member;
struct Scope;

// foundOutside: the enclosing class the name was found in, or null for the current class and
// its supertypes.
Member* findVariable(Scope* scope, ClassDef* cls, Identifier* name, bool searchOuter, ClassDef** foundOutside,
                     int32_t line, int32_t column);
Member* lookupVariable(ClassDef* cls, Identifier* name, bool staticOnly, bool searchOuter, ClassDef** foundOutside,
                       int32_t line, int32_t column);
// name null: a constructor. arguments null: no arguments.
Member* lookupMethod(ClassDef* cls, Identifier* name, bool noOuterSearch, ExprNode* arguments,
                     ClassDef** foundOutside, int32_t line, int32_t column);
bool isAccessible(ClassDef* from, const Member* member);
void checkDeprecatedUse(Member* member, int32_t line, int32_t column);
bool ownedByEnclosing(ClassDef* cls, const Member* inherited, const Member* fromOuter);
bool isStaticContext(const Member* method);
