// Expression node constructors. Still lacks attribution and constant folding of operators: nodes
// are made with their operands and no type checks; literals are typed, and constants are
// converted as casts and assignments convert them.
#include "semantic/operators.h"

#include <cstring>

#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/expression_nodes.h"
#include "semantic/java_arithmetic.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "syntax/scanner.h"

namespace {

ExprNode* newNode(int32_t op, int32_t line, int32_t column) {
  auto* node = static_cast<ExprNode*>(currentAlloc(sizeof(ExprNode)));
  node->op = op;
  node->line = line;
  node->column = column;
  return node;
}

// An integral value cut to the width of its type: char keeps 16 bits unsigned, byte, short and
// int sign-extend, long keeps all.
int64_t normalizeIntegral(int32_t kind, int64_t value) {
  switch (kind) {
    case TK_BOOLEAN: return value != 0 ? 1 : 0;
    case TK_CHAR: return static_cast<uint16_t>(value);
    case TK_BYTE: return static_cast<int8_t>(value);
    case TK_SHORT: return static_cast<int16_t>(value);
    case TK_INT: return static_cast<int32_t>(value);
    default: return value;
  }
}

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

ExprNode* makeBinaryExpression(int32_t op, ExprNode* left, ExprNode* right, int32_t line, int32_t column) {
  ExprNode* node = newNode(op, line, column);
  node->left = left;
  node->right = right;
  return node;
}

ExprNode* makeUnaryExpression(int32_t op, ExprNode* operand, int32_t line, int32_t column) {
  ExprNode* node = newNode(op, line, column);
  node->left = operand;
  return node;
}

ExprNode* makeVariableInit(Member* variable, ExprNode* initializer, int32_t line, int32_t column) {
  ExprNode* node = newNode(O_INIT, line, column);
  node->member = variable;
  node->right = initializer;
  node->type = variable->type;
  return node;
}

ExprNode* makeIntConstant(int64_t value, int32_t line, int32_t column) {
  return makeIntegerConstant(T_INT, value, line, column);
}

ExprNode* makeIntegerConstant(int32_t literalKind, int64_t value, int32_t line, int32_t column) {
  ExprNode* node = newNode(O_CONST, line, column);
  node->type = literalKind == T_CHAR ? &charType : literalKind == T_LONG ? &longType : &intType;
  node->integerValue = normalizeIntegral(node->type->kind, value);
  node->literalKind = literalKind;
  return node;
}

ExprNode* makeFloatingConstant(int32_t literalKind, double value, int32_t line, int32_t column) {
  ExprNode* node = newNode(O_DCONST, line, column);
  bool isFloat = literalKind == T_FLOAT;
  node->type = isFloat ? &floatType : &doubleType;
  node->doubleValue = isFloat ? doubleToFloat(value) : value;
  node->literalKind = literalKind;
  return node;
}

ExprNode* makeStringConstant(const uint16_t* units, int32_t length, int32_t line, int32_t column) {
  initStringType();
  ExprNode* node = newNode(O_STRING, line, column);
  auto* value = static_cast<StringValue*>(currentAlloc(sizeof(StringValue) + sizeof(uint16_t) * length));
  value->length = length;
  if (length > 0) std::memcpy(const_cast<uint16_t*>(stringValueChars(value)), units, sizeof(uint16_t) * length);
  node->string = value;
  node->type = stringType;
  return node;
}

ExprNode* makeBooleanConstant(int32_t value) {
  ExprNode* node = newNode(O_CONST, 0, 0);
  node->type = &booleanType;
  node->integerValue = value != 0 ? 1 : 0;
  node->literalKind = T_BOOLEAN;
  return node;
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
