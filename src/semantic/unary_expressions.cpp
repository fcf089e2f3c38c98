// Unary operators, casts, conditionals, subscripts and initializers. Placeholder: nodes are made
// with their operands, untyped and unfolded.
#include "semantic/unary_expressions.h"

#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/expression_nodes.h"
#include "semantic/java_arithmetic.h"
#include "semantic/type_records.h"

namespace {

bool isNumericKind(int32_t kind) {
  return kind >= TK_CHAR && kind <= TK_DOUBLE;
}

// Java's widening primitive conversions, identity included.
bool widens(int32_t from, int32_t to) {
  if (from == to) return true;
  if (!isNumericKind(from) || !isNumericKind(to)) return false;
  if (from == TK_CHAR) return to >= TK_INT;
  if (to == TK_CHAR) return false;
  return from < to;
}

}  // namespace

ExprNode* makeUnaryExpression(int32_t op, ExprNode* operand, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(op, line, column);
  node->left = operand;
  return node;
}

ExprNode* makeCast(Type* target, ExprNode* operand, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_CAST, line, column);
  node->left = operand;
  node->type = target;
  return node;
}

ExprNode* makeConditional(ExprNode* condition, ExprNode* thenValue, ExprNode* elseValue, int32_t line,
                          int32_t column) {
  ExprNode* node = newExprNode(O_QUES, line, column);
  node->left = condition;
  node->right = thenValue;
  node->third = elseValue;
  return node;
}

ExprNode* makeSubscript(ExprNode* array, ExprNode* index, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_SUBSCRIPT, line, column);
  node->left = array;
  node->right = index;
  return node;
}

ExprNode* makeVariableInit(Member* variable, ExprNode* initializer, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_INIT, line, column);
  node->member = variable;
  node->right = initializer;
  node->type = variable->type;
  return node;
}

ExprNode* checkArrayInitializer(Type*, ExprNode* initializer) {
  return initializer;
}

ExprNode* checkInitializerElement(Type*, ExprNode* element) {
  return element;
}

ExprNode* castConstant(Type* target, ExprNode* constant) {
  int32_t kind = target->kind;
  bool fromFloat = constant->type != nullptr && constant->type->kind == TK_FLOAT;
  if (constant->op == O_CONST) {
    if (kind == TK_FLOAT || kind == TK_DOUBLE) {
      double value = longToDouble(constant->integerValue);
      constant->op = O_DCONST;
      constant->doubleValue = kind == TK_FLOAT ? doubleToFloat(value) : value;
    } else {
      constant->integerValue = normalizeIntegral(kind, constant->integerValue);
    }
  } else if (constant->op == O_DCONST) {
    double value = constant->doubleValue;
    if (kind == TK_LONG) {
      constant->op = O_CONST;
      constant->integerValue = fromFloat ? floatToLong(value) : doubleToLong(value);
    } else if (kind >= TK_CHAR && kind <= TK_INT) {
      constant->op = O_CONST;
      constant->integerValue = normalizeIntegral(kind, fromFloat ? floatToInt(value) : doubleToInt(value));
    } else if (kind == TK_FLOAT) {
      constant->doubleValue = doubleToFloat(value);
    }
  }
  constant->type = target;
  return constant;
}

ExprNode* convertConstantForAssignment(Type* target, ExprNode* constant) {
  if (target == nullptr || constant == nullptr || constant->type == nullptr) return nullptr;
  int32_t from = constant->type->kind;
  int32_t to = target->kind;
  if (to == TK_CLASS || from == TK_CLASS)
    return to == TK_CLASS && constant->op == O_STRING && isClassType(target, stringClass()) ? constant : nullptr;
  if (from == TK_BOOLEAN || to == TK_BOOLEAN) return from == to ? constant : nullptr;
  if (widens(from, to)) return castConstant(target, constant);
  // A char or int constant narrows to a smaller type it fits.
  bool narrowable = constant->op == O_CONST && (from == TK_CHAR || from == TK_INT) &&
                    (to == TK_BYTE || to == TK_SHORT || to == TK_CHAR);
  if (narrowable && normalizeIntegral(to, constant->integerValue) == constant->integerValue)
    return castConstant(target, constant);
  return nullptr;
}
