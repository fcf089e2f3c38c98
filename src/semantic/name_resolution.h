// Names resolved while expressions are built: simple and dotted names to locals, fields, classes
// and packages; field selections and array length; constant variables folded at their use;
// protected access; and the implicit arguments that constructors of inner classes take.
#pragma once

#include <cstdint>

struct ClassDef;
struct ClassRef;
struct ExprNode;
struct Member;
struct Package;
struct Parameter;
struct Scope;
struct Type;
struct Identifier;

// O_ID and O_DOT; anything else comes back unchanged. A name that denotes nothing is reported by
// reportUnresolvedName and takes the error type.
//
// A resolved O_ID is bound (member) to its variable and typed. One found in an enclosing class
// (a field of an enclosing instance, or a local of an enclosing method, which is replaced by the
// current class's synthetic copy of it) also records that class (classDef) and how many classes
// out it lies (level). A static or constant field reached through a qualifier stays an O_ID with
// the qualifier kept as its left operand.
ExprNode* resolveName(ExprNode* expression);
// At the name's first part: "undef.class" with the class that the longest run of existing packages
// from the start leads to (p.L for p.L.f() where package p has no class L); "undef.variable" with
// the last part when no package begins the name.
void reportUnresolvedName(ExprNode* expression);
Type* resolveTypeName(ExprNode* expression);
// The class a name not yet resolved denotes (a class, a member class of one, or a class of a
// package), without a report when it denotes none.
ClassDef* classOfName(ExprNode* expression);
ClassRef* resolveQualifiedClass(ExprNode* expression);
Package* qualifiedPackageOf(ExprNode* expression);
ExprNode* resolveSimpleName(ClassDef* cls, Scope* scope, ExprNode* expression, bool searchOuter);
// Null when the name denotes nothing (a package is no value).
ExprNode* resolveDottedName(ExprNode* expression);
Package* packageOfName(ExprNode* expression);
// O_DOT on a resolved qualifier, and O_CLASSREF (its access checked).
ExprNode* resolveFieldAccess(ExprNode* expression);
ExprNode* resolveVariableUse(ExprNode* expression);
// 1 when reported.
int32_t checkProtectedAccess(ClassDef* qualifierClass, Member* member, ExprNode* qualifier, int32_t line,
                             int32_t column);
// The access method through which the current class reaches a protected member of another
// package that only a class around it may reach directly (through: the class of the object
// reached through, null for this or super).
void requestProtectedAccessor(Member* member, ClassDef* through);
ExprNode* makeClassRefNode(ExprNode* expression, ClassDef* cls);
bool isSyntheticMember(const Member* member);
// The arguments a call of `method` passes: for a constructor of an inner, local or anonymous
// class the implicit outer instance and captured values first, then the explicit ones; every
// argument converted to its parameter's type. An argument that could not be made carries the
// error type.
ExprNode* innerConstructorArgs(ExprNode* outer, ExprNode* qualifier, ExprNode* arguments, Member* constructor,
                               int32_t line, int32_t column);
ExprNode* buildImplicitArgs(ExprNode* outer, ExprNode* qualifier, ExprNode* arguments, Member* constructor,
                            int32_t line, int32_t column);
// An instance of the enclosing class `outer` can be reached from the current class: every class
// between has the field that keeps its enclosing instance.
bool enclosingInstanceAvailable(ClassDef* outer);
// A class type of the current arena bound to the class.
Type* classTypeFor(ClassDef* cls, int32_t line, int32_t column);
// The class of a class type, or of the innermost elements of an array type; null for none.
ClassDef* elementClassOf(Type* type);
// The value of a local variable of the current method or of a method around the current class
// (through the current class's copy of it), as an O_ID at the position.
ExprNode* localValue(Member* variable, int32_t line, int32_t column);
