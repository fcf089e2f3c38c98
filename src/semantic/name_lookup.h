// Finding what a variable or method name denotes: the open scopes of the method being parsed,
// then the fields or methods of the current class, its superclasses and interfaces, then the
// enclosing classes outward, with the access rules, the ambiguity reports, the static-context
// check, deprecation notes and access-method requests.
#pragma once

#include <cstdint>

struct ClassDef;
struct ExprNode;
struct Identifier;
struct Member;
struct Scope;

// foundOutside: the enclosing class the name was found in, or null for the current class and
// its supertypes. staticReported, when given, is set when the use was reported as an instance
// field named from a static context ("illegal.static.reference"), so the caller can keep the one
// fault to its one diagnostic.
Member* findVariable(Scope* scope, ClassDef* cls, Identifier* name, bool searchOuter, ClassDef** foundOutside,
                     int32_t line, int32_t column, bool* staticReported = nullptr);
// Fields only. The class's own fields, then its superclass chain with the interfaces of each level,
// then (searchOuter) the enclosing classes outward.
Member* lookupVariable(ClassDef* cls, Identifier* name, bool staticOnly, bool searchOuter, ClassDef** foundOutside,
                       int32_t line, int32_t column, bool* staticReported = nullptr);
// name null: a constructor. arguments null: no arguments. Null when nothing applies, and when more
// than one applicable candidate is left that no other one is more specific than (ambiguous).
Member* lookupMethod(ClassDef* cls, Identifier* name, bool noOuterSearch, ExprNode* arguments,
                     ClassDef** foundOutside, int32_t line, int32_t column);
bool isAccessible(ClassDef* from, const Member* member);
// The class whose body gives code of `from` its access to a protected member of a class of
// another package: `from` or the innermost class around it that is a subclass of the member's
// class and, for an instance member reached through an object of class `through` (null: `this`
// or super, any), of which `through` is a subclass. Null when none is.
ClassDef* protectedAccessClass(ClassDef* from, const Member* member, ClassDef* through);
// The walks through supertypes number the classes they visit (ClassDef::lookupMark); with the
// class table emptied the numbers start again.
void resetLookupWalks();
void checkDeprecatedUse(Member* member, int32_t line, int32_t column);
bool ownedByEnclosing(ClassDef* cls, const Member* inherited, const Member* fromOuter);
bool isStaticContext(const Member* method);
// The static context of the code being parsed: a static initializer or field initializer
// (global.ctx.flags), or a static initializer block or static method as current method.
bool inStaticContext();
