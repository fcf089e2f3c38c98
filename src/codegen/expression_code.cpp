// Expression code. Every instruction moves the counted stack depth by what it takes and leaves,
// so the maximum seen is the code's own; each node ends with the depth it started at plus its
// value's slots. Assignments keep Java's narrowing: whatever arithmetic a compound assignment or
// increment does, a byte, short or char target gets its value cut back to its type.
#include "codegen/expression_code.h"

#include <cstring>

#include "codegen/access_method_generation.h"
#include "codegen/call_code.h"
#include "codegen/class_gen_state.h"
#include "codegen/constant_pool.h"
#include "codegen/method_code.h"
#include "codegen/opcodes.h"
#include "codegen/statement_code.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/expression_nodes.h"
#include "semantic/statement_lists.h"
#include "semantic/tree_walks.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/frame_stack.h"
#include "support/global.h"

namespace {

bool isIntLike(int32_t kind) {
  return kind == TK_CHAR || kind == TK_BYTE || kind == TK_SHORT || kind == TK_INT || kind == TK_BOOLEAN;
}

bool isLocal(const Member* v) {
  return v != nullptr && (v->kind == MK_VARIABLE || v->kind == MK_PARAMETER) && v->slot >= 0;
}

void emitLocalInstruction(uint8_t shortBase, uint8_t longOpcode, int32_t slot) {
  if (slot < 4) {
    emitByte(static_cast<uint32_t>(shortBase + slot));
  } else if (slot > 255) {
    emitByte(OP_WIDE);
    emitByte(longOpcode);
    emitShort(static_cast<uint32_t>(slot));
  } else {
    emitByte(longOpcode);
    emitByte(static_cast<uint32_t>(slot));
  }
}

void openLocalEntry(Member* v) {
  if (global.localVariableTables && v->name != nullptr && v->localEntry == nullptr) addLocalVariable(v);
}

void genConstant(const ExprNode* e) {
  int32_t kind = kindOf(e->type);
  if (e->op == O_CONST) {
    if (kind == TK_LONG) {
      if (e->integerValue == 0 || e->integerValue == 1) {
        emitByte(e->integerValue == 0 ? OP_LCONST_0 : OP_LCONST_1);
      } else {
        emitByte(OP_LDC2_W);
        emitShort(addLong(e->integerValue));
      }
      adjustStackDepth(2);
      return;
    }
    genIntConstant(static_cast<int32_t>(e->integerValue));
    return;
  }
  double value = e->doubleValue;
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  if (kind == TK_FLOAT) {
    // A NaN or an infinity compares unequal to 1.0 and 2.0; -0.0 has bits of its own.
    if (bits == 0)
      emitByte(OP_FCONST_0);
    else if (value == 1.0)
      emitByte(OP_FCONST_1);
    else if (value == 2.0)
      emitByte(OP_FCONST_2);
    else
      emitLdc(addFloat(value));
    adjustStackDepth(1);
    return;
  }
  if (bits == 0) {
    emitByte(OP_DCONST_0);
  } else if (value == 1.0) {
    emitByte(OP_DCONST_1);
  } else {
    emitByte(OP_LDC2_W);
    emitShort(addDouble(value));
  }
  adjustStackDepth(2);
}



// Field access with the object (for an instance field) on the stack, reached through
// `qualifier` (null: this or an enclosing instance, or a static field); the reference names
// `through` in place of the declaring class when it is given.
void genFieldLoad(Member* field, const ExprNode* qualifier, ClassDef* through = nullptr) {
  bool isStatic = (field->modifiers & M_STATIC) != 0;
  int32_t size = slotSize(field->type);
  if (Member* getter = accessMethodFor(field, qualifier)) {
    emitByte(OP_INVOKESTATIC);
    emitShort(addMethodRef(getter));
  } else {
    emitByte(isStatic ? OP_GETSTATIC : OP_GETFIELD);
    emitShort(addFieldRef(field, through));
  }
  adjustStackDepth(size - (isStatic ? 0 : 1));
}

// The value (and for an instance field the object under it) on the stack.
void genFieldStore(Member* field, const ExprNode* qualifier, ClassDef* through = nullptr) {
  bool isStatic = (field->modifiers & M_STATIC) != 0;
  int32_t size = slotSize(field->type);
  Member* getter = accessMethodFor(field, qualifier);
  Member* setter = getter != nullptr ? getter->next : nullptr;
  if (setter != nullptr) {
    emitByte(OP_INVOKESTATIC);
    emitShort(addMethodRef(setter));
  } else {
    emitByte(isStatic ? OP_PUTSTATIC : OP_PUTFIELD);
    emitShort(addFieldRef(field, through));
  }
  adjustStackDepth(-size - (isStatic ? 0 : 1));
}

// A field folded to its constant value still has the qualifier it was selected through, which is
// evaluated for what it does (m().K calls m, t.k throws when t is null); a type name, this and an
// enclosing instance do nothing.
void genConstantQualifier(ExprNode* e) {
  ExprNode* q = e->left;
  Member* field = e->member;
  if (q == nullptr || q->op == O_CLASSREF || q->op == O_THIS || q->op == O_SUPER) return;
  if (field == nullptr || field->kind != MK_VARIABLE || isLocal(field)) return;
  if ((field->modifiers & M_STATIC) != 0) {
    genExpression(q, false);
    return;
  }
  genExpression(q, true);
  genNullCheck(q);
  genPop(1);
}

// The object of an instance field named by its simple name: the enclosing instance it was found
// in, else the object that has the field's class's members.
void genFieldObject(const ExprNode* e) {
  if (e->classDef != nullptr)
    genEnclosingInstance(e->classDef, e);
  else
    genThisOf(e->member->owner, e);
}

// What an assignable expression is: a local, a static field, an instance field (object below),
// or an array element (array and index below).
enum TargetKind { TARGET_LOCAL, TARGET_STATIC, TARGET_FIELD, TARGET_ELEMENT, TARGET_NONE };

TargetKind targetKind(const ExprNode* t) {
  if (t == nullptr || t->member == nullptr) {
    if (t != nullptr && t->op == O_SUBSCRIPT) return TARGET_ELEMENT;
    return TARGET_NONE;
  }
  switch (t->op) {
    case O_ID:
      if (isLocal(t->member)) return TARGET_LOCAL;
      return (t->member->modifiers & M_STATIC) != 0 ? TARGET_STATIC : TARGET_FIELD;
    case O_DOT:
      return (t->member->modifiers & M_STATIC) != 0 ? TARGET_STATIC : TARGET_FIELD;
    default:
      return t->op == O_SUBSCRIPT ? TARGET_ELEMENT : TARGET_NONE;
  }
}

// Pushes what must stand below the value to store it; returns the number of words.
int32_t genAddress(ExprNode* t, TargetKind kind) {
  switch (kind) {
    case TARGET_FIELD:
      if (t->op == O_DOT)
        genExpression(t->left, true);
      else
        genFieldObject(t);
      return 1;
    case TARGET_ELEMENT:
      genExpression(t->left, true);
      genExpression(t->right, true);
      return 2;
    case TARGET_STATIC:
      // A qualifier of a static field is evaluated for what it does, its value dropped.
      if (t->left != nullptr && t->left->op != O_CLASSREF && t->op == O_DOT) genExpression(t->left, false);
      if (t->left != nullptr && t->op == O_ID && t->left->op != O_CLASSREF) genExpression(t->left, false);
      return 0;
    default:
      return 0;
  }
}

// Loads the target's value, its address words on the stack (they are consumed).
void genTargetLoad(ExprNode* t, TargetKind kind) {
  switch (kind) {
    case TARGET_LOCAL:
      genLoadLocal(t->member);
      break;
    case TARGET_STATIC:
    case TARGET_FIELD:
      genFieldLoad(t->member, t->op == O_DOT ? t->left : nullptr, referenceClassOf(t));
      break;
    case TARGET_ELEMENT:
      emitByte(arrayLoadOpcode(kindOf(t->type)));
      adjustStackDepth(slotSize(t->type) - 2);
      break;
    default:
      break;
  }
}

void genTargetStore(ExprNode* t, TargetKind kind) {
  switch (kind) {
    case TARGET_LOCAL:
      genStoreLocal(t->member);
      break;
    case TARGET_STATIC:
    case TARGET_FIELD:
      genFieldStore(t->member, t->op == O_DOT ? t->left : nullptr, referenceClassOf(t));
      break;
    case TARGET_ELEMENT:
      emitByte(arrayStoreOpcode(kindOf(t->type)));
      adjustStackDepth(-slotSize(t->type) - 2);
      break;
    default:
      break;
  }
}

// Copies the value on top of the stack below `words` address words.
void dupUnder(int32_t size, int32_t words) {
  static const uint8_t single[] = {OP_DUP, OP_DUP_X1, OP_DUP_X2};
  static const uint8_t twice[] = {OP_DUP2, OP_DUP2_X1, OP_DUP2_X2};
  if (size <= 0) return;
  if (words < 0) words = 0;
  if (words > 2) words = 2;
  emitByte(size == 2 ? twice[words] : single[words]);
  adjustStackDepth(size);
}

void dupAddress(int32_t words) {
  if (words == 1) {
    emitByte(OP_DUP);
    adjustStackDepth(1);
  } else if (words == 2) {
    emitByte(OP_DUP2);
    adjustStackDepth(2);
  }
}

// A failed part (or one left untyped, or of a class that was not found, which no failed node
// marks: a cast to a missing class) was reported and is passed over.
int32_t checkUngeneratedNode(ExprNode* e, void*) {
  if (e == nullptr || e->type == nullptr || hasErrorType(e) || isErrorClassType(e->type)) return -1;
  if (e->op == O_ASG) {
    checkAssignmentTarget(e->left);
  } else if (isCompoundOrIncrement(e->op)) {
    ExprNode* target = e->left;
    while (target != nullptr && target->op == O_CAST) target = target->left;
    if (target != nullptr) checkAssignmentTarget(target);
  } else if (e->op == O_CALL) {
    checkSuperCallTarget(e);
  }
  return 0;
}

void genAssignment(ExprNode* e, bool wanted) {
  ExprNode* target = e->left;
  if (checkAssignmentTarget(target) == 0) return;
  checkFieldInitForwardRefs(e->right);
  TargetKind kind = targetKind(target);
  if (kind == TARGET_NONE) {
    codegenError(e, "no tree gen");
    return;
  }
  int32_t words = genAddress(target, kind);
  genExpression(e->right, true);
  if (wanted) dupUnder(slotSize(target->type), words);
  genTargetStore(target, kind);
}

void genVariableInit(ExprNode* e) {
  Member* v = e->member;
  ExprNode* value = e->right;
  if (v == nullptr || value == nullptr || hasErrorType(value)) return;
  if (value->op == O_NULL && v->type != nullptr && isPrimitiveType(v->type)) {
    errorAt(e->line, exprColumn(e), "null.primitive");
    return;
  }
  bool field = !isLocal(v);
  bool isStatic = (v->modifiers & M_STATIC) != 0;
  if (field && !isStatic) genThisOf(v->owner, e);
  if (value->op == O_AINIT)
    genArrayInitializer(value, v->type, true);
  else
    genExpression(value, true);
  if (field)
    genFieldStore(v, nullptr);
  else
    genStoreLocal(v);
}

bool isIncrement(int32_t op) {
  return op == O_INA || op == O_DEA || op == O_INB || op == O_DEB;
}

bool isPostfix(int32_t op) {
  return op == O_INA || op == O_DEA;
}

void emitIinc(int32_t slot, int32_t delta) {
  if (slot > 255 || delta < -128 || delta > 127) {
    emitByte(OP_WIDE);
    emitByte(OP_IINC);
    emitShort(static_cast<uint32_t>(slot));
    emitShort(static_cast<uint32_t>(delta));
  } else {
    emitByte(OP_IINC);
    emitByte(static_cast<uint32_t>(slot));
    emitByte(static_cast<uint32_t>(delta));
  }
}

// iinc fits an int local only: on a byte, short or char local it would skip the narrowing.
bool genIinc(ExprNode* e, bool wanted) {
  ExprNode* target = e->left;
  if (target == nullptr || target->op != O_ID || !isLocal(target->member) || kindOf(target->member->type) != TK_INT)
    return false;
  int32_t delta;
  if (isIncrement(e->op)) {
    delta = e->op == O_INA || e->op == O_INB ? 1 : -1;
  } else if (e->op == O_ADA || e->op == O_SBA) {
    const ExprNode* r = e->right;
    if (r == nullptr || r->op != O_CONST || kindOf(r->type) != TK_INT) return false;
    int64_t v = r->integerValue;
    if (v < -127 || v > 127) return false;
    delta = static_cast<int32_t>(e->op == O_SBA ? -v : v);
  } else {
    return false;
  }
  if (checkAssignmentTarget(target) == 0) return true;
  Member* v = target->member;
  openLocalEntry(v);
  if (wanted && isPostfix(e->op)) genLoadLocal(v);
  emitIinc(v->slot, delta);
  if (wanted && !isPostfix(e->op)) genLoadLocal(v);
  return true;
}

int32_t operatorOf(int32_t op) {
  switch (op) {
    case O_INA:
    case O_INB:
    case O_ADA:
      return O_ADD;
    case O_DEA:
    case O_DEB:
    case O_SBA:
      return O_SUB;
    case O_LSA:
      return O_LSH;
    case O_RSA:
      return O_RSH;
    case O_RSSA:
      return O_RSSH;
    case O_DVA:
      return O_DIV;
    case O_RMA:
      return O_REM;
    case O_ANA:
      return O_AND;
    case O_ORA:
      return O_OR;
    case O_MUA:
      return O_MUL;
    case O_XRA:
      return O_XOR;
    default:
      return op;
  }
}

bool isShift(int32_t op) {
  return op == O_LSH || op == O_RSH || op == O_RSSH;
}

void genOne(int32_t kind) {
  switch (kind) {
    case TK_LONG:
      emitByte(OP_LCONST_1);
      adjustStackDepth(2);
      break;
    case TK_FLOAT:
      emitByte(OP_FCONST_1);
      adjustStackDepth(1);
      break;
    case TK_DOUBLE:
      emitByte(OP_DCONST_1);
      adjustStackDepth(2);
      break;
    default:
      emitByte(OP_ICONST_1);
      adjustStackDepth(1);
      break;
  }
}

// The right operand of a shift, a long count made int.
void genShiftCount(ExprNode* count) {
  genExpression(count, true);
  if (kindOf(count->type) == TK_LONG) genCast(&intType, &longType, count->line, exprColumn(count));
}

void genCompoundAssignment(ExprNode* e, bool wanted) {
  if (genIinc(e, wanted)) return;
  ExprNode* target = e->left;
  const Type* operationType = nullptr;
  while (target != nullptr && target->op == O_CAST) {
    if (operationType == nullptr) operationType = target->type;
    target = target->left;
  }
  if (target == nullptr || checkAssignmentTarget(target) == 0) return;
  TargetKind kind = targetKind(target);
  if (kind == TARGET_NONE) {
    codegenError(e, "no tree gen");
    return;
  }
  const Type* targetType = target->type;
  int32_t words = genAddress(target, kind);
  if (e->op == O_SCONCATA) {
    if (words > 0) {
      dupAddress(words);
      genTargetLoad(target, kind);
      genNewStringBuffer();
      emitByte(OP_SWAP);
    } else {
      genNewStringBuffer();
      genTargetLoad(target, kind);
    }
    genAppendValue(targetType);
    genAppends(e->right);
    genBufferToString();
    if (wanted) dupUnder(1, words);
    genTargetStore(target, kind);
    return;
  }
  dupAddress(words);
  genTargetLoad(target, kind);
  int32_t size = slotSize(targetType);
  if (wanted && isPostfix(e->op)) dupUnder(size, words);
  if (operationType != nullptr) {
    genCast(operationType, targetType, e->line, exprColumn(e));
  } else {
    operationType = isIncrement(e->op) ? targetType : e->type;
    if (operationType == nullptr) operationType = targetType;
  }
  int32_t op = operatorOf(e->op);
  int32_t operationKind = kindOf(operationType);
  if (isIncrement(e->op))
    genOne(operationKind);
  else if (isShift(op))
    genShiftCount(e->right);
  else
    genExpression(e->right, true);
  genBinaryOp(op, operationKind, e->line, exprColumn(e));
  if (operationType != targetType && kindOf(operationType) != kindOf(targetType))
    genCast(targetType, operationType, e->line, exprColumn(e));
  else if (kindOf(targetType) == TK_BYTE || kindOf(targetType) == TK_SHORT || kindOf(targetType) == TK_CHAR)
    genCast(targetType, &intType, e->line, exprColumn(e));
  if (wanted && !isPostfix(e->op)) dupUnder(size, words);
  genTargetStore(target, kind);
}

// Boolean operators and comparisons used as values: the jumps, then 0 or 1.
void genComparisonJump(ExprNode* e, int32_t op, StmtNode* label, bool leftDone);

// The value of a condition, 0 or 1, from jumps. d0 is the depth the code starts at; with leftDone
// the condition is a comparison whose left operand's code is there already.
void genBooleanValue(ExprNode* e, bool wanted, int32_t d0, bool leftDone) {
  StmtNode* whenTrue = newCodeLabel();
  StmtNode* end = newCodeLabel();
  if (leftDone)
    genComparisonJump(e, e->op, whenTrue, true);
  else
    genJump(e, whenTrue, true);
  classGen.stackDepth = d0;
  if (wanted) genIntConstant(0);
  emitGoto(end);
  classGen.stackDepth = d0;
  placeLabel(whenTrue);
  if (wanted) genIntConstant(1);
  placeLabel(end);
}

void genConditional(ExprNode* e, bool wanted) {
  int32_t d0 = classGen.stackDepth;
  StmtNode* whenTrue = newCodeLabel();
  StmtNode* end = newCodeLabel();
  genJump(e->left, whenTrue, true);
  classGen.stackDepth = d0;
  genExpression(e->third, wanted);
  emitGoto(end);
  classGen.stackDepth = d0;
  placeLabel(whenTrue);
  genExpression(e->right, wanted);
  placeLabel(end);
}

int32_t invertedComparison(int32_t op) {
  switch (op) {
    case O_EQ:
      return O_NE;
    case O_NE:
      return O_EQ;
    case O_LT:
      return O_GE;
    case O_GE:
      return O_LT;
    case O_LE:
      return O_GT;
    default:
      return O_LE;
  }
}

int32_t zeroBranch(int32_t op) {
  switch (op) {
    case O_EQ:
      return PIECE_IFEQ;
    case O_NE:
      return PIECE_IFNE;
    case O_LT:
      return PIECE_IFLT;
    case O_LE:
      return PIECE_IFLE;
    case O_GT:
      return PIECE_IFGT;
    default:
      return PIECE_IFGE;
  }
}

int32_t intCompareBranch(int32_t op) {
  switch (op) {
    case O_EQ:
      return PIECE_IF_ICMPEQ;
    case O_NE:
      return PIECE_IF_ICMPNE;
    case O_LT:
      return PIECE_IF_ICMPLT;
    case O_LE:
      return PIECE_IF_ICMPLE;
    case O_GT:
      return PIECE_IF_ICMPGT;
    default:
      return PIECE_IF_ICMPGE;
  }
}

bool isIntZero(const ExprNode* e) {
  return e != nullptr && e->op == O_CONST && kindOf(e->type) != TK_LONG && e->integerValue == 0 &&
         isIntLike(kindOf(e->type));
}

// A comparison jumping when `op` holds. `nanGreater` (the NaN flag of the node, which stays with
// the operator it was made for when the lowering inverts the node) picks fcmpg or dcmpg: a NaN
// operand then makes `<` and `<=` false, and their inversions `>=` and `>` true, as Java wants.
// Every form begins with the left operand's code: with leftDone it is there already.
void genComparisonJump(ExprNode* e, int32_t op, StmtNode* label, bool leftDone) {
  ExprNode* left = e->left;
  ExprNode* right = e->right;
  if (!leftDone) genExpression(left, true);
  if (right != nullptr && right->op == O_NULL && (op == O_EQ || op == O_NE)) {
    emitBranch(op == O_EQ ? PIECE_IFNULL : PIECE_IFNONNULL, label);
    adjustStackDepth(-1);
    return;
  }
  int32_t kind = kindOf(left != nullptr ? left->type : nullptr);
  if (isIntZero(right) && isIntLike(kind)) {
    emitBranch(zeroBranch(op), label);
    adjustStackDepth(-1);
    return;
  }
  genExpression(right, true);
  bool nanGreater = (e->literalKind & COMPARE_NAN_GREATER) != 0;
  switch (kind) {
    case TK_CLASS:
    case TK_ARRAY:
      emitBranch(op == O_EQ ? PIECE_IF_ACMPEQ : PIECE_IF_ACMPNE, label);
      adjustStackDepth(-2);
      return;
    case TK_BOOLEAN:
    case TK_CHAR:
    case TK_BYTE:
    case TK_SHORT:
    case TK_INT:
      emitBranch(intCompareBranch(op), label);
      adjustStackDepth(-2);
      return;
    case TK_LONG:
      emitByte(OP_LCMP);
      adjustStackDepth(-3);
      break;
    case TK_FLOAT:
      emitByte(nanGreater ? OP_FCMPG : OP_FCMPL);
      adjustStackDepth(-1);
      break;
    case TK_DOUBLE:
      emitByte(nanGreater ? OP_DCMPG : OP_DCMPL);
      adjustStackDepth(-3);
      break;
    default:
      codegenError(e, "no compare gen: type");
      return;
  }
  emitBranch(zeroBranch(op), label);
  adjustStackDepth(-1);
}

}  // namespace

