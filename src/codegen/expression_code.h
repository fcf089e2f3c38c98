// Bytecode of an attributed, folded expression tree with its operand-stack depth: constants,
// loads and stores of locals, fields and array elements, assignments, increments and compound
// assignments, arithmetic, casts, and conditions as jumps or as boolean values. Calls, creation,
// string concatenation, class literals and outer instances are in call_code.h.
#pragma once

#include <cstdint>

struct ExprNode;
struct Member;
struct StmtNode;
struct Type;

// The node's code; `wanted`: its value stays on the stack. A node of the error type generates
// nothing. The depth after it is the depth before plus the value's slots when wanted.
void genExpression(ExprNode* node, bool wanted);
// The checks that generating the node makes (assignment targets, calls of abstract methods
// through super), for code that the language reaches but that never runs and gets no code.
void checkUngeneratedExpression(ExprNode* node);
// Jumps to `label` when the condition's value is `sense`, falling through otherwise; && || and !
// become jumps, and a floating comparison keeps the NaN rule of its source operator.
void genJump(ExprNode* condition, StmtNode* label, bool sense);
// The conversion of the value on the stack; 0, or -1 after an "internal.codegen.error".
int32_t genCast(const Type* to, const Type* from, int32_t line, int32_t column);
// The arithmetic instruction of `op` on operands of `kind` (the operation's type) on the stack.
void genBinaryOp(int32_t op, int32_t kind, int32_t line, int32_t column);

// Drops a value of `slots` stack slots (pop or pop2; nothing for 0).
void genPop(int32_t slots);
void genLoadLocal(Member* variable);
void genStoreLocal(Member* variable);
// An int constant, in the shortest form the code generator uses.
void genIntConstant(int32_t value);

// Stack slots of a value of the type: 0 for void and the error type, 2 for long and double.
int32_t slotSize(const Type* type);
// A label for code generation alone, in the generation arena.
StmtNode* newCodeLabel();
// Reports "internal.codegen.error" with `text` at the node.
void codegenError(const ExprNode* node, const char* text);
int32_t exprColumn(const ExprNode* node);
