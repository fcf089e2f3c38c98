// Binary operators: type checks, promotion, assignment conversion, string concatenation and the
// folding of constant operands with Java's arithmetic.
#pragma once

#include <cstdint>

struct ExprNode;
struct Type;

// op is O_ASG..O_XRA, O_ARG or O_SEQ. Returns the node, a folded constant, or an operand that
// already carries the error type.
ExprNode* makeBinaryExpression(int32_t op, ExprNode* left, ExprNode* right, int32_t line, int32_t column);
// Numeric promotion of one operand towards `target`: char, byte and short become int (unless
// exact and of the target's own kind), narrower types widen to a long, float or double target, and
// references are only checked. The node, a conversion of it, or the node with the error type.
ExprNode* promoteOperand(ExprNode* node, Type* target, int32_t line, int32_t column, bool exact);
// The target type, or the error type after a diagnostic; may replace *slot by a conversion.
Type* convertForAssignment(Type* target, ExprNode** slot, int32_t line, int32_t column);
