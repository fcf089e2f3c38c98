// Statements. Placeholder: a block is skipped to its closing brace.
#include "syntax/statements.h"

#include "syntax/compilation_unit.h"
#include "syntax/scanner.h"

int32_t parseBlock(int32_t) {
  skipBalanced(T_RBRACE);
  return currentToken()->kind == T_RBRACE ? 1 : 0;
}
void parseStatement(int32_t, bool) {}
int32_t parseLocalVariableDeclaration(ClassDef*, uint16_t, Type*, int32_t, int32_t) {
  return 0;
}
void parseForStatement(int32_t, JumpContext*) {}
void parseTryStatement(int32_t, StmtNode*, StmtNode*) {}
