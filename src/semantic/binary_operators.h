// Binary operators: type checks, promotion, assignment conversion, string concatenation and the
// folding of constant operands with Java's arithmetic.
// Placeholder: nodes are made with their operands, untyped and unfolded.
#pragma once

#include <cstdint>

struct ExprNode;
struct StringValue;
struct Type;

// op is O_ASG..O_XRA, O_ARG or O_SEQ. Returns the node, a folded constant, or an operand that
// already carries the error type.
ExprNode* makeBinaryExpression(int32_t op, ExprNode* left, ExprNode* right, int32_t line, int32_t column);
ExprNode* promoteOperand(ExprNode* node, Type* target, int32_t line, int32_t column, bool exact);
// The target type, or the error type after a diagnostic; may replace *slot by a conversion.
Type* convertForAssignment(Type* target, ExprNode** slot, int32_t line, int32_t column);
StringValue* concatStringConstants(const StringValue* a, const StringValue* b);
