// The typed node constructors of expressions: operators, literals and variable initializers.
#pragma once

#include <cstdint>

struct ExprNode;
struct Member;
struct Type;

ExprNode* makeBinaryExpression(int32_t op, ExprNode* left, ExprNode* right, int32_t line, int32_t column);
ExprNode* makeUnaryExpression(int32_t op, ExprNode* operand, int32_t line, int32_t column);
ExprNode* makeVariableInit(Member* variable, ExprNode* initializer, int32_t line, int32_t column);
ExprNode* makeIntConstant(int64_t value, int32_t line, int32_t column);

// Literals, typed: an integer literal of kind T_CHAR, T_INT or T_LONG with its value cut to the
// type's width; a floating literal of kind T_FLOAT (rounded to float) or T_DOUBLE; a string of
// UTF-16 units; a boolean.
ExprNode* makeIntegerConstant(int32_t literalKind, int64_t value, int32_t line, int32_t column);
ExprNode* makeFloatingConstant(int32_t literalKind, double value, int32_t line, int32_t column);
ExprNode* makeStringConstant(const uint16_t* units, int32_t length, int32_t line, int32_t column);
ExprNode* makeBooleanConstant(int32_t value);

// A numeric constant (O_CONST or O_DCONST) converted to a primitive target type and folded, as a
// cast of it does: the node is rewritten and returned.
ExprNode* castConstant(Type* target, ExprNode* constant);
// The assignment conversion of a constant: the same type, a widening, or the narrowing of a char
// or int constant that fits a byte, short or char target; folded by castConstant. Null when the
// constant cannot be assigned so; the full assignment conversion reports that.
ExprNode* convertConstantForAssignment(Type* target, ExprNode* constant);
