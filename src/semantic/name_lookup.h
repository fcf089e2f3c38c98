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

// The members of the name in the scope's list, in list order, offered to `accept` until it
// answers true: that member, or null. A long scope is searched through a table of its names
// that is kept beside its list, so a block of many locals costs no walk of them.
Member* findScopeMember(Scope* scope, Identifier* name, bool (*accept)(Member*, void*), void* context);
// foundOutside: the enclosing class the name was found in, or null for the current class and
// its supertypes. staticReported, when given, is set when the use was reported as an instance
// field named from a static context ("illegal.static.reference"), so the caller can keep the one
// fault to its one diagnostic. notMember, when given and nothing is found, is set to a field of the
// name that the search met but that is no member where it was met: private to a superclass, or
// not accessible to the current class (reportNotMember says so).
Member* findVariable(Scope* scope, ClassDef* cls, Identifier* name, bool searchOuter, ClassDef** foundOutside,
                     int32_t line, int32_t column, bool* staticReported = nullptr, Member** notMember = nullptr);
// Fields only. The class's own fields, then its superclass chain with the interfaces of each level,
// then (searchOuter) the enclosing classes outward. A field hides the fields of its name in the
// supertypes of its class even where it is no member itself.
Member* lookupVariable(ClassDef* cls, Identifier* name, bool staticOnly, bool searchOuter, ClassDef** foundOutside,
                       int32_t line, int32_t column, bool* staticReported = nullptr, Member** notMember = nullptr);
// The diagnostic for a field, method or constructor that exists but cannot be used here, saying
// why: it is private, has package access, or is protected.
void reportNotMember(Member* member, int32_t line, int32_t column);
// What a method lookup that found nothing met: the text of the applicable candidates of which none
// is more specific than the others (the call is ambiguous), else an applicable method that is no
// member where it was met (private to a superclass, or not accessible to the current class).
struct MethodMiss {
  const char* ambiguous = nullptr;
  Member* notMember = nullptr;
  // A nested class's inherited methods of the name, none of which applies, hide those that this
  // enclosing class declares (a call of them is no call of the enclosing class's).
  ClassDef* hiddenEnclosing = nullptr;
};
// name null: a constructor. arguments null: no arguments. Null when nothing applies, and when more
// than one applicable candidate is left that no other one is more specific than (ambiguous); miss,
// when given, then tells which.
Member* lookupMethod(ClassDef* cls, Identifier* name, bool noOuterSearch, ExprNode* arguments,
                     ClassDef** foundOutside, int32_t line, int32_t column, MethodMiss* miss = nullptr);
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
bool isStaticContext(const Member* method);
// The static context of the code being parsed: a static initializer or field initializer
// (global.ctx.flags), or a static initializer block or static method as current method.
bool inStaticContext();
