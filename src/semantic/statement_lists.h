// The lowered statement list of a method body, built statement by statement as the parser goes.
#pragma once

#include <cstdint>

struct ExprNode;

void appendExpressionStatement(ExprNode* expression, int32_t line, int32_t column);