void checkUngeneratedExpression(ExprNode* node) {
  if (node != nullptr) walkExpression(node, checkUngeneratedNode, nullptr, nullptr, nullptr);
}

void emitLdc(uint16_t index) {
  if (index < 256) {
    emitByte(OP_LDC);
    emitByte(index);
  } else {
    emitByte(OP_LDC_W);
    emitShort(index);
  }
}

StmtNode* newCodeLabel() {
  auto* label = arenaNew<StmtNode>(&global.genArena);
  label->kind = ST_LABEL;
  return label;
}

void codegenError(const ExprNode* node, const char* text) {
  errorAt(node != nullptr ? node->line : 0, node != nullptr ? exprColumn(node) : 0, "internal.codegen.error", text);
}

void genIntConstant(int32_t value) {
  if (value >= -1 && value <= 5) {
    emitByte(static_cast<uint32_t>(OP_ICONST_0 + value));
  } else if (value >= -127 && value <= 127) {
    emitByte(OP_BIPUSH);
    emitByte(static_cast<uint32_t>(value));
  } else if (value >= -32767 && value <= 32767) {
    emitByte(OP_SIPUSH);
    emitShort(static_cast<uint32_t>(value));
  } else {
    emitLdc(addInteger(value));
  }
  adjustStackDepth(1);
}

