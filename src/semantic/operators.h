// The typed node constructors of expressions: operators, literals and variable initializers.
#pragma once

#include <cstdint>

struct ExprNode;
struct Member;

ExprNode* makeBinaryExpression(int32_t op, ExprNode* left, ExprNode* right, int32_t line, int32_t column);
ExprNode* makeUnaryExpression(int32_t op, ExprNode* operand, int32_t line, int32_t column);
ExprNode* makeVariableInit(Member* variable, ExprNode* initializer, int32_t line, int32_t column);
ExprNode* makeIntConstant(int64_t value, int32_t line, int32_t column);
