// Attributed expression nodes and their operator codes. The parser builds every expression
// bottom-up through the typed node constructors, so a tree is typed and folded as it is made.
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct Member;
struct StringValue;
struct Type;

enum ExprOp : int32_t {
  O_ERROR = 0,
  O_CONST = 1,
  O_LCONST = 2,
  O_DCONST = 3,
  O_STRING = 4,
  O_ID = 5,
  O_ARG = 6,
  O_QUES = 7,
  O_SEQ = 8,
  O_INIT = 9,
  O_AINIT = 10,
  O_INSTANCEOF = 11,
  O_DOT = 12,
  O_THIS = 13,
  O_NULL = 14,
  O_SUPER = 15,
  O_CALL = 16,
  O_NEW = 17,
  O_NOT = 18,
  O_INA = 19,
  O_DEA = 20,
  O_NEG = 21,
  O_COMP = 22,
  O_UPLUS = 23,
  O_INB = 24,
  O_DEB = 25,
  O_CAST = 26,
  O_ASG = 27,
  O_EQ = 28,
  O_NE = 29,
  O_LT = 30,
  O_LE = 31,
  O_GT = 32,
  O_GE = 33,
  O_LSH = 34,
  O_LSA = 35,
  O_RSH = 36,
  O_RSA = 37,
  O_RSSH = 38,
  O_RSSA = 39,
  O_DIV = 40,
  O_DVA = 41,
  O_REM = 42,
  O_RMA = 43,
  O_AND = 44,
  O_LAND = 45,
  O_ANA = 46,
  O_SUB = 47,
  O_SBA = 48,
  O_OR = 49,
  O_ORA = 50,
  O_LOR = 51,
  O_ADD = 52,
  O_ADA = 53,
  O_MUL = 54,
  O_MUA = 55,
  O_XOR = 56,
  O_XRA = 57,
  O_SUBSCRIPT = 58,
  O_SCONCAT = 59,
  O_CLASSREF = 60,
  O_ALENGTH = 61,
  O_SCONCATA = 62,
  O_OBJECT = 63,
  O_CLASS = 64,
};

constexpr int32_t EXPR_OP_COUNT = 65;

struct ExprNode {
  int32_t op;
  int32_t line;
  int32_t column;
  int32_t parenthesised;
  int32_t flags;
  Type* type;  // the error type marks a node that already produced a diagnostic
  ExprNode* left;   // first operand
  ExprNode* right;  // second operand
  ExprNode* third;  // the else-value of O_QUES
  ExprNode* list;   // arguments of O_CALL, dimensions of O_NEW
  ExprNode* savedQualifier;
  int64_t integerValue;  // O_CONST, at its type's width
  double doubleValue;    // O_DCONST
  StringValue* string;   // O_STRING
  Identifier* name;      // O_ID, O_DOT, O_CALL
  Member* member;        // the variable, field, method or constructor bound
  Type* operandType;     // O_INSTANCEOF, O_NEW
  ClassDef* classDef;    // O_CLASSREF
  int32_t literalKind;   // a literal's token kind; a comparison's NaN flag in bit 0
};

const char* exprOpName(int32_t op);