void genPop(int32_t slots) {
  if (slots <= 0) return;
  emitByte(slots == 2 ? OP_POP2 : OP_POP);
  adjustStackDepth(-slots);
}

void genLoadLocal(Member* v) {
  openLocalEntry(v);
  switch (kindOf(v->type)) {
    case TK_LONG:
      emitLocalInstruction(OP_LLOAD_0, OP_LLOAD, v->slot);
      break;
    case TK_FLOAT:
      emitLocalInstruction(OP_FLOAD_0, OP_FLOAD, v->slot);
      break;
    case TK_DOUBLE:
      emitLocalInstruction(OP_DLOAD_0, OP_DLOAD, v->slot);
      break;
    case TK_CLASS:
    case TK_ARRAY:
      emitLocalInstruction(OP_ALOAD_0, OP_ALOAD, v->slot);
      break;
    default:
      emitLocalInstruction(OP_ILOAD_0, OP_ILOAD, v->slot);
      break;
  }
  adjustStackDepth(slotSize(v->type));
}

void genStoreLocal(Member* v) {
  openLocalEntry(v);
  switch (kindOf(v->type)) {
    case TK_LONG:
      emitLocalInstruction(OP_LSTORE_0, OP_LSTORE, v->slot);
      break;
    case TK_FLOAT:
      emitLocalInstruction(OP_FSTORE_0, OP_FSTORE, v->slot);
      break;
    case TK_DOUBLE:
      emitLocalInstruction(OP_DSTORE_0, OP_DSTORE, v->slot);
      break;
    case TK_CLASS:
    case TK_ARRAY:
      emitLocalInstruction(OP_ASTORE_0, OP_ASTORE, v->slot);
      break;
    default:
      emitLocalInstruction(OP_ISTORE_0, OP_ISTORE, v->slot);
      break;
  }
  adjustStackDepth(-slotSize(v->type));
}

