// The leaves of expressions: typed literals, names and selections before resolution, and the
// keywords. Placeholder: names, selections and keywords are made untyped.
#include "semantic/primary_expressions.h"

#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/expression_nodes.h"
#include "semantic/java_arithmetic.h"
#include "semantic/type_records.h"
#include "support/global.h"
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
  node->type = literalKind == T_CHAR ? &charType : literalKind == T_LONG ? &longType : &intType;
  node->integerValue = normalizeIntegral(node->type->kind, value);
  node->literalKind = literalKind;
  return node;
}

ExprNode* makeFloatingConstant(int32_t literalKind, double value, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_DCONST, line, column);
  bool isFloat = literalKind == T_FLOAT;
  node->type = isFloat ? &floatType : &doubleType;
  node->doubleValue = isFloat ? doubleToFloat(value) : value;
  node->literalKind = literalKind;
  return node;
}

ExprNode* makeStringConstant(const uint16_t* units, int32_t length, int32_t line, int32_t column) {
  initStringType();
  ExprNode* node = newExprNode(O_STRING, line, column);
  node->string = newStringValue(global.currentArena, units, length);
  node->type = stringType;
  return node;
}

ExprNode* makeBooleanConstant(int32_t value) {
  ExprNode* node = newExprNode(O_CONST, 0, 0);
  node->type = &booleanType;
  node->integerValue = value != 0 ? 1 : 0;
  node->literalKind = T_BOOLEAN;
  return node;
}

ExprNode* makeKeywordExpression(int32_t op, ClassDef*, int32_t line, int32_t column) {
  return newExprNode(op, line, column);
}
