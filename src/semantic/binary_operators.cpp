// Binary operators and the two conversions every constructor uses. Each operator is checked
// against its operand mask, its operands are brought to a common type, and constant operands are
// folded at once with Java's results: integers wrap in 64 bits and are cut back to their type,
// floating operations decide NaN, the infinities and the zeros before any host arithmetic, and a
// float result is rounded once.
#include "semantic/binary_operators.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/java_arithmetic.h"
#include "semantic/tree_walks.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "semantic/unary_expressions.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/double_bits.h"
#include "support/global.h"

namespace {

ExprNode* failPromotion(ExprNode* node, const Type* target, int32_t line, int32_t column) {
  errorAt(line, column, "incomp.type", expressionTypeToString(node), typeToString(target));
  node->type = &errorType;
  return node;
}

// null is no constant expression: null == null is folded only for the debugger, which compares
// values.
bool isIntegralOperand(const ExprNode* node) {
  return node->op == O_CONST || (node->op == O_NULL && global.evaluating != 0);
}

int32_t mirroredComparison(int32_t op) {
  switch (op) {
    case O_LT: return O_GT;
    case O_GT: return O_LT;
    case O_LE: return O_GE;
    case O_GE: return O_LE;
    default: return op;
  }
}

void swapOperands(ExprNode* node) {
  ExprNode* left = node->left;
  node->left = node->right;
  node->right = left;
}

// Writes the constant as Java's string conversion does: at most 32 units.
int32_t constantText(const ExprNode* node, uint16_t* units) {
  if (node->op == O_NULL) {
    for (int32_t i = 0; i < 4; i++) units[i] = static_cast<uint16_t>("null"[i]);
    return 4;
  }
  int32_t kind = node->type->kind;
  if (node->op == O_CONST && kind == TK_CHAR) {
    units[0] = static_cast<uint16_t>(node->integerValue);
    return 1;
  }
  char text[32];
  int32_t length = 0;
  if (node->op == O_DCONST) {
    length = javaFloatingToString(node->doubleValue, kind == TK_FLOAT, text);
  } else if (kind == TK_BOOLEAN) {
    const char* word = node->integerValue != 0 ? "true" : "false";
    length = static_cast<int32_t>(std::strlen(word));
    std::memcpy(text, word, length);
  } else {
    length = static_cast<int32_t>(std::to_chars(text, text + sizeof text, node->integerValue).ptr - text);
  }
  for (int32_t i = 0; i < length; i++) units[i] = static_cast<uint8_t>(text[i]);
  return length;
}

// A null is no constant of the language, so a compile leaves its conversion to run time; an
// evaluation has its value, and the conversion calls nothing.
bool isStringFoldable(const ExprNode* node) {
  return isConstantValue(node) || (node->op == O_NULL && global.evaluating != 0);
}

// A string + of two constants is a constant: the left node takes the joined text. A value that
// folding made has room to grow, doubled each time it runs out, so a chain of n constants costs
// time and memory in proportion to its length, not to its square.
ExprNode* foldConcatenation(ExprNode* node, ExprNode* left, ExprNode* right) {
  if (!isStringFoldable(left) || !isStringFoldable(right)) return node;
  uint16_t scratch[32];
  const uint16_t* leftUnits = scratch;
  int32_t leftLength = 0;
  if (left->op == O_STRING) {
    leftUnits = stringValueChars(left->string);
    leftLength = left->string->length;
  } else {
    leftLength = constantText(left, scratch);
  }
  uint16_t rightScratch[32];
  const uint16_t* rightUnits = rightScratch;
  int32_t rightLength = 0;
  if (right->op == O_STRING) {
    rightUnits = stringValueChars(right->string);
    rightLength = right->string->length;
  } else {
    rightLength = constantText(right, rightScratch);
  }
  int64_t needed = static_cast<int64_t>(leftLength) + rightLength;
  if (needed > INT32_MAX) return node;
  StringValue* joined = left->op == O_STRING ? left->string : nullptr;
  if (joined == nullptr || left->stringCapacity < needed) {
    int64_t capacity = needed < 16 ? 16 : needed * 2;
    if (capacity > INT32_MAX) capacity = needed;
    joined = arenaNewWithTail<StringValue>(global.currentArena, sizeof(uint16_t) * capacity);
    if (leftLength > 0) std::memcpy(const_cast<uint16_t*>(stringValueChars(joined)), leftUnits, sizeof(uint16_t) * leftLength);
    left->stringCapacity = static_cast<int32_t>(capacity);
  }
  auto* units = const_cast<uint16_t*>(stringValueChars(joined));
  if (rightLength > 0) std::memmove(units + leftLength, rightUnits, sizeof(uint16_t) * rightLength);
  joined->length = static_cast<int32_t>(needed);
  left->op = O_STRING;
  left->string = joined;
  left->type = node->type;
  left->literalKind = 0;
  return left;
}

ExprNode* becomeBoolean(ExprNode* constant, bool value) {
  constant->op = O_CONST;
  constant->type = &booleanType;
  constant->integerValue = value ? 1 : 0;
  constant->literalKind = 0;
  return constant;
}

// Integral folding of two O_CONST or O_NULL operands on 64-bit values; the result is written
// into the left node, whose type is the promoted type, and cut back to its width.
ExprNode* foldIntegral(ExprNode* node, ExprNode* left, ExprNode* right) {
  int64_t x = left->integerValue;
  int64_t y = right->integerValue;
  uint64_t ux = static_cast<uint64_t>(x);
  uint64_t uy = static_cast<uint64_t>(y);
  bool isLong = left->type != nullptr && left->type->kind == TK_LONG;
  int32_t count = static_cast<int32_t>(uy & (isLong ? 63 : 31));
  int64_t result = 0;
  switch (node->op) {
    case O_EQ: return becomeBoolean(left, x == y);
    case O_NE: return becomeBoolean(left, x != y);
    case O_LT: return becomeBoolean(left, x < y);
    case O_LE: return becomeBoolean(left, x <= y);
    case O_GT: return becomeBoolean(left, x > y);
    case O_GE: return becomeBoolean(left, x >= y);
    case O_ADD: result = static_cast<int64_t>(ux + uy); break;
    case O_SUB: result = static_cast<int64_t>(ux - uy); break;
    case O_MUL: result = static_cast<int64_t>(ux * uy); break;
    case O_DIV:
    case O_REM:
      // An integral division by zero is no constant: it stays for run time, which throws.
      if (y == 0) return node;
      // MIN / -1 overflows the host's division: its quotient is the negation, wrapped.
      if (y == -1)
        result = node->op == O_DIV ? static_cast<int64_t>(0 - ux) : 0;
      else
        result = node->op == O_DIV ? x / y : x % y;
      break;
    case O_AND: result = x & y; break;
    case O_OR: result = x | y; break;
    case O_XOR: result = x ^ y; break;
    case O_LSH: result = static_cast<int64_t>(ux << count); break;
    case O_RSH: result = x >> count; break;
    case O_RSSH:
      result = isLong ? static_cast<int64_t>(ux >> count) : static_cast<int64_t>(static_cast<uint32_t>(ux) >> count);
      break;
    default: return node;
  }
  left->integerValue = result;
  left->type = node->type;
  normalizeIntConstant(left);
  return left;
}

double nan() {
  return specialDouble("nan");
}

// The infinity, or with `zero` the zero, whose sign is negative when exactly one of the
// operands is.
double signedResult(double x, double y, bool zero) {
  bool negative = doubleIsNegative(x) != doubleIsNegative(y);
  return specialDouble(zero ? (negative ? "-0" : "+0") : (negative ? "-inf" : "+inf"));
}

// The result of a floating operator on two operands that are not NaN.
double floatingArithmetic(int32_t op, double x, double y) {
  bool xInfinite = doubleIsInfinite(x);
  bool yInfinite = doubleIsInfinite(y);
  bool xZero = doubleIsZero(x);
  bool yZero = doubleIsZero(y);
  switch (op) {
    case O_ADD:
      if (xInfinite && yInfinite) return doubleIsNegative(x) == doubleIsNegative(y) ? x : nan();
      if (xInfinite) return x;
      if (yInfinite) return y;
      return x + y;
    case O_SUB:
      if (xInfinite) return yInfinite && doubleIsNegative(x) == doubleIsNegative(y) ? nan() : x;
      if (yInfinite) return -y;
      return x - y;
    case O_MUL:
      if ((xInfinite && yZero) || (yInfinite && xZero)) return nan();
      if (xInfinite || yInfinite) return signedResult(x, y, false);
      return x * y;
    case O_DIV:
      if (xInfinite && yInfinite) return nan();
      if (xInfinite) return signedResult(x, y, false);
      if (yInfinite) return signedResult(x, y, true);
      if (xZero && yZero) return nan();
      if (xZero) return signedResult(x, y, true);
      if (yZero) return signedResult(x, y, false);
      return x / y;
    default:  // O_REM
      if (xInfinite || yZero) return nan();
      if (yInfinite || xZero) return x;
      return std::fmod(x, y);
  }
}

ExprNode* foldFloating(ExprNode* node, ExprNode* left, ExprNode* right) {
  double x = left->doubleValue;
  double y = right->doubleValue;
  bool unordered = doubleIsNaN(x) || doubleIsNaN(y);
  switch (node->op) {
    case O_EQ: return becomeBoolean(left, !unordered && x == y);
    case O_NE: return becomeBoolean(left, unordered || x != y);
    case O_LT: return becomeBoolean(left, !unordered && x < y);
    case O_LE: return becomeBoolean(left, !unordered && x <= y);
    case O_GT: return becomeBoolean(left, !unordered && x > y);
    case O_GE: return becomeBoolean(left, !unordered && x >= y);
    case O_ADD:
    case O_SUB:
    case O_MUL:
    case O_DIV:
    case O_REM: break;
    default: return node;
  }
  double result = doubleIsNaN(x) ? x : doubleIsNaN(y) ? y : floatingArithmetic(node->op, x, y);
  if (node->type->kind == TK_FLOAT) result = doubleToFloat(result);
  left->doubleValue = result;
  left->type = node->type;
  return left;
}

// == and != of two string constants: constants are interned, so the same text is the same object.
ExprNode* foldStringComparison(ExprNode* node, ExprNode* left, const ExprNode* right) {
  const StringValue* a = left->string;
  const StringValue* b = right->string;
  bool equal = a->length == b->length &&
               std::memcmp(stringValueChars(a), stringValueChars(b), sizeof(uint16_t) * a->length) == 0;
  return becomeBoolean(left, (node->op == O_EQ) == equal);
}

// Step 6 of makeBinaryExpression: the operator node gives way to its folded value when both
// operands are constants. true && x and false || x are x itself; false && x and true || x keep
// their node, since they are no constant expressions unless x is one.
ExprNode* foldBinary(ExprNode* node) {
  ExprNode* left = node->left;
  ExprNode* right = node->right;
  if (node->op == O_SCONCAT) return foldConcatenation(node, left, right);
  if ((node->op == O_EQ || node->op == O_NE) && left->op == O_STRING && right->op == O_STRING &&
      !isFrameValue(left) && !isFrameValue(right))
    return foldStringComparison(node, left, right);
  if (isIntegralOperand(left)) {
    if (node->op == O_LAND || node->op == O_LOR) {
      if ((left->integerValue != 0) == (node->op == O_LAND)) return foldEvaluatedOperand(right);
      return right->op == O_CONST ? left : node;
    }
    if (isIntegralOperand(right)) return foldIntegral(node, left, right);
    return node;
  }
  if (left->op == O_DCONST && right->op == O_DCONST) return foldFloating(node, left, right);
  return node;
}

// An integral division by the constant zero is legal and throws when it runs: a warning here.
// The debugger, which computes the value now, fails instead.
void warnDivisionByZero(int32_t op, const ExprNode* divisor) {
  int32_t line = divisor->line;
  int32_t column = divisor->column;
  if (global.evaluating != 0) {
    if (op == O_DIV)
      errorAt(line, column, "divide.by.zero");
    else
      errorAt(line, column, "rem.by.zero");
  } else if (op == O_DIV) {
    warningAt(global.current, line, column, "warn.divide.by.zero");
  } else {
    warningAt(global.current, line, column, "warn.rem.by.zero");
  }
}

// Promotes both operands towards each other, the left first; false after a failure.
bool promoteBoth(ExprNode* node, int32_t line, int32_t column) {
  node->left = promoteOperand(node->left, node->right->type, line, column, false);
  if (hasErrorType(node->left)) return false;
  node->right = promoteOperand(node->right, node->left->type, line, column, false);
  return !hasErrorType(node->right);
}

// The count of a shift: promoted, and cut to int when it is a long.
bool promoteShiftCount(ExprNode* node, int32_t line, int32_t column) {
  node->right = promoteOperand(node->right, &intType, line, column, false);
  if (hasErrorType(node->right)) return false;
  if (isNarrowing(node->right->type, &intType)) node->right = makeCast(&intType, node->right, line, column);
  return !hasErrorType(node->right);
}

// Step 5 of makeBinaryExpression: the result type by operator, with the conversions each needs.
// False when the node is to be returned as it stands (its type set, an error reported or not).
bool typeBinary(ExprNode* node, Type* leftTypeBefore, int32_t line, int32_t column) {
  ExprNode*& left = node->left;
  ExprNode*& right = node->right;
  switch (node->op) {
    case O_ASG:
      // Reported at the value, which may stand on a later line than the "=".
      node->type = convertForAssignment(left->type, &right, right->line, right->column);
      return true;
    case O_EQ:
    case O_NE:
      node->type = &booleanType;
      node->literalKind = 0;
      if (left->op == O_NULL || isZeroConstant(left)) swapOperands(node);
      return true;
    case O_LT:
    case O_LE:
    case O_GT:
    case O_GE:
      node->type = &booleanType;
      // A NaN makes < and <= false: the comparison takes NaN as greater.
      node->literalKind = node->op == O_LT || node->op == O_LE ? COMPARE_NAN_GREATER : 0;
      if (isZeroConstant(left)) {
        swapOperands(node);
        node->op = mirroredComparison(node->op);
      }
      return true;
    case O_LSH:
    case O_RSH:
    case O_RSSH:
      left = promoteOperand(left, &intType, line, column, false);
      if (hasErrorType(left)) return false;
      if (!promoteShiftCount(node, line, column)) return false;
      node->type = left->type;
      return true;
    case O_LSA:
    case O_RSA:
    case O_RSSA:
      // The target is read as an int (or long) and the result narrowed back to its type; the
      // code generator finds the conversion in the cast around the target.
      left = promoteOperand(left, &intType, line, column, false);
      if (hasErrorType(left)) return false;
      if (!promoteShiftCount(node, line, column)) return false;
      node->type = leftTypeBefore;
      return true;
    case O_DIV:
    case O_REM:
      // A zero read from the frame is no constant: the division stays, as one that would throw.
      if (isZeroConstant(right) && !isFrameValue(right)) warnDivisionByZero(node->op, right);
      node->type = left->type;
      return true;
    case O_DVA:
    case O_RMA:
    case O_SBA:
    case O_MUA:
      node->type = leftTypeBefore;
      return true;
    case O_AND:
    case O_OR:
    case O_XOR:
    case O_SUB:
    case O_MUL:
      node->type = left->type;
      return true;
    case O_LAND:
    case O_LOR:
      node->type = &booleanType;
      return true;
    case O_ANA:
    case O_ORA:
    case O_XRA:
      if (isNarrowing(right->type, left->type)) right = makeCast(left->type, right, line, column);
      if (hasErrorType(right)) return false;
      node->type = convertForAssignment(left->type, &right, line, column)->kind == TK_ERROR ? &errorType : leftTypeBefore;
      return true;
    case O_ADD:
      if (isStringOperand(left, right)) {
        node->op = O_SCONCAT;
        node->type = stringType;
        return true;
      }
      if (!promoteBoth(node, line, column)) return false;
      node->type = left->type;
      return true;
    case O_ADA:
      if (isStringOperand(left, right)) {
        // s += x joins into s: only a String variable can take the joined text.
        if (!isClassType(left->type, stringClass())) {
          errorAt(line, column, "incomp.type.asg", typeToString(stringType), typeToString(left->type));
          node->type = &errorType;
          return false;
        }
        node->op = O_SCONCATA;
        node->type = stringType;
        return true;
      }
      if (!promoteBoth(node, line, column)) return false;
      node->type = leftTypeBefore;
      return true;
    default:
      errorAt(line, column, "internal.tree.error", "unfinished 7");
      node->type = &errorType;
      return false;
  }
}

}  // namespace

