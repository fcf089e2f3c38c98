// Expression nodes: the operator names the debug dumps print, the node allocator, the operand
// masks with the check that every operator constructor makes, and the predicates on constants.
#include "semantic/expression_nodes.h"

#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/java_arithmetic.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/double_bits.h"
#include "support/global.h"

namespace {

const char* const opNames[EXPR_OP_COUNT] = {
    "O_ERROR",  "O_CONST", "O_LCONST", "O_DCONST", "O_STRING", "O_ID",     "O_ARG",     "O_QUES",   "O_SEQ",
    "O_INIT",   "O_AINIT", "O_INSTANCEOF", "O_DOT", "O_THIS",  "O_NULL",   "O_SUPER",   "O_CALL",   "O_NEW",
    "O_NOT",    "O_INA",   "O_DEA",    "O_NEG",    "O_COMP",   "O_UPLUS",  "O_INB",     "O_DEB",    "O_CAST",
    "O_ASG",    "O_EQ",    "O_NE",     "O_LT",     "O_LE",     "O_GT",     "O_GE",      "O_LSH",    "O_LSA",
    "O_RSH",    "O_RSA",   "O_RSSH",   "O_RSSA",   "O_DIV",    "O_DVA",    "O_REM",     "O_RMA",    "O_AND",
    "O_LAND",   "O_ANA",   "O_SUB",    "O_SBA",    "O_OR",     "O_ORA",    "O_LOR",     "O_ADD",    "O_ADA",
    "O_MUL",    "O_MUA",   "O_XOR",    "O_XRA",    "O_SUBSCRIPT", "O_SCONCAT", "O_CLASSREF", "O_ALENGTH",
    "O_SCONCATA", "O_OBJECT", "O_CLASS",
};

// Indexed by operator code minus O_ASG.
const uint8_t operandMasks[O_XRA - O_ASG + 1] = {
    0x3f,                    // O_ASG
    0x9f, 0x9f,              // O_EQ, O_NE
    0x94, 0x94, 0x94, 0x94,  // O_LT, O_LE, O_GT, O_GE
    0x10, 0x30,              // O_LSH, O_LSA
    0x10, 0x30,              // O_RSH, O_RSA
    0x10, 0x30,              // O_RSSH, O_RSSA
    0x94, 0xb4,              // O_DIV, O_DVA
    0x94, 0xb4,              // O_REM, O_RMA
    0x98,                    // O_AND
    0x08,                    // O_LAND
    0x38,                    // O_ANA
    0x94, 0xb4,              // O_SUB, O_SBA
    0x98, 0x38,              // O_OR, O_ORA
    0x08,                    // O_LOR
    0x54, 0x74,              // O_ADD, O_ADA
    0x94, 0xb4,              // O_MUL, O_MUA
    0x98, 0x38,              // O_XOR, O_XRA
};

// Installed by the evaluator; see foldEvaluatedOperand.
MemoryReferenceFolder memoryReferenceFolder;

}  // namespace

const char* exprOpName(int32_t op) {
  return op >= 0 && op < EXPR_OP_COUNT ? opNames[op] : "O_unknown";
}

ExprNode* newExprNode(int32_t op, int32_t line, int32_t column) {
  auto* node = currentNew<ExprNode>();
  node->op = op;
  node->line = line;
  node->column = column;
  return node;
}

uint8_t operandMask(int32_t op) {
  return op >= O_ASG && op <= O_XRA ? operandMasks[op - O_ASG] : 0;
}

bool isAssignmentOperator(int32_t op) {
  return (operandMask(op) & MASK_ASSIGNMENT) != 0;
}

bool isLeftChainOperator(int32_t op) {
  if (op >= O_EQ && op <= O_GE) return true;  // the comparisons
  switch (op) {
    case O_ARG:
    case O_SEQ:
    case O_DOT:
    case O_CALL:
    case O_SUBSCRIPT:
    case O_ALENGTH:
    case O_ID:
    case O_LAND:
    case O_LOR:
    case O_SCONCAT:
    case O_DIV:
    case O_REM:
    case O_AND:
    case O_SUB:
    case O_OR:
    case O_ADD:
    case O_MUL:
    case O_XOR:
    case O_LSH:
    case O_RSH:
    case O_RSSH:
      return true;
    default:
      return false;
  }
}

bool isCompoundOrIncrement(int32_t op) {
  switch (op) {
    case O_INA:
    case O_DEA:
    case O_INB:
    case O_DEB:
    case O_LSA:
    case O_RSA:
    case O_RSSA:
    case O_DVA:
    case O_RMA:
    case O_ANA:
    case O_SBA:
    case O_ORA:
    case O_ADA:
    case O_MUA:
    case O_XRA:
    case O_SCONCATA:
      return true;
    default:
      return false;
  }
}

