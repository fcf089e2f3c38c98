// Statement lists. Placeholder: nothing is appended and the checks answer as if there were no
// statement.
#include "semantic/statement_lists.h"

#include "semantic/expression_nodes.h"
#include "support/arena.h"

void appendStatement(StmtNode*) {}
StmtNode* newStatement(int32_t kind, int32_t line, int32_t column) {
  auto* node = currentNew<StmtNode>();
  node->kind = kind;
  node->line = line;
  node->column = column;
  return node;
}
StmtNode* newLabel() {
  return newStatement(ST_LABEL, 0, 0);
}
void appendCatchStatement(TryClause*) {}
void appendFinallyStatement(TryClause*) {}
void appendGotoStatement(StmtNode*, int32_t, int32_t) {}
void appendMonitorExit(StmtNode*) {}
void appendCallFinally(StmtNode*) {}
void appendLeaveScope(Member*) {}
void appendNullStatement(int32_t, int32_t) {}
void appendDeclarationStatement(int32_t, int32_t) {}
void appendPositionLabel(int32_t, int32_t) {}
void linkLoopStart(StmtNode* startLabel, StmtNode* link) {
  startLabel->loopLink = link;
}
void markLoopTail(StmtNode*) {}
void checkReturnStatement(ExprNode*, int32_t, int32_t) {}
void checkThrowStatement(ExprNode*, int32_t, int32_t) {}
void appendExpressionStatement(int32_t, ExprNode*, int32_t, int32_t) {}
bool isStatementExpression(const ExprNode*) {
  return true;
}
void appendJumpIfFalse(ExprNode*, StmtNode*, int32_t, int32_t) {}
void appendJumpIfTrue(ExprNode*, StmtNode*, int32_t, int32_t) {}
void appendIfTrue(ExprNode*, StmtNode*, int32_t, int32_t) {}
int32_t invertComparison(int32_t op) {
  return op;
}
void pushLabelContext(JumpContext*, Identifier*) {}
void pushLoopContext(JumpContext*) {}
void beginSwitch(JumpContext*, ExprNode*, int32_t, int32_t) {}
void beginTryContext(JumpContext*, int32_t, int32_t) {}
void beginSynchronized(JumpContext*, ExprNode*, int32_t, int32_t) {}
void popJumpContext() {}
JumpContext* findJumpContextByLabel(Identifier*) {
  return nullptr;
}
Member* unwindJumpContexts(JumpContext*) {
  return nullptr;
}
void addCaseLabel(ExprNode*, int32_t, int32_t) {}
void addDefaultLabel() {}
void beginScopesForLocals(ExprNode*) {}
void beginMethodBody() {}
void emitInstanceInitializers(Member*) {}
