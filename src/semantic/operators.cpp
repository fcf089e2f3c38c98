// Expression node constructors. Still lacks attribution and constant folding: nodes are made
// with their operands and no type checks (only the int constant is typed).
#include "semantic/operators.h"

#include "semantic/class_records.h"
#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"
#include "support/arena.h"

static ExprNode* newNode(int32_t op, int32_t line, int32_t column) {
  auto* node = static_cast<ExprNode*>(currentAlloc(sizeof(ExprNode)));
  node->op = op;
  node->line = line;
  node->column = column;
  return node;
}

ExprNode* makeBinaryExpression(int32_t op, ExprNode* left, ExprNode* right, int32_t line, int32_t column) {
  ExprNode* node = newNode(op, line, column);
  node->left = left;
  node->right = right;
  return node;
}

ExprNode* makeUnaryExpression(int32_t op, ExprNode* operand, int32_t line, int32_t column) {
  ExprNode* node = newNode(op, line, column);
  node->left = operand;
  return node;
}

ExprNode* makeVariableInit(Member* variable, ExprNode* initializer, int32_t line, int32_t column) {
  ExprNode* node = newNode(O_INIT, line, column);
  node->member = variable;
  node->right = initializer;
  node->type = variable->type;
  return node;
}

ExprNode* makeIntConstant(int64_t value, int32_t line, int32_t column) {
  ExprNode* node = newNode(O_CONST, line, column);
  node->integerValue = static_cast<int32_t>(value);
  node->type = &intType;
  return node;
}
