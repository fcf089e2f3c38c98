// Attributed expression nodes, their operator codes, the operand-type masks of the binary
// operators and the predicates on constant nodes that every constructor, the statement builder
// and the code generator share. The parser builds every expression bottom-up through the typed
// node constructors, so a tree is typed and folded as it is made.
#pragma once

#include <cstdint>

struct ClassDef;
struct ExprNode;
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

// A bit of ExprNode::flags: the node is an outer instance given explicitly (o.new C(), o.super()),
// whose value is checked for null as soon as it is made, before any argument.
constexpr int32_t EXPR_EXPLICIT_OUTER = 0x1;
// A bit of ExprNode::flags: the target of a constructor's store of the copy of a local that its
// class uses, the one assignment such a copy takes.
constexpr int32_t EXPR_CAPTURE_STORE = 0x2;

// A bit of an ordered comparison's literalKind: NaN compares as greater than any number, which
// makes < and <= false (fcmpg/dcmpg rather than fcmpl/dcmpl).
constexpr int32_t COMPARE_NAN_GREATER = 0x1;

// One pair of brackets of an array creation: its size expression, or null for [].
struct ArrayDimension {
  ArrayDimension* next;
  ExprNode* size;
};

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
  ExprNode* list;   // arguments of O_CALL and O_NEW
  ArrayDimension* dimensions;  // O_NEW of an array
  ExprNode* savedQualifier;
  int64_t integerValue;  // O_CONST, at its type's width
  double doubleValue;    // O_DCONST
  StringValue* string;   // O_STRING
  Identifier* name;      // O_ID, O_DOT, O_CALL
  Member* member;        // the variable, field, method or constructor bound
  Type* operandType;     // O_INSTANCEOF, O_NEW
  ClassDef* classDef;    // O_CLASSREF
  int32_t literalKind;   // a literal's token kind; a comparison's COMPARE_NAN_GREATER
  int32_t level;         // O_ID naming an outer local: the class level it was found at
  // An O_STRING that folding joined: the units its own value has room for, so that a long chain
  // of constants joined by + grows it in place; 0 for a value that may be shared.
  int32_t stringCapacity;
};

// The column a diagnostic names for the node: the low 30 bits of its column, sign-extended.
inline int32_t exprColumn(const ExprNode* node) {
  return static_cast<int32_t>(static_cast<uint32_t>(node->column) << 2) >> 2;
}

const char* exprOpName(int32_t op);

// A zeroed node of the current arena.
ExprNode* newExprNode(int32_t op, int32_t line, int32_t column);

// Operand-type mask bits, one mask per binary operator from O_ASG to O_XRA.
constexpr uint8_t MASK_CLASS = 0x01;
constexpr uint8_t MASK_ARRAY = 0x02;
constexpr uint8_t MASK_FLOATING = 0x04;
constexpr uint8_t MASK_BOOLEAN = 0x08;
constexpr uint8_t MASK_INTEGRAL = 0x10;
constexpr uint8_t MASK_ASSIGNMENT = 0x20;
constexpr uint8_t MASK_STRING = 0x40;
constexpr uint8_t MASK_PROMOTE = 0x80;

// The masks of the other constructors' operands.
constexpr uint8_t MASK_CONDITION = MASK_BOOLEAN;
constexpr uint8_t MASK_CONDITIONAL_VALUE = 0x1f;
constexpr uint8_t MASK_INCREMENT = 0x34;
constexpr uint8_t MASK_SIGN = 0x14;
constexpr uint8_t MASK_COMPLEMENT = MASK_INTEGRAL;

// The mask of a binary operator from O_ASG to O_XRA; 0 for any other code.
uint8_t operandMask(int32_t op);
// The assignment and the compound assignments.
bool isAssignmentOperator(int32_t op);
// The operators whose left operand every walk of a finished tree reaches by a loop, not by
// recursion (definite assignment, code generation, the depth check): the arithmetic, bitwise,
// shift and comparison operators, string concatenation, && and ||, the links of a list (a, b, c
// leans left) and the selectors (a.b().c[0].length, a static field of an expression). A chain
// through these left operands is no nesting, however long generated code makes it; every other
// operand is a level.
bool isLeftChainOperator(int32_t op);
// The compound assignments (string += too) and the four increments and decrements: the operators
// that read their target before they write it.
bool isCompoundOrIncrement(int32_t op);
inline bool isComparison(int32_t op) {
  return op >= O_EQ && op <= O_GE;
}
// 1 when the operand may stand beside `other` (null: none) under the mask, else 0 after a
// diagnostic at (line, column).
int32_t checkOperandType(uint8_t mask, ExprNode* operand, ExprNode* other, int32_t line, int32_t column);
bool isStringOperand(const ExprNode* a, const ExprNode* b);
// A node that already produced its diagnostic (false for null).
bool hasErrorType(const ExprNode* node);
// Gives the node the error type, so that nothing reports on it again; the node.
ExprNode* markError(ExprNode* node);
// The value of a constant expression: an O_CONST, O_DCONST or O_STRING.
bool isConstantValue(const ExprNode* node);
bool isIntConstantValue(const ExprNode* node, int32_t value);
bool isZeroConstant(const ExprNode* node);
// An O_CONST whose integerValue is 0; its type is not asked.
inline bool isZeroIntConstant(const ExprNode* e) {
  return e != nullptr && e->op == O_CONST && e->integerValue == 0;
}
bool isInfiniteConstant(const ExprNode* node);
// An integral constant of type char, byte, short or int whose value the narrower char, byte or
// short target holds: it may be assigned without a cast.
bool fitsNarrowConstant(const ExprNode* node, const Type* type);
bool isAssignableValue(const Type* type, const ExprNode* node);
void normalizeIntConstant(ExprNode* node);

// While the debugger evaluates an expression (global.evaluating), the constructors pass their
// operands through the evaluator's folding of memory references, which rewrites variables,
// fields, elements and array lengths into the constants read from the stopped frame. The
// evaluator installs that folding; outside an evaluation, or with none installed, the node comes
// back as it is.
using MemoryReferenceFolder = ExprNode* (*)(ExprNode* node);
void setMemoryReferenceFolder(MemoryReferenceFolder folder);
ExprNode* foldEvaluatedOperand(ExprNode* node);

// ExprNode::flags of a constant that an evaluation read from the frame, or folded from one: a value
// of the program, never a constant expression of the language (an int variable beside a char in
// ?: promotes the char, as an int constant that fits would not).
constexpr int32_t EXPR_FRAME_VALUE = 0x4;
inline bool isFrameValue(const ExprNode* node) {
  return node != nullptr && (node->flags & EXPR_FRAME_VALUE) != 0;
}
// The literal null, whose type has no members; not a null that the debugger read from the frame,
// which has the type it was declared with.
inline bool isNullLiteral(const ExprNode* node) {
  return node != nullptr && node->op == O_NULL && !isFrameValue(node);
}
// A folded result keeps the mark of any operand it came from.
inline ExprNode* markFrameValue(ExprNode* result, int32_t operandFlags) {
  if (result != nullptr) result->flags |= operandFlags & EXPR_FRAME_VALUE;
  return result;
}
