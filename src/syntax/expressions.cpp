// Expressions. Placeholder: an expression is reported as a syntax error and skipped to its end.
#include "syntax/expressions.h"

#include "support/diagnostics.h"
#include "syntax/compilation_unit.h"
#include "syntax/scanner.h"

ExprNode* parseExpression(int32_t) {
  errorAt(currentToken()->line, currentToken()->column, "syntax.error");
  skipInitializer(T_COMMA);
  return nullptr;
}
ExprNode* parseBinaryExpression(int32_t, ExprNode*, int32_t mode) {
  return parseExpression(mode);
}
ExprNode* parseUnaryExpression() {
  return parseExpression(PARSE_EXPRESSION);
}
ExprNode* parsePostfixExpression(ExprNode* primary) {
  return primary;
}
ExprNode* parsePrimary() {
  return parseExpression(PARSE_EXPRESSION);
}
ExprNode* parseSelector(ExprNode* expression, int32_t) {
  return expression;
}
ExprNode* parseArguments(ExprNode*, Identifier*, int32_t, int32_t) {
  return nullptr;
}
ExprNode* parseNewExpression(Type*, ExprNode*) {
  return nullptr;
}
int32_t parseParenthesisOrCast(Type**, ExprNode**) {
  return CLASSIFY_FAILED;
}
int32_t binaryOperatorOf(int32_t) {
  return 0;
}
int32_t precedenceOf(int32_t) {
  return 0;
}
