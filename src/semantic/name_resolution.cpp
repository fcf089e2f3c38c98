// Name and member resolution. Placeholder: names stay unresolved and get the error type.
#include "semantic/name_resolution.h"

#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"

ExprNode* resolveName(ExprNode* expression) {
  if (expression != nullptr && (expression->op == O_ID || expression->op == O_DOT)) expression->type = &errorType;
  return expression;
}
Type* resolveTypeName(ExprNode*) {
  return nullptr;
}
ClassRef* resolveQualifiedClass(ExprNode*) {
  return nullptr;
}
Package* qualifiedPackageOf(ExprNode*) {
  return nullptr;
}
ExprNode* resolveSimpleName(ClassDef*, Scope*, ExprNode* expression, bool) {
  return resolveName(expression);
}
ExprNode* resolveDottedName(ExprNode* expression) {
  return resolveName(expression);
}
Package* packageOfName(ExprNode*) {
  return nullptr;
}
ExprNode* resolveFieldAccess(ExprNode* expression) {
  return resolveName(expression);
}
ExprNode* resolveVariableUse(ExprNode* expression) {
  return expression;
}
int32_t checkProtectedAccess(ClassDef*, Member*, ExprNode*, int32_t, int32_t) {
  return 0;
}
ExprNode* makeClassRefNode(ExprNode* expression, ClassDef* cls) {
  expression->op = O_CLASSREF;
  expression->classDef = cls;
  expression->type = &classNameType;
  return expression;
}
bool isSyntheticMember(const Member*) {
  return false;
}
ExprNode* innerConstructorArgs(ExprNode*, ExprNode*, ExprNode* arguments, Member*, int32_t, int32_t) {
  return arguments;
}
ExprNode* buildImplicitArgs(ExprNode*, ExprNode*, ExprNode* arguments, Member*, int32_t, int32_t) {
  return arguments;
}
