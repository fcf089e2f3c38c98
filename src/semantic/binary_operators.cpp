// Binary operators. Placeholder: nodes are made with their operands, untyped and unfolded.
#include "semantic/binary_operators.h"

#include "semantic/expression_nodes.h"

ExprNode* makeBinaryExpression(int32_t op, ExprNode* left, ExprNode* right, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(op, line, column);
  node->left = left;
  node->right = right;
  return node;
}

ExprNode* promoteOperand(ExprNode* node, Type*, int32_t, int32_t, bool) {
  return node;
}

Type* convertForAssignment(Type* target, ExprNode**, int32_t, int32_t) {
  return target;
}

StringValue* concatStringConstants(const StringValue*, const StringValue*) {
  return nullptr;
}
