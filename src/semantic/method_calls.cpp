// Method calls, instance creation and instanceof. Placeholder: nodes get the error type.
#include "semantic/method_calls.h"

#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"

ExprNode* makeMethodCall(ExprNode* qualifier, Identifier* name, ExprNode* arguments, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_CALL, line, column);
  node->left = qualifier;
  node->name = name;
  node->list = arguments;
  node->type = &errorType;
  return node;
}
ExprNode* makeNewExpression(ExprNode* outer, Type* type, ExprNode* arguments, ArrayDimension* dimensions,
                            int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_NEW, line, column);
  node->left = outer;
  node->operandType = type;
  node->list = arguments;
  node->dimensions = dimensions;
  node->type = &errorType;
  return node;
}
ExprNode* makeInstanceOf(ExprNode* expression, Type* type, int32_t line, int32_t column) {
  if (expression == nullptr) return nullptr;
  ExprNode* node = newExprNode(O_INSTANCEOF, line, column);
  node->operandType = type;
  node->right = expression;
  node->type = &booleanType;
  return node;
}
void checkThrowsCaught(Identifier*, ThrowsEntry*, int32_t, int32_t) {}
int32_t checkQualifiedNewOuter(Type*, Type*, int32_t, int32_t) {
  return 0;
}
ExprNode* convertArguments(Parameter*, ExprNode* arguments) {
  return arguments;
}
ExprNode* convertArgument(Parameter*, ExprNode* argument) {
  return argument;
}