// In order: a string operation admits both operands; a void operand on either side, and an
// operand not yet typed, are refused; then the operand's kind must have its bit in the mask.
int32_t checkOperandType(uint8_t mask, ExprNode* operand, ExprNode* other, int32_t line, int32_t column) {
  if ((mask & MASK_STRING) != 0 && isStringOperand(operand, other)) return 1;
  const Type* type = operand->type;
  if (type != nullptr && type->kind == TK_VOID) {
    errorAt(line, column, "disallowed.type", typeToString(type));
    return 0;
  }
  if (other != nullptr && other->type != nullptr && other->type->kind == TK_VOID) {
    errorAt(line, column, "disallowed.type", typeToString(other->type));
    return 0;
  }
  if (type == nullptr) {
    errorAt(line, column, "disallowed.type", typeToString(type));
    return 0;
  }
  uint8_t needed = 0;
  switch (type->kind) {
    case TK_CLASS: needed = MASK_CLASS; break;
    case TK_ARRAY: needed = MASK_ARRAY; break;
    case TK_BOOLEAN: needed = MASK_BOOLEAN; break;
    case TK_FLOAT:
    case TK_DOUBLE: needed = MASK_FLOATING; break;
    case TK_ERROR:
    case TK_CHAR:
    case TK_BYTE:
    case TK_SHORT:
    case TK_INT:
    case TK_LONG: needed = MASK_INTEGRAL; break;
    case TK_CLASS_NAME:
      errorAt(line, column, "improper.class.ref");
      return 0;
    default: break;
  }
  if ((mask & needed) != 0) return 1;
  errorAt(line, column, "disallowed.type", expressionTypeToString(operand));
  return 0;
}

namespace {

// String is final: a class type is String's only when it names String itself.
bool isStringType(const Type* type, const ClassDef* string) {
  return type != nullptr && type->kind == TK_CLASS && type->classRef != nullptr && type->classRef->resolved == string;
}

}  // namespace

bool isStringOperand(const ExprNode* a, const ExprNode* b) {
  if (a == nullptr || b == nullptr) return false;
  const ClassDef* string = stringClass();
  if (string == nullptr) return false;
  const Type* x = a->type;
  const Type* y = b->type;
  if ((x != nullptr && x->kind == TK_VOID) || (y != nullptr && y->kind == TK_VOID)) return false;
  return isStringType(x, string) || isStringType(y, string);
}

bool hasErrorType(const ExprNode* node) {
  return node != nullptr && node->type != nullptr && node->type->kind == TK_ERROR;
}

bool isIntConstantValue(const ExprNode* node, int32_t value) {
  if (node == nullptr || node->op != O_CONST) return false;
  if (node->type != nullptr && (node->type->kind == TK_FLOAT || node->type->kind == TK_DOUBLE)) return false;
  return node->integerValue == static_cast<int64_t>(value);
}

bool isConstantValue(const ExprNode* node) {
  return node != nullptr && (node->op == O_CONST || node->op == O_DCONST || node->op == O_STRING);
}

bool isZeroConstant(const ExprNode* node) {
  return isIntConstantValue(node, 0);
}

bool isInfiniteConstant(const ExprNode* node) {
  return node != nullptr && doubleIsInfinite(node->doubleValue);
}

bool fitsNarrowConstant(const ExprNode* node, const Type* type) {
  if (node == nullptr || node->op != O_CONST || node->type == nullptr || type == nullptr) return false;
  int32_t from = node->type->kind;
  if (from != TK_INT && from != TK_CHAR && from != TK_BYTE && from != TK_SHORT) return false;
  int32_t to = type->kind;
  if (to != TK_CHAR && to != TK_BYTE && to != TK_SHORT) return false;
  return normalizeIntegral(to, node->integerValue) == node->integerValue;
}

bool isAssignableValue(const Type* type, const ExprNode* node) {
  return sameType(type, node->type) || isWidening(node->type, type) || fitsNarrowConstant(node, type);
}

void normalizeIntConstant(ExprNode* node) {
  if (node == nullptr || node->op != O_CONST || node->type == nullptr) return;
  int32_t kind = node->type->kind;
  if (kind >= TK_CHAR && kind <= TK_INT) node->integerValue = normalizeIntegral(kind, node->integerValue);
}

void setMemoryReferenceFolder(MemoryReferenceFolder folder) {
  memoryReferenceFolder = folder;
}

ExprNode* foldEvaluatedOperand(ExprNode* node) {
  if (global.evaluating == 0 || memoryReferenceFolder == nullptr || node == nullptr) return node;
  return memoryReferenceFolder(node);
}
