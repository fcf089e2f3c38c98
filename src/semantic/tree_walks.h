// Checks made by walking an expression tree: forward references in initializers, the static
// context of static initializers, the arguments of this(...) and super(...), assignment targets
// and final variables; and the expressions that need a class context of their own: class
// literals and qualified this and super.
#pragma once

#include <cstdint>

struct ClassDef;
struct ExprNode;
struct Member;
struct Type;

// A callback answers: positive stops the walk (its result), negative skips the subtree, 0 goes on.
using WalkCallback = int32_t (*)(ExprNode* node, void* context);

// Visits the node, then its operands in order: before the node, its first operand, between, its
// second operand, the arguments (of O_CALL) or dimensions (of O_NEW), the third operand, after.
// Any callback may be null. An operator outside the tree's vocabulary is "internal.tree.error" and
// its subtree is skipped. The walk keeps its own stack: a tree of any depth costs no recursion.
int32_t walkExpression(ExprNode* tree, WalkCallback before, WalkCallback between, WalkCallback after,
                       void* context);

// Callbacks. Each skips a subtree that already carries the error type: its fault was reported.
// context: the field whose initializer is walked.
int32_t staticContextCheck(ExprNode* node, void* context);
int32_t thisCallArgumentCheck(ExprNode* node, void* context);
int32_t superCallArgumentCheck(ExprNode* node, void* context);
bool isDeclaredAfter(int32_t line, int32_t column, const Member* variable);
// Warns of a later field of another class of the file read where no method runs.
void checkStaticForwardUse(Member* variable, int32_t line, int32_t column);
void checkFieldInitForwardRefs(ExprNode* expression);

// Forward references: in a field initializer or initializer block (global.ctx.initializerPart),
// a read by simple name of a field of the same class and kind (static or instance) declared after
// it, or of the field in its own initializer, is refused; the simple name as the target of a
// simple assignment is no read. A name bound to a field is noted as it is resolved, freed of the
// mark when it becomes an assignment's target, and reported once its part is parsed, statement by
// statement.
void noteForwardUse(ExprNode* name);
void noteAssignmentTarget(ExprNode* target);
void reportForwardUses();
// 1 when the expression may be assigned to (else reported).
int32_t checkAssignmentTarget(ExprNode* target);
void checkFinalAssignment(Member* variable, int32_t line, int32_t column);
// A name that reads a class's copy of a final local of a method around it (NAME_FINAL_COPY) is
// no variable to assign: reported at the name, which comes back with the error type. Any other
// target comes back as it is.
ExprNode* checkCopyAssignment(ExprNode* target);

// Set in the flags of an O_ID bound to the current class's copy of a final local or parameter
// of a method around it.
constexpr int32_t NAME_FINAL_COPY = 0x400;

// Set in the flags of an O_THIS that stands for an enclosing instance (its type's class is a class
// around the current one), reached through the outer-instance fields.
constexpr int32_t THIS_THROUGH_OUTER = 0x2;
// Set in the flags of an O_THIS written with a class name (T.this).
constexpr int32_t THIS_QUALIFIED = 0x100;

// `this` as the bare keyword: not T.this, not in parentheses. Only a field selected from it, or
// its simple name, assigns a blank final.
bool isBareThis(const ExprNode* node);

// A class literal is lowered where a statement list is being built (a try that loads the class),
// and stands for the local it loads into; outside one (a field's constant being evaluated) it is
// an O_CLASS of type Class, which is no constant.
ExprNode* makeClassLiteral(Type* type, int32_t line, int32_t column);
ExprNode* makeClassLiteralFromName(ExprNode* name, int32_t line, int32_t column);
// Null after "invalid.super.selector" / "invalid.this.selector".
ExprNode* makeSuperSelector(Type* type, int32_t line, int32_t column);
ExprNode* makeSuperFromName(ExprNode* name, int32_t line, int32_t column);
// T.this as written: the current class or a class around it, exactly.
ExprNode* makeThisSelector(Type* type, int32_t line, int32_t column);
ExprNode* makeThisFromName(ExprNode* name, int32_t line, int32_t column);
// The object that has the members of `cls` (an implicit qualifier or outer instance): the current
// one when its class is or inherits from `cls`, else the innermost enclosing instance that is.
ExprNode* makeThisSelectorForClass(ClassDef* cls, int32_t line, int32_t column);
void setQualifiedThisType(ExprNode* thisNode, Type* type);
