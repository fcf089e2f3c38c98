// Unary operators, casts, conditionals, subscripts and variable and array initializers: typed
// and folded as they are made.
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