ExprNode* makeBinaryExpression(int32_t op, ExprNode* left, ExprNode* right, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(op, line, column);
  if (global.evaluating != 0) {
    if (isAssignmentOperator(op)) {
      node->left = left;
      node->right = right;
      node->type = &errorType;
      return node;
    }
    left = foldEvaluatedOperand(left);
    // The right operand of && and || is read only when the left one leaves the result open:
    // false && x and true || x are decided whatever x names.
    bool decided = (op == O_LAND || op == O_LOR) && left != nullptr && left->op == O_CONST &&
                   left->type == &booleanType && (left->integerValue != 0) == (op == O_LOR);
    if (decided) return hasErrorType(right) ? right : left;
    right = foldEvaluatedOperand(right);
  }
  node->left = left;
  node->right = right;
  if (op == O_ASG) noteAssignmentTarget(left);
  if (isAssignmentOperator(op)) left = checkCopyAssignment(left);
  if (hasErrorType(left)) return left;
  if (hasErrorType(right)) return right;
  if (op == O_ARG || op == O_SEQ) {
    node->type = &voidType;
    return node;
  }
  if (left == nullptr || right == nullptr) {
    errorAt(line, column, "internal.tree.error", "unfinished 7");
    node->type = &errorType;
    return node;
  }
  uint8_t mask = operandMask(op);
  if (checkOperandType(mask, left, right, line, column) == 0 || checkOperandType(mask, right, left, line, column) == 0) {
    node->type = &errorType;
    return node;
  }
  Type* leftTypeBefore = left->type;
  if ((mask & MASK_PROMOTE) != 0 && !promoteBoth(node, line, column)) return hasErrorType(node->left) ? node->left : node->right;
  if (!typeBinary(node, leftTypeBefore, line, column)) {
    if (hasErrorType(node->left)) return node->left;
    if (hasErrorType(node->right)) return node->right;
    return node;
  }
  if (hasErrorType(node)) return node;
  return markFrameValue(foldBinary(node), left->flags | right->flags);
}

