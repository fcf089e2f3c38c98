// Method calls, instance creation and instanceof: overload resolution, outer instances, the
// checked exceptions a call may throw, and the conversion of arguments to parameter types.
#pragma once

#include <cstdint>

struct ArrayDimension;
struct ExprNode;
struct Identifier;
struct Parameter;
struct ThrowsEntry;
struct Type;

// qualifier: null (unqualified), O_THIS (this(...)), O_SUPER (super(...)), O_CLASSREF or any
// expression; name null for a constructor call. The node's member is the method chosen; its type
// the method's result type (void for a constructor), or the error type after a report.
ExprNode* makeMethodCall(ExprNode* qualifier, Identifier* name, ExprNode* arguments, int32_t line, int32_t column);
// outer: the explicit outer instance of outer.new C(...), or null.
ExprNode* makeNewExpression(ExprNode* outer, Type* type, ExprNode* arguments, ArrayDimension* dimensions,
                            int32_t line, int32_t column);
ExprNode* makeInstanceOf(ExprNode* expression, Type* type, int32_t line, int32_t column);
// "throws.not.caught" for each checked exception of the list that is neither caught by an open
// try nor declared by the current method.
void checkThrowsCaught(Identifier* name, ThrowsEntry* throwsList, int32_t line, int32_t column);
int32_t checkQualifiedNewOuter(Type* outerType, Type* createdType, int32_t line, int32_t column);
// Each argument, in source order, whose type is of another kind than its parameter's becomes a
// conversion to the parameter's type; the walk ends with the parameters.
ExprNode* convertArguments(Parameter* parameters, ExprNode* arguments);
ExprNode* convertArgument(Parameter* parameter, ExprNode* argument);
