// The expression parser: precedence climbing over the scanner, with names resolved and every
// node typed and folded by its constructor as soon as its operands are complete.
// Placeholder: an expression is reported as a syntax error and skipped to its end.
#pragma once

#include <cstdint>

struct ExprNode;
struct Identifier;
struct Type;

// Parse modes.
constexpr int32_t PARSE_EXPRESSION = 1;
constexpr int32_t PARSE_CONDITIONAL_MIDDLE = 2;  // also stops at ":"
constexpr int32_t PARSE_ARGUMENTS = 3;           // "," is O_ARG

// Results of parseParenthesisOrCast.
constexpr int32_t CLASSIFY_FAILED = 0;
constexpr int32_t CLASSIFY_TYPE = 1;
constexpr int32_t CLASSIFY_EXPRESSION = 2;
constexpr int32_t CLASSIFY_NAME = 3;

// The current token is the expression's first token; on return it is the token after it.
ExprNode* parseExpression(int32_t mode);
ExprNode* parseBinaryExpression(int32_t minimumPrecedence, ExprNode* leftPrimary, int32_t mode);
ExprNode* parseUnaryExpression();
ExprNode* parsePostfixExpression(ExprNode* primary);
ExprNode* parsePrimary();
ExprNode* parseSelector(ExprNode* expression, int32_t nameMode);
ExprNode* parseArguments(ExprNode* target, Identifier* name, int32_t line, int32_t column);
ExprNode* parseNewExpression(Type* type, ExprNode* outer);
int32_t parseParenthesisOrCast(Type** type, ExprNode** expression);
int32_t binaryOperatorOf(int32_t token);
int32_t precedenceOf(int32_t token);
