// The expression parser: precedence climbing over the scanner, with names resolved and every
// node typed and folded by its constructor as soon as its operands are complete.
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

// The current token is the expression's first token; on return it is the token after it. Null
// means the failure was reported and the parse resynchronised (syntaxErrorSkip). An argument list
// is an O_ARG chain nested to the left, as array initializers are: a, b, c is
// O_ARG(O_ARG(a, b), c), built without recursion however long the list.
ExprNode* parseExpression(int32_t mode);
// With a left primary the expression continues from that already parsed primary (its postfix
// operators and selectors first).
ExprNode* parseBinaryExpression(int32_t minimumPrecedence, ExprNode* leftPrimary, int32_t mode);
ExprNode* parseUnaryExpression();
ExprNode* parsePostfixExpression(ExprNode* primary);
ExprNode* parsePrimary();
// nameMode 1: a dotted name is kept unresolved (O_DOT) for resolveName; 0: each selection is
// resolved as a field access as it is read.
ExprNode* parseSelector(ExprNode* expression, int32_t nameMode);
// The current token is "("; target null is an unqualified call, name null a constructor call.
ExprNode* parseArguments(ExprNode* target, Identifier* name, int32_t line, int32_t column);
// The current token is "new"; type or outer give the qualifier of a qualified creation.
ExprNode* parseNewExpression(Type* type, ExprNode* outer);
// Classifies what starts at the current token; see CLASSIFY_ above.
int32_t parseParenthesisOrCast(Type** type, ExprNode** expression);
// Whether an expression may begin with the token.
bool startsExpression(int32_t token);
// The binary operator table: the O_ code and precedence of a token (0 for tokens without entry).
int32_t binaryOperatorOf(int32_t token);
int32_t precedenceOf(int32_t token);
