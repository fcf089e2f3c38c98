// Unary operators, casts, conditionals, subscripts and initializers. Constant operands fold as
// Java computes them: negation and complement wrap in 64 bits and are cut back to their type,
// casts of floating values to integers decide NaN and the ranges first, and a long or double
// becomes a float in one rounding.
#include "semantic/unary_expressions.h"

#include <vector>

#include "semantic/binary_operators.h"
#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/java_arithmetic.h"
#include "semantic/tree_walks.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/diagnostics.h"
#include "support/double_bits.h"
#include "support/global.h"

namespace {

bool isSmallKind(int32_t kind) {
  return kind == TK_BYTE || kind == TK_CHAR || kind == TK_SHORT;
}

// An int constant expression of the language: no value an evaluation read.
bool isIntConstant(const ExprNode* node) {
  return node->op == O_CONST && node->type->kind == TK_INT && !isFrameValue(node);
}

// A class name where a value must stand, or an operand of another kind than the check allows.
ExprNode* refuseOperand(ExprNode* node, const ExprNode* operand, int32_t line, int32_t column) {
  const Type* type = operand->type;
  if (type != nullptr && type->kind == TK_CLASS_NAME)
    errorAt(line, column, "improper.class.ref");
  else
    errorAt(line, column, "disallowed.type", expressionTypeToString(operand));
  return markError(node);
}

// Brings the two values of ?: to one type, in the order of the language's rules: short beside
// byte, an int constant beside a smaller type it fits, null beside a reference, a reference
// beside the one it widens to, and numeric promotion for the rest. False after a failure, with
// the failing operand in *failed.
bool balanceConditional(ExprNode** a, ExprNode** b, int32_t line, int32_t column, ExprNode** failed) {
  int32_t ka = (*a)->type->kind;
  int32_t kb = (*b)->type->kind;
  ExprNode** changed = nullptr;
  if (ka == TK_SHORT && kb == TK_BYTE) {
    *b = makeCast(&shortType, *b, (*b)->line, (*b)->column);
    changed = b;
  } else if (ka == TK_BYTE && kb == TK_SHORT) {
    *a = makeCast(&shortType, *a, (*a)->line, (*a)->column);
    changed = a;
  } else if (isIntConstant(*a) && isSmallKind(kb) && fitsNarrowConstant(*a, (*b)->type)) {
    *a = makeCast((*b)->type, *a, (*a)->line, (*a)->column);
    changed = a;
  } else if (isIntConstant(*b) && isSmallKind(ka) && fitsNarrowConstant(*b, (*a)->type)) {
    *b = makeCast((*a)->type, *b, (*b)->line, (*b)->column);
    changed = b;
  }
  if (changed != nullptr && hasErrorType(*changed)) {
    *failed = *changed;
    return false;
  }
  if (sameType((*a)->type, (*b)->type)) return true;
  // The null literal; a null read from the frame has the type it was declared with.
  bool aNull = isNullLiteral(*a);
  bool bNull = isNullLiteral(*b);
  bool aReference = isReferenceKind((*a)->type->kind);
  bool bReference = isReferenceKind((*b)->type->kind);
  // The operand cast to the other's type, if one is.
  ExprNode** cast = nullptr;
  ExprNode* other = nullptr;
  if (aNull && bReference) {
    cast = a;
  } else if (aReference && bNull) {
    cast = b;
  } else if (aReference && bReference) {
    if (isErrorClassType((*a)->type) || isErrorClassType((*b)->type)) return true;
    if (isWidening((*a)->type, (*b)->type)) {
      cast = a;
    } else if (isWidening((*b)->type, (*a)->type)) {
      cast = b;
    } else {
      // One value must be assignable to the other: a cast between them would only be checked at
      // run time, and the conditional has no type to give both.
      errorAt(line, column, "incomp.type", typeToString((*a)->type), typeToString((*b)->type));
      *failed = markError(*a);
      return false;
    }
  }
  if (cast != nullptr) {
    other = cast == a ? *b : *a;
    *cast = makeCast(other->type, *cast, (*cast)->line, (*cast)->column);
    *failed = *cast;
    return !hasErrorType(*cast);
  }
  if (!bNull) {
    *a = promoteOperand(*a, (*b)->type, line, column, true);
    if (hasErrorType(*a)) {
      *failed = *a;
      return false;
    }
  }
  *b = promoteOperand(*b, (*a)->type, line, column, true);
  if (hasErrorType(*b)) {
    *failed = *b;
    return false;
  }
  if (bNull) {
    *a = promoteOperand(*a, (*b)->type, line, column, true);
    if (hasErrorType(*a)) {
      *failed = *a;
      return false;
    }
  }
  return true;
}

// A numeric or boolean constant converted to a primitive target and folded, as Java converts:
// integers are cut to the target's width, floating values narrowed with NaN and the ranges decided
// first, and a long or double made a float in one rounding. The node is rewritten and returned.
ExprNode* castConstant(Type* target, ExprNode* constant) {
  int32_t kind = target->kind;
  bool fromFloat = constant->type != nullptr && constant->type->kind == TK_FLOAT;
  if (constant->op == O_CONST) {
    if (kind == TK_FLOAT || kind == TK_DOUBLE) {
      constant->op = O_DCONST;
      constant->doubleValue =
          kind == TK_FLOAT ? longToFloat(constant->integerValue) : longToDouble(constant->integerValue);
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

}  // namespace

ExprNode* makeUnaryExpression(int32_t op, ExprNode* operand, int32_t line, int32_t column) {
  operand = foldEvaluatedOperand(operand);
  ExprNode* node = newExprNode(op, line, column);
  node->left = operand;
  if (op == O_AINIT && operand == nullptr) return node;
  if (hasErrorType(operand)) return operand;
  if (operand == nullptr) {
    errorAt(line, column, "internal.tree.error", "unfinished 13");
    return markError(node);
  }
  switch (op) {
    case O_AINIT:
      // Typed by the variable or the creation it initializes (checkArrayInitializer).
      return node;
    case O_NOT:
      if (checkOperandType(MASK_BOOLEAN, operand, nullptr, line, column) == 0) return markError(node);
      if (operand->op == O_CONST) {
        operand->integerValue = operand->integerValue == 0 ? 1 : 0;
        return operand;
      }
      node->type = &booleanType;
      return node;
    case O_INA:
    case O_DEA:
    case O_INB:
    case O_DEB:
      if (hasErrorType(checkCopyAssignment(operand))) return operand;
      if (checkOperandType(MASK_INCREMENT, operand, nullptr, line, column) == 0) return markError(node);
      // The variable is read as an int and the result narrowed back to its type: the code
      // generator finds the conversion in the cast around the variable.
      node->type = operand->type;
      node->left = promoteOperand(operand, &intType, line, column, false);
      return hasErrorType(node->left) ? node->left : node;
    case O_NEG:
    case O_COMP:
    case O_UPLUS: {
      uint8_t mask = op == O_COMP ? MASK_COMPLEMENT : MASK_SIGN;
      if (checkOperandType(mask, operand, nullptr, line, column) == 0) return markError(node);
      operand = promoteOperand(operand, &intType, line, column, false);
      if (hasErrorType(operand)) return operand;
      node->left = operand;
      node->type = operand->type;
      if (operand->op == O_CONST) {
        uint64_t value = static_cast<uint64_t>(operand->integerValue);
        if (op == O_NEG) value = 0 - value;
        if (op == O_COMP) value = ~value;
        operand->integerValue = static_cast<int64_t>(value);
        normalizeIntConstant(operand);
        return operand;
      }
      if (operand->op == O_DCONST) {
        if (op == O_NEG && !doubleIsNaN(operand->doubleValue)) operand->doubleValue = -operand->doubleValue;
        return operand;
      }
      return node;
    }
    default:
      errorAt(line, column, "internal.tree.error", "unfinished 13");
      return markError(node);
  }
}

// In order: an operand that already failed passes up; a target that does not resolve fails
// silently (its resolution reported it); an operand not castable is refused; a primitive of the
// target's own kind needs no cast; constants fold; anything else gets a cast node.
ExprNode* makeCast(Type* target, ExprNode* operand, int32_t line, int32_t column) {
  operand = foldEvaluatedOperand(operand);
  ExprNode* node = newExprNode(O_CAST, line, column);
  node->left = operand;
  if (hasErrorType(operand)) return operand;
  if (operand == nullptr || target == nullptr || target->kind == TK_ERROR) return markError(node);
  if (!isResolvedType(target)) return markError(node);
  const Type* from = operand->type;
  if (isErrorClassType(target) || isErrorClassType(from)) {
    node->type = target;
    return node;
  }
  if (from != nullptr && from->kind == TK_CLASS_NAME) return refuseOperand(node, operand, line, column);
  if (!isCastable(from, target)) {
    errorAt(line, column, "incomp.type", expressionTypeToString(operand), typeToString(target));
    return markError(node);
  }
  bool primitiveTarget = target->kind >= TK_BOOLEAN && target->kind <= TK_DOUBLE;
  if (primitiveTarget && target->kind == from->kind) return operand;
  if (primitiveTarget && (operand->op == O_CONST || operand->op == O_DCONST)) return castConstant(target, operand);
  // A reference read from the frame keeps its value through a cast that needs no check: null to
  // any reference type, an object to a type its declared type widens to. Any other cast would need
  // the machine's classes and stays a cast, which no evaluation folds.
  if (global.evaluating != 0 && !primitiveTarget &&
      (operand->op == O_NULL || (operand->op == O_OBJECT && isSameOrWidening(from, target)))) {
    operand->type = target;
    return operand;
  }
  node->type = target;
  return node;
}

ExprNode* makeConditional(ExprNode* condition, ExprNode* thenValue, ExprNode* elseValue, int32_t line,
                          int32_t column) {
  condition = foldEvaluatedOperand(condition);
  // While evaluating, the branch that a constant condition chooses is read from the frame. The
  // other one is never run, but its type takes part in the conditional's: a name, `this` or a
  // field, which has no type before it is read, is read for it (a read changes nothing); anything
  // else (an element, an operation) has its type already and stays unread.
  if (global.evaluating != 0 && condition != nullptr && condition->op == O_CONST && thenValue != nullptr &&
      elseValue != nullptr) {
    bool thenChosen = condition->integerValue != 0;
    ExprNode*& chosen = thenChosen ? thenValue : elseValue;
    chosen = foldEvaluatedOperand(chosen);
    ExprNode*& other = thenChosen ? elseValue : thenValue;
    if (other->type == nullptr && !hasErrorType(condition) && !hasErrorType(chosen)) other = foldEvaluatedOperand(other);
  }
  ExprNode* node = newExprNode(O_QUES, line, column);
  node->left = condition;
  node->right = thenValue;
  node->third = elseValue;
  if (hasErrorType(condition)) return condition;
  if (hasErrorType(thenValue)) return thenValue;
  if (hasErrorType(elseValue)) return elseValue;
  if (condition == nullptr || thenValue == nullptr || elseValue == nullptr) {
    errorAt(line, column, "internal.tree.error", "unfinished 13");
    return markError(node);
  }
  if (checkOperandType(MASK_CONDITION, condition, nullptr, line, column) == 0 ||
      checkOperandType(MASK_CONDITIONAL_VALUE, thenValue, nullptr, line, column) == 0 ||
      checkOperandType(MASK_CONDITIONAL_VALUE, elseValue, nullptr, line, column) == 0)
    return markError(node);
  if (thenValue->type != elseValue->type) {
    ExprNode* failed = nullptr;
    if (!balanceConditional(&thenValue, &elseValue, line, column, &failed)) return failed;
  }
  // c ? a : b is a constant only when all three are; true ? 1 : i stays for run time. The
  // debugger's operands are values, which it folds; the result is no constant expression when any
  // of the three was read from the frame.
  if (condition->op == O_CONST &&
      (global.evaluating != 0 || (isConstantValue(thenValue) && isConstantValue(elseValue)))) {
    int32_t operandFlags = condition->flags | thenValue->flags | elseValue->flags;
    return markFrameValue(foldEvaluatedOperand(condition->integerValue != 0 ? thenValue : elseValue), operandFlags);
  }
  node->right = thenValue;
  node->third = elseValue;
  node->type = thenValue->type;
  return node;
}

ExprNode* makeSubscript(ExprNode* array, ExprNode* index, int32_t line, int32_t column) {
  array = foldEvaluatedOperand(array);
  index = foldEvaluatedOperand(index);
  ExprNode* node = newExprNode(O_SUBSCRIPT, line, column);
  node->left = array;
  node->right = index;
  if (hasErrorType(array)) return array;
  if (hasErrorType(index)) return index;
  if (array == nullptr || index == nullptr) {
    errorAt(line, column, "internal.tree.error", "unfinished 13");
    return markError(node);
  }
  if (array->type == nullptr || array->type->kind != TK_ARRAY) return refuseOperand(node, array, line, column);
  index = promoteOperand(index, &intType, line, column, false);
  if (hasErrorType(index)) return index;
  node->right = index;
  if (index->type->kind != TK_INT) return refuseOperand(node, index, line, column);
  node->type = array->type->element;
  return node;
}

// In order: a static variable's initializer is checked for uses of instance state; an array
// initializer needs an array variable and checks its elements; the value is converted to the
// variable's type.
ExprNode* makeVariableInit(Member* variable, ExprNode* initializer, int32_t line, int32_t column) {
  bool isStatic = (variable->modifiers & M_STATIC) != 0;
  if (variable->kind == MK_VARIABLE && isStatic) walkExpression(initializer, staticContextCheck, nullptr, nullptr, nullptr);
  ExprNode* node = newExprNode(O_INIT, line, column);
  node->member = variable;
  node->right = initializer;
  if (initializer == nullptr) return markError(node);
  Type* type = variable->type;
  // A bare {...} is still untyped; new T[] {...} has its array type and converts like any value.
  if (initializer->op == O_AINIT && initializer->type == nullptr) {
    if (type == nullptr || type->kind == TK_ERROR) return markError(node);
    if (type->kind != TK_ARRAY) {
      errorAt(line, column, "not.array.type");
      return markError(node);
    }
    checkArrayInitializer(type->element, initializer);
    initializer->type = type;
  }
  if (hasErrorType(initializer)) return initializer;
  // Reported at the initializer, which may stand on a later line than the "=".
  node->type = convertForAssignment(type, &node->right, initializer->line, initializer->column);
  return node;
}

// The element list is an O_ARG chain that leans left: each link's right operand is a later
// element and the innermost left operand the first. The links are gathered first so that the
// elements are checked, and their faults reported, in source order, with no recursion along the
// chain.
ExprNode* checkArrayInitializer(Type* elementType, ExprNode* initializer) {
  ExprNode* list = initializer->left;
  if (list == nullptr) return initializer;
  if (list->op != O_ARG) {
    initializer->left = checkInitializerElement(elementType, list);
    return initializer;
  }
  std::vector<ExprNode*> links;
  for (ExprNode* link = list; link != nullptr && link->op == O_ARG; link = link->left) links.push_back(link);
  ExprNode* innermost = links.back();
  innermost->left = checkInitializerElement(elementType, innermost->left);
  for (auto link = links.rbegin(); link != links.rend(); ++link)
    (*link)->right = checkInitializerElement(elementType, (*link)->right);
  return initializer;
}

ExprNode* checkInitializerElement(Type* elementType, ExprNode* element) {
  if (element == nullptr || hasErrorType(element)) return element;
  if (element->op != O_AINIT || element->type != nullptr) {
    if (convertForAssignment(elementType, &element, element->line, element->column)->kind == TK_ERROR)
      element->type = &errorType;
    return element;
  }
  if (elementType == nullptr || elementType->kind == TK_ERROR) return markError(element);
  if (elementType->kind != TK_ARRAY) {
    errorAt(element->line, element->column, "not.array.type");
    return markError(element);
  }
  checkArrayInitializer(elementType->element, element);
  element->type = elementType;
  return element;
}
