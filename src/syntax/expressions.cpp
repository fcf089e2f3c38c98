// Expressions. Still lacks the expression parser: an expression is reported as a syntax error
// and skipped to its end.
#include "syntax/expressions.h"

#include "syntax/declarations.h"
#include "syntax/scanner.h"
#include "support/diagnostics.h"

ExprNode* parseExpression() {
  errorAt(currentToken()->line, currentToken()->column, "syntax.error");
  skipInitializer(T_COMMA);
  return nullptr;
}
