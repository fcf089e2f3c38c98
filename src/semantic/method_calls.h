// Method calls, instance creation and instanceof: overload resolution, outer instances, the
// checked exceptions a call may throw, and the conversion of arguments to parameter types.
// Placeholder: declared only; calls are made unresolved with the error type.
#pragma once

#include <cstdint>

struct ArrayDimension;
struct ExprNode;
struct Identifier;
struct Parameter;
struct ThrowsEntry;
struct Type;

// qualifier: null (unqualified), O_THIS (this(...)), O_SUPER (super(...)), O_CLASSREF or any
// expression; name null for a constructor call.
ExprNode* makeMethodCall(ExprNode* qualifier, Identifier* name, ExprNode* arguments, int32_t line, int32_t column);
ExprNode* makeNewExpression(ExprNode* outer, Type* type, ExprNode* arguments, ArrayDimension* dimensions,
                            int32_t line, int32_t column);
ExprNode* makeInstanceOf(ExprNode* expression, Type* type, int32_t line, int32_t column);
void checkThrowsCaught(Identifier* name, ThrowsEntry* throwsList, int32_t line, int32_t column);
int32_t checkQualifiedNewOuter(Type* outerType, Type* createdType, int32_t line, int32_t column);
ExprNode* convertArguments(Parameter* parameters, ExprNode* arguments);
ExprNode* convertArgument(Parameter* parameter, ExprNode* argument);
