// Unary operators, casts, conditionals, subscripts and variable and array initializers: typed
// and folded as they are made.
// Placeholder: nodes are made with their operands, untyped and unfolded.
#pragma once

#include <cstdint>

struct ExprNode;
struct Member;
struct Type;

// op is O_AINIT, O_NOT, O_INA, O_DEA, O_INB, O_DEB, O_NEG, O_COMP or O_UPLUS.
ExprNode* makeUnaryExpression(int32_t op, ExprNode* operand, int32_t line, int32_t column);
ExprNode* makeCast(Type* target, ExprNode* operand, int32_t line, int32_t column);
ExprNode* makeConditional(ExprNode* condition, ExprNode* thenValue, ExprNode* elseValue, int32_t line,
                          int32_t column);
ExprNode* makeSubscript(ExprNode* array, ExprNode* index, int32_t line, int32_t column);
ExprNode* makeVariableInit(Member* variable, ExprNode* initializer, int32_t line, int32_t column);
ExprNode* checkArrayInitializer(Type* elementType, ExprNode* initializer);
ExprNode* checkInitializerElement(Type* elementType, ExprNode* element);

// A numeric constant (O_CONST or O_DCONST) converted to a primitive target type and folded, as a
// cast of it does: the node is rewritten and returned.
ExprNode* castConstant(Type* target, ExprNode* constant);
// The assignment conversion of a constant: the same type, a widening, or the narrowing of a char
// or int constant that fits a byte, short or char target; folded by castConstant. Null when the
// constant cannot be assigned so; the full assignment conversion reports that.
ExprNode* convertConstantForAssignment(Type* target, ExprNode* constant);
