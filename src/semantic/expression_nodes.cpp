// Expression nodes: the operator names the debug dumps print, the node allocator, and the
// operand masks and constant predicates. Placeholder: masks and predicates answer no.
#include "semantic/expression_nodes.h"

#include "support/arena.h"

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

uint8_t operandMask(int32_t) {
  return 0;
}
int32_t checkOperandType(uint8_t, ExprNode*, ExprNode*, int32_t, int32_t) {
  return 0;
}
bool isStringOperand(const ExprNode*, const ExprNode*) {
  return false;
}
bool isIntConstantValue(const ExprNode*, int32_t) {
  return false;
}
bool isZeroConstant(const ExprNode*) {
  return false;
}
bool isInfiniteConstant(const ExprNode*) {
  return false;
}
bool fitsNarrowConstant(const ExprNode*, const Type*) {
  return false;
}
bool isAssignableValue(const Type*, const ExprNode*) {
  return false;
}
void normalizeIntConstant(ExprNode*) {}