ExprNode* promoteOperand(ExprNode* node, Type* target, int32_t line, int32_t column, bool exact) {
  if (node == nullptr || hasErrorType(node)) return node;
  if (target == nullptr || target->kind == TK_ERROR) return node;
  if (node->op == O_NULL) {
    if (!isReferenceKind(target->kind)) return failPromotion(node, target, line, column);
    node->type = target;
    return node;
  }
  if (isErrorClassType(node->type) || isErrorClassType(target)) return node;
  const Type* from = node->type;
  if (from == nullptr) return failPromotion(node, target, line, column);
  int32_t kind = from->kind;
  switch (target->kind) {
    case TK_CLASS:
    case TK_ARRAY:
      if (global.evaluating == 0 && !isCastable(from, target)) return failPromotion(node, target, line, column);
      return node;
    case TK_BOOLEAN:
      return kind == TK_BOOLEAN ? node : failPromotion(node, target, line, column);
    case TK_CHAR:
    case TK_BYTE:
    case TK_SHORT:
    case TK_INT:
    case TK_LONG:
    case TK_FLOAT:
    case TK_DOUBLE:
      if (isReferenceKind(kind)) return global.evaluating != 0 ? node : failPromotion(node, target, line, column);
      if (!isNumericKind(kind)) return failPromotion(node, target, line, column);
      if (target->kind <= TK_INT) {
        // Small types always become int, whatever small or int target is asked; wider types are
        // never narrowed.
        if (kind > TK_SHORT || (exact && kind == target->kind)) return node;
        return makeCast(&intType, node, node->line, node->column);
      }
      if (target->kind <= kind) return node;
      return makeCast(target, node, node->line, node->column);
    default:
      if (kind != target->kind) {
        errorAt(line, column, "internal.tree.error", "unfinished 24");
        node->type = &errorType;
      }
      return node;
  }
}

// In order: the same type; null to a reference; a widening, or a constant that fits a narrower
// char, byte or short (primitive targets get the conversion); anything else is refused.
Type* convertForAssignment(Type* target, ExprNode** slot, int32_t line, int32_t column) {
  ExprNode* node = *slot;
  if (node == nullptr || target == nullptr || hasErrorType(node) || target->kind == TK_ERROR) return &errorType;
  if (isErrorClassType(node->type) || isErrorClassType(target)) return target;
  if (sameType(target, node->type)) return target;
  if (isReferenceKind(target->kind) && node->op == O_NULL) return target;
  if (isWidening(node->type, target) || fitsNarrowConstant(node, target)) {
    if (!isReferenceKind(target->kind)) *slot = makeCast(target, node, line, column);
    return target;
  }
  errorAt(line, column, "incomp.type.asg", expressionTypeToString(node), typeToString(target));
  return &errorType;
}