void genBinaryOp(int32_t op, int32_t kind, int32_t line, int32_t column) {
  // Forms: 0 int, 1 long, 2 float, 3 double.
  int32_t form;
  switch (kind) {
    case TK_CHAR:
    case TK_BYTE:
    case TK_SHORT:
    case TK_INT:
      form = 0;
      break;
    case TK_BOOLEAN:
      form = op == O_AND || op == O_OR || op == O_XOR ? 0 : -1;
      break;
    case TK_LONG:
      form = 1;
      break;
    case TK_FLOAT:
      form = 2;
      break;
    case TK_DOUBLE:
      form = 3;
      break;
    default:
      form = -1;
      break;
  }
  int32_t size = form == 1 || form == 3 ? 2 : 1;
  const char* wrong = nullptr;
  uint8_t opcode = 0;
  int32_t taken = size;  // what the instruction takes beyond leaving one value
  switch (op) {
    case O_ADD:
      opcode = static_cast<uint8_t>(OP_IADD + form);
      wrong = "wrong add type";
      break;
    case O_SUB:
      opcode = static_cast<uint8_t>(OP_ISUB + form);
      wrong = "wrong sub type";
      break;
    case O_MUL:
      opcode = static_cast<uint8_t>(OP_IMUL + form);
      wrong = "wrong mul type";
      break;
    case O_DIV:
      opcode = static_cast<uint8_t>(OP_IDIV + form);
      wrong = "wrong mul type";
      break;
    case O_REM:
      opcode = static_cast<uint8_t>(OP_IREM + form);
      wrong = "wrong mul type";
      break;
    case O_AND:
      if (form > 1) form = -1;
      opcode = static_cast<uint8_t>(OP_IAND + form);
      wrong = "wrong and type";
      break;
    case O_OR:
      if (form > 1) form = -1;
      opcode = static_cast<uint8_t>(OP_IOR + form);
      wrong = "wrong or type";
      break;
    case O_XOR:
      if (form > 1) form = -1;
      opcode = static_cast<uint8_t>(OP_IXOR + form);
      wrong = "wrong xor type";
      break;
    case O_LSH:
    case O_RSH:
    case O_RSSH:
      if (form > 1) form = -1;
      opcode = static_cast<uint8_t>((op == O_LSH ? OP_ISHL : op == O_RSH ? OP_ISHR : OP_IUSHR) + form);
      wrong = op == O_LSH ? "wrong left shift type" : op == O_RSH ? "wrong right shift type"
                                                                    : "wrong unsigned right shift type";
      taken = 1;  // the count is an int
      break;
    default:
      errorAt(line, column, "internal.codegen.error", "wrong operator");
      return;
  }
  if (form < 0) {
    errorAt(line, column, "internal.codegen.error", wrong);
    return;
  }
  emitByte(opcode);
  adjustStackDepth(-taken);
}

