// The leaves of expressions. Placeholder: nodes are made untyped, except int and boolean
// constants.
#include "semantic/primary_expressions.h"

#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"
#include "syntax/scanner.h"

ExprNode* makeIdentifier(Identifier* name, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_ID, line, column);
  node->name = name;
  return node;
}

ExprNode* makeDot(ExprNode* qualifier, Identifier* name, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_DOT, line, column);
  node->left = qualifier;
  node->name = name;
  return node;
}

ExprNode* makeFieldAccess(ExprNode* qualifier, Identifier* name, int32_t line, int32_t column) {
  return qualifier == nullptr ? nullptr : makeDot(qualifier, name, line, column);
}

ExprNode* makeIntegerConstant(int32_t literalKind, int64_t value, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_CONST, line, column);
  node->literalKind = literalKind;
  node->integerValue = value;
  if (literalKind == T_INT) {
    node->integerValue = static_cast<int32_t>(value);
    node->type = &intType;
  }
  return node;
}

ExprNode* makeFloatingConstant(int32_t literalKind, double value, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_DCONST, line, column);
  node->literalKind = literalKind;
  node->doubleValue = value;
  return node;
}

ExprNode* makeStringConstant(const uint16_t*, int32_t, int32_t line, int32_t column) {
  return newExprNode(O_STRING, line, column);
}

ExprNode* makeBooleanConstant(int32_t value) {
  ExprNode* node = newExprNode(O_CONST, 0, 0);
  node->integerValue = value;
  node->literalKind = T_BOOLEAN;
  node->type = &booleanType;
  return node;
}

ExprNode* makeKeywordExpression(int32_t op, ClassDef*, int32_t line, int32_t column) {
  return newExprNode(op, line, column);
}
