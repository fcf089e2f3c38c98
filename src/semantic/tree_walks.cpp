// Tree-walk checks and the class-context selectors. Placeholder: walks visit nothing and the
// selectors give the error type.
#include "semantic/tree_walks.h"

#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"

int32_t walkExpression(ExprNode*, WalkCallback, WalkCallback, WalkCallback, void*) {
  return 0;
}
int32_t staticContextCheck(ExprNode*, void*) {
  return 0;
}
void checkFieldInitForwardRefs(ExprNode*) {}
int32_t checkAssignmentTarget(ExprNode*) {
  return 1;
}
void checkFinalAssignment(Member*, int32_t, int32_t) {}

static ExprNode* errorNode(int32_t op, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(op, line, column);
  node->type = &errorType;
  return node;
}
ExprNode* makeClassLiteral(Type*, int32_t line, int32_t column) {
  return errorNode(O_CLASS, line, column);
}
ExprNode* makeClassLiteralFromName(ExprNode*, int32_t line, int32_t column) {
  return errorNode(O_CLASS, line, column);
}
ExprNode* makeSuperSelector(Type*, int32_t line, int32_t column) {
  return errorNode(O_SUPER, line, column);
}
ExprNode* makeSuperFromName(ExprNode*, int32_t line, int32_t column) {
  return errorNode(O_SUPER, line, column);
}
ExprNode* makeThisSelector(Type*, int32_t line, int32_t column) {
  return errorNode(O_THIS, line, column);
}
ExprNode* makeThisFromName(ExprNode*, int32_t line, int32_t column) {
  return errorNode(O_THIS, line, column);
}
ExprNode* makeThisSelectorForClass(ClassDef*, int32_t line, int32_t column) {
  return errorNode(O_THIS, line, column);
}