int32_t genCast(const Type* to, const Type* from, int32_t line, int32_t column) {
  int32_t t = kindOf(to);
  int32_t f = kindOf(from);
  auto fail = [&](const char* text) {
    errorAt(line, column, "internal.codegen.error", text);
    return -1;
  };
  if (t == TK_CLASS || t == TK_ARRAY) {
    if (isNotSameOrWidening(from, to)) {
      emitByte(OP_CHECKCAST);
      emitShort(t == TK_CLASS ? addClass(to->classRef != nullptr ? to->classRef->resolved : nullptr)
                              : addArrayClass(to));
    }
    return 0;
  }
  if (t == f) return 0;
  bool fromIntLike = f == TK_CHAR || f == TK_BYTE || f == TK_SHORT || f == TK_INT;
  // To int first, then the narrowing of the small types.
  auto toInt = [&]() {
    switch (f) {
      case TK_LONG:
        emitByte(OP_L2I);
        adjustStackDepth(-1);
        return true;
      case TK_FLOAT:
        emitByte(OP_F2I);
        return true;
      case TK_DOUBLE:
        emitByte(OP_D2I);
        adjustStackDepth(-1);
        return true;
      default:
        return fromIntLike;
    }
  };
  switch (t) {
    case TK_CHAR:
    case TK_BYTE:
    case TK_SHORT:
      if (!toInt()) return fail("no cast gen: 2");
      emitByte(t == TK_CHAR ? OP_I2C : t == TK_BYTE ? OP_I2B : OP_I2S);
      return 0;
    case TK_INT:
      if (!toInt()) return fail("no cast gen: 6");
      return 0;
    case TK_LONG:
      if (fromIntLike) {
        emitByte(OP_I2L);
        adjustStackDepth(1);
      } else if (f == TK_FLOAT) {
        emitByte(OP_F2L);
        adjustStackDepth(1);
      } else if (f == TK_DOUBLE) {
        emitByte(OP_D2L);
      } else {
        return fail("no cast gen: 1");
      }
      return 0;
    case TK_FLOAT:
      if (fromIntLike) {
        emitByte(OP_I2F);
      } else if (f == TK_LONG) {
        emitByte(OP_L2F);
        adjustStackDepth(-1);
      } else if (f == TK_DOUBLE) {
        emitByte(OP_D2F);
        adjustStackDepth(-1);
      } else {
        return fail("no cast gen: 4");
      }
      return 0;
    case TK_DOUBLE:
      if (fromIntLike) {
        emitByte(OP_I2D);
        adjustStackDepth(1);
      } else if (f == TK_LONG) {
        emitByte(OP_L2D);
      } else if (f == TK_FLOAT) {
        emitByte(OP_F2D);
        adjustStackDepth(1);
      } else {
        return fail("no cast gen: 5");
      }
      return 0;
    case TK_BOOLEAN:
      return f == TK_BOOLEAN ? 0 : fail("no cast gen: 3");
    default:
      return fail("no cast gen: 3");
  }
}

