// Unary operators, casts, conditionals, subscripts and initializers. Placeholder: nodes are made
// with their operands, untyped and unfolded.
#include "semantic/unary_expressions.h"

#include "semantic/class_records.h"
#include "semantic/expression_nodes.h"

ExprNode* makeUnaryExpression(int32_t op, ExprNode* operand, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(op, line, column);
  node->left = operand;
  return node;
}

ExprNode* makeCast(Type* target, ExprNode* operand, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_CAST, line, column);
  node->left = operand;
  node->type = target;
  return node;
}

ExprNode* makeConditional(ExprNode* condition, ExprNode* thenValue, ExprNode* elseValue, int32_t line,
                          int32_t column) {
  ExprNode* node = newExprNode(O_QUES, line, column);
  node->left = condition;
  node->right = thenValue;
  node->third = elseValue;
  return node;
}

ExprNode* makeSubscript(ExprNode* array, ExprNode* index, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_SUBSCRIPT, line, column);
  node->left = array;
  node->right = index;
  return node;
}

ExprNode* makeVariableInit(Member* variable, ExprNode* initializer, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_INIT, line, column);
  node->member = variable;
  node->right = initializer;
  node->type = variable->type;
  return node;
}

ExprNode* checkArrayInitializer(Type*, ExprNode* initializer) {
  return initializer;
}

ExprNode* checkInitializerElement(Type*, ExprNode* element) {
  return element;
}
