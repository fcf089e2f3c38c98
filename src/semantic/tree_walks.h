// Checks made by walking an expression tree: forward references in initializers, the static
// context of static initializers, the arguments of this(...) and super(...), assignment targets
// and final variables; and the expressions that need a class context of their own: class
// literals and qualified this and super.
// Placeholder: declared only; walks visit nothing and the selectors give the error type.
#pragma once

#include <cstdint>

struct ClassDef;
struct ExprNode;
struct Member;
struct Type;

// A callback answers: positive stops the walk (its result), negative skips the subtree, 0 goes on.
using WalkCallback = int32_t (*)(ExprNode* node, void* context);

int32_t walkExpression(ExprNode* tree, WalkCallback before, WalkCallback between, WalkCallback after,
                       void* context);
int32_t staticContextCheck(ExprNode* node, void* context);
void checkFieldInitForwardRefs(ExprNode* expression);
// 1 when the expression may be assigned to (else reported).
int32_t checkAssignmentTarget(ExprNode* target);
void checkFinalAssignment(Member* variable, int32_t line, int32_t column);

ExprNode* makeClassLiteral(Type* type, int32_t line, int32_t column);
ExprNode* makeClassLiteralFromName(ExprNode* name, int32_t line, int32_t column);
ExprNode* makeSuperSelector(Type* type, int32_t line, int32_t column);
ExprNode* makeSuperFromName(ExprNode* name, int32_t line, int32_t column);
ExprNode* makeThisSelector(Type* type, int32_t line, int32_t column);
ExprNode* makeThisFromName(ExprNode* name, int32_t line, int32_t column);
ExprNode* makeThisSelectorForClass(ClassDef* cls, int32_t line, int32_t column);