namespace {

void genJumpOn(ExprNode* e, StmtNode* label, bool sense);

}  // namespace

// A chain of && and || (a && b && c) is followed down its left operands by a loop; each link then
// jumps on its right operand, bottom up. A link whose left operand's other outcome must pass over
// its right operand (&& jumping when true, || when false) places a label of its own after it.
void genJump(ExprNode* e, StmtNode* label, bool sense) {
  struct Link {
    ExprNode* node;
    StmtNode* label;
    bool sense;
    StmtNode* skip;
  };
  FrameStack<Link, 4> chain;
  while (e != nullptr && !hasErrorType(e) && (e->op == O_LAND || e->op == O_LOR)) {
    StmtNode* skip = (e->op == O_LAND) == sense ? newCodeLabel() : nullptr;
    chain.push({e, label, sense, skip});
    if (skip != nullptr) label = skip;
    sense = e->op == O_LOR;
    e = e->left;
  }
  genJumpOn(e, label, sense);
  while (!chain.empty()) {
    Link link = chain.top();
    chain.pop();
    genJump(link.node->right, link.label, link.sense);
    if (link.skip != nullptr) placeLabel(link.skip);
  }
}

namespace {

void genJumpOn(ExprNode* e, StmtNode* label, bool sense) {
  if (e == nullptr || hasErrorType(e)) return;
  switch (e->op) {
    case O_CONST:
      if ((e->integerValue != 0) == sense) emitGoto(label);
      return;
    case O_NOT:
      genJump(e->left, label, !sense);
      return;
    default:
      break;
  }
  if (isComparison(e->op)) {
    genComparisonJump(e, sense ? e->op : invertedComparison(e->op), label, false);
    return;
  }
  genExpression(e, true);
  emitBranch(sense ? PIECE_IFNE : PIECE_IFEQ, label);
  adjustStackDepth(-1);
}

}  // namespace

namespace {

// True when the code of `e` begins with the code of its left operand, generated with the value
// wanted or not as *leftWanted says: the links of a chain that genExpression follows by a loop.
bool generatesLeftFirst(const ExprNode* e, bool wanted, bool* leftWanted) {
  if (e->left == nullptr || hasErrorType(e->left) || !isLeftChainOperator(e->op)) return false;
  if (isComparison(e->op)) {
    // A comparison's value comes from jumps that begin with its left operand's code.
    *leftWanted = true;
    return true;
  }
  switch (e->op) {
    case O_LAND:
    case O_LOR:
    case O_SCONCAT:
      // Their own code follows their chains: genJump, genStringConcat.
      return false;
    case O_DIV:
    case O_REM:
      // Integer division by zero throws even when its value is dropped.
      *leftWanted = wanted || isIntLike(kindOf(e->type)) || kindOf(e->type) == TK_LONG;
      return true;
    case O_SEQ:
      *leftWanted = false;
      return true;
    case O_SUBSCRIPT:
    case O_ALENGTH:
      *leftWanted = true;
      return true;
    case O_ID:
      // A static field selected from an expression: the expression's code, its value dropped.
      if (e->member == nullptr || (e->member->modifiers & M_STATIC) == 0 || e->left->op == O_CLASSREF) return false;
      *leftWanted = false;
      return true;
    case O_DOT:
      if (e->member == nullptr) return false;
      if ((e->member->modifiers & M_STATIC) == 0) {
        // A constant read through this or super needs no object.
        if (e->right != nullptr && (e->left->op == O_THIS || e->left->op == O_SUPER)) return false;
        *leftWanted = true;
        return true;
      }
      *leftWanted = false;
      return e->left->op != O_CLASSREF;
    case O_CALL:
      return callGeneratesQualifierFirst(e, leftWanted);
    default:
      // The arithmetic, bitwise and shift operators and the links of a list.
      *leftWanted = wanted;
      return true;
  }
}

void genNode(ExprNode* e, bool wanted, int32_t d0, bool leftDone);

}  // namespace

