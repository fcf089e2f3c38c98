// Names resolved while expressions are built: simple and dotted names to locals, fields, classes
// and packages; field selections and array length; constant variables folded at their use;
// protected access; captured outer locals and the synthetic fields and parameters they need.
// Placeholder: declared only; every name is left unresolved and gets the error type.
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

// O_ID and O_DOT; anything else comes back unchanged.
ExprNode* resolveName(ExprNode* expression);
Type* resolveTypeName(ExprNode* expression);
ClassRef* resolveQualifiedClass(ExprNode* expression);
Package* qualifiedPackageOf(ExprNode* expression);
ExprNode* resolveSimpleName(ClassDef* cls, Scope* scope, ExprNode* expression, bool searchOuter);
ExprNode* resolveDottedName(ExprNode* expression);
Package* packageOfName(ExprNode* expression);
ExprNode* resolveFieldAccess(ExprNode* expression);
ExprNode* resolveVariableUse(ExprNode* expression);
// 1 when reported.
int32_t checkProtectedAccess(ClassDef* qualifierClass, Member* member, ExprNode* qualifier, int32_t line,
                             int32_t column);
ExprNode* makeClassRefNode(ExprNode* expression, ClassDef* cls);
bool isSyntheticMember(const Member* member);
ExprNode* innerConstructorArgs(ExprNode* outer, ExprNode* qualifier, ExprNode* arguments, Member* constructor,
                               int32_t line, int32_t column);
ExprNode* buildImplicitArgs(ExprNode* outer, ExprNode* qualifier, ExprNode* arguments, Member* constructor,
                            int32_t line, int32_t column);