// A chain of left operands (a + b + c, a.b().c(), the links of a list) is followed by a loop, down
// to its first operand, whose code comes first; each link's own code then follows, bottom up. All
// of them start at the same stack depth.
void genExpression(ExprNode* e, bool wanted) {
  if (e == nullptr || hasErrorType(e)) return;
  struct Link {
    ExprNode* node;
    bool wanted;
  };
  FrameStack<Link, 4> chain;
  int32_t d0 = classGen.stackDepth;
  bool leftWanted = false;
  while (generatesLeftFirst(e, wanted, &leftWanted)) {
    chain.push({e, wanted});
    e = e->left;
    wanted = leftWanted;
  }
  genNode(e, wanted, d0, false);
  while (!chain.empty()) {
    Link link = chain.top();
    chain.pop();
    genNode(link.node, link.wanted, d0, true);
  }
}

namespace {

// Each family of operators below generates a node's own code and answers whether the node's
// value is on the stack at the end; with leftDone the left operand's code is there already.

// O_CONST, O_DCONST, O_STRING and O_NULL.
bool genLiteral(ExprNode* e, bool wanted) {
  if (e->op != O_NULL) genConstantQualifier(e);
  if (!wanted) return false;
  if (e->op == O_STRING) {
    emitLdc(addString(addUtf8Chars(stringValueChars(e->string), e->string->length, 2)));
    adjustStackDepth(1);
  } else if (e->op == O_NULL) {
    emitByte(OP_ACONST_NULL);
    adjustStackDepth(1);
  } else {
    genConstant(e);
  }
  return true;
}

// O_ID: a local, a static field (its qualifier evaluated and dropped) or a field of this or of an
// enclosing instance.
bool genNameRead(ExprNode* e, bool wanted, bool leftDone) {
  Member* v = e->member;
  if (v == nullptr) return false;
  if (isLocal(v)) {
    if (wanted) genLoadLocal(v);
  } else if ((v->modifiers & M_STATIC) != 0) {
    if (!leftDone && e->left != nullptr && e->left->op != O_CLASSREF) genExpression(e->left, false);
    // A constant read through an expression is pushed, not loaded.
    if (wanted && e->right != nullptr)
      genExpression(e->right, true);
    else if (wanted)
      genFieldLoad(v, nullptr, referenceClassOf(e));
  } else if (wanted) {
    genFieldObject(e);
    genFieldLoad(v, nullptr, referenceClassOf(e));
  }
  return wanted;
}

// O_DOT: a field read through a qualifier.
bool genFieldRead(ExprNode* e, bool wanted, bool leftDone) {
  Member* field = e->member;
  if (field == nullptr) return false;
  if ((field->modifiers & M_STATIC) != 0) {
    if (!leftDone && e->left != nullptr && e->left->op != O_CLASSREF) genExpression(e->left, false);
    if (wanted) genFieldLoad(field, nullptr, referenceClassOf(e));
  } else if (e->right != nullptr) {
    // A constant read through an object: the object is evaluated and checked for null (this
    // needs neither), and the constant pushed.
    ExprNode* object = e->left;
    if (object != nullptr && object->op != O_THIS && object->op != O_SUPER) {
      if (!leftDone) genExpression(object, true);
      genNullCheck(object);
      emitByte(OP_POP);
      adjustStackDepth(-1);
    }
    if (wanted) genExpression(e->right, true);
  } else {
    // Dropped or not, the field is read: a null object throws.
    if (!leftDone) genExpression(e->left, true);
    genFieldLoad(field, e->left, referenceClassOf(e));
    if (!wanted) genPop(slotSize(field->type));
  }
  return wanted;
}

// O_THIS and O_SUPER.
bool genInstance(ExprNode* e, bool wanted) {
  if (!wanted) return false;
  if (e->op == O_THIS) {
    ClassDef* cls = e->type != nullptr && e->type->kind == TK_CLASS && e->type->classRef != nullptr
                        ? e->type->classRef->resolved
                        : classGen.cls;
    if (e->flags & THIS_THROUGH_OUTER)
      genEnclosingInstance(cls, e);
    else
      genThisOf(cls, e);
  } else if (e->classDef != nullptr && e->classDef != classGen.cls) {
    // Outer.super inside a class within Outer stands for Outer's instance.
    genEnclosingInstance(e->classDef, e);
  } else {
    emitByte(OP_ALOAD_0);
    adjustStackDepth(1);
  }
  return true;
}

// O_SUBSCRIPT and O_ALENGTH: dropped or not, the element or length is loaded, so that a null
// array or a bad index throws.
bool genArrayRead(ExprNode* e, bool wanted, bool leftDone) {
  if (!leftDone) genExpression(e->left, true);
  if (e->op == O_ALENGTH) {
    emitByte(OP_ARRAYLENGTH);
    if (!wanted) genPop(1);
    return wanted;
  }
  genExpression(e->right, true);
  emitByte(arrayLoadOpcode(kindOf(e->type)));
  adjustStackDepth(slotSize(e->type) - 2);
  if (!wanted) genPop(slotSize(e->type));
  return wanted;
}

// The binary operators of numbers and bits: shifts, arithmetic, and, or, xor.
bool genArithmetic(ExprNode* e, bool wanted, bool leftDone) {
  if (e->op == O_LSH || e->op == O_RSH || e->op == O_RSSH) {
    if (!leftDone) genExpression(e->left, wanted);
    if (wanted)
      genShiftCount(e->right);
    else
      genExpression(e->right, false);
    if (wanted) genBinaryOp(e->op, kindOf(e->type), e->line, exprColumn(e));
    return wanted;
  }
  bool leaves = wanted;
  // Integer division by zero throws even when its value is dropped.
  if (!wanted && (e->op == O_DIV || e->op == O_REM) && (isIntLike(kindOf(e->type)) || kindOf(e->type) == TK_LONG)) {
    wanted = true;
    leaves = false;
  }
  if (!leftDone) genExpression(e->left, wanted);
  genExpression(e->right, wanted);
  if (wanted) genBinaryOp(e->op, kindOf(e->type), e->line, exprColumn(e));
  if (wanted && !leaves) genPop(slotSize(e->type));
  return leaves;
}

// O_NEG, O_UPLUS and O_COMP.
bool genUnaryArithmetic(ExprNode* e, bool wanted) {
  genExpression(e->left, wanted);
  if (!wanted || e->op == O_UPLUS) return wanted;
  int32_t kind = kindOf(e->type);
  if (e->op == O_NEG) {
    emitByte(kind == TK_LONG ? OP_LNEG : kind == TK_FLOAT ? OP_FNEG : kind == TK_DOUBLE ? OP_DNEG : OP_INEG);
  } else if (kind == TK_LONG) {
    emitByte(OP_LDC2_W);
    emitShort(addLong(-1));
    adjustStackDepth(2);
    emitByte(OP_LXOR);
    adjustStackDepth(-2);
  } else {
    genIntConstant(-1);
    emitByte(OP_IXOR);
    adjustStackDepth(-1);
  }
  return true;
}

// O_INSTANCEOF and O_CAST.
bool genTypeTest(ExprNode* e, bool wanted) {
  if (e->op == O_INSTANCEOF) {
    genExpression(e->right, true);
    const Type* tested = e->operandType;
    emitByte(OP_INSTANCEOF);
    emitShort(kindOf(tested) == TK_ARRAY ? addArrayClass(tested)
                                         : addClass(tested != nullptr && tested->classRef != nullptr
                                                        ? tested->classRef->resolved
                                                        : nullptr));
    if (!wanted) {
      emitByte(OP_POP);
      adjustStackDepth(-1);
    }
    return wanted;
  }
  bool leaves = wanted;
  // A reference cast checks its operand even when the value is dropped: ((T) o).sm() throws
  // ClassCastException for an o of another class.
  if (!wanted && e->left != nullptr && e->left->op != O_NULL &&
      (kindOf(e->type) == TK_CLASS || kindOf(e->type) == TK_ARRAY)) {
    wanted = true;
    leaves = false;
  }
  genExpression(e->left, wanted);
  if (wanted && e->left != nullptr && e->left->op != O_NULL) genCast(e->type, e->left->type, e->line, exprColumn(e));
  if (wanted && !leaves) genPop(slotSize(e->type));
  return leaves;
}

// The node's own code by its operator's family; whether its value is on the stack at the end.
bool genNodeCode(ExprNode* e, bool wanted, int32_t d0, bool leftDone) {
  if (isCompoundOrIncrement(e->op)) {
    genCompoundAssignment(e, wanted);
    return wanted;
  }
  switch (e->op) {
    case O_CONST:
    case O_DCONST:
    case O_STRING:
    case O_NULL:
      return genLiteral(e, wanted);
    case O_ID:
      return genNameRead(e, wanted, leftDone);
    case O_DOT:
      return genFieldRead(e, wanted, leftDone);
    case O_THIS:
    case O_SUPER:
      return genInstance(e, wanted);
    case O_SUBSCRIPT:
    case O_ALENGTH:
      return genArrayRead(e, wanted, leftDone);
    case O_ASG:
      genAssignment(e, wanted);
      return wanted;
    case O_INIT:
      genVariableInit(e);
      return false;
    case O_LSH:
    case O_RSH:
    case O_RSSH:
    case O_DIV:
    case O_REM:
    case O_AND:
    case O_SUB:
    case O_OR:
    case O_ADD:
    case O_MUL:
    case O_XOR:
      return genArithmetic(e, wanted, leftDone);
    case O_NEG:
    case O_UPLUS:
    case O_COMP:
      return genUnaryArithmetic(e, wanted);
    case O_NOT:
    case O_EQ:
    case O_NE:
    case O_LT:
    case O_LE:
    case O_GT:
    case O_GE:
    case O_LAND:
    case O_LOR:
      genBooleanValue(e, wanted, d0, leftDone);
      return wanted;
    case O_QUES:
      genConditional(e, wanted);
      return wanted;
    case O_SEQ:
      if (!leftDone) genExpression(e->left, false);
      genExpression(e->right, false);
      return false;
    case O_CLASSREF:
      return false;
    case O_INSTANCEOF:
    case O_CAST:
      return genTypeTest(e, wanted);
    case O_CALL:
      genCall(e, wanted, d0, leftDone);
      return wanted;
    case O_NEW:
      genNew(e, wanted);
      return wanted;
    case O_AINIT:
      genArrayInitializer(e, e->type, wanted);
      return wanted;
    case O_SCONCAT:
      genStringConcat(e, wanted);
      return wanted;
    case O_CLASS:
      genClassLiteral(e, wanted);
      return wanted;
    default:
      codegenError(e, "no tree gen");
      return false;
  }
}

// One node's code; with leftDone its left operand's code is there already. The depth is set to
// the node's value on top of where it began, whatever the family counted.
void genNode(ExprNode* e, bool wanted, int32_t d0, bool leftDone) {
  if (e->op == O_ARG) {
    // An argument list leaves every argument it holds: the depth stays where the last one put it.
    if (!leftDone) genExpression(e->left, wanted);
    genExpression(e->right, wanted);
    foldStackDepth();
    return;
  }
  bool leaves = genNodeCode(e, wanted, d0, leftDone);
  // this and a new object are never null.
  if (leaves && (e->flags & EXPR_EXPLICIT_OUTER) != 0 && e->op != O_THIS && e->op != O_NEW) genNullCheck(e);
  foldStackDepth();
  classGen.stackDepth = d0 + (leaves ? slotSize(e->type) : 0);
}

}  // namespace
