// Try clauses and checked exceptions. Placeholder: no clause is made and every exception counts
// as caught.
#include "semantic/try_clauses.h"

TryClause* beginCatchClause(StmtNode*, StmtNode*, StmtNode*, Type*, Member*, int32_t, int32_t) {
  return nullptr;
}
void endCatchClause(TryClause*) {}
TryClause* beginFinallyClause(StmtNode*, int32_t, int32_t) {
  return nullptr;
}
void endFinallyClause(TryClause*) {}
TryClause* beginTryBody() {
  return nullptr;
}
void endTryBody(TryClause*) {}
void finishTryStatement(StmtNode*, TryClause*, TryClause*, TryClause*) {}
bool isCheckedException(ClassDef*) {
  return false;
}
int32_t noteThrownException(ClassDef*, int32_t, int32_t) {
  return 0;
}
void checkCatchClauses(StmtNode*, TryClause*, TryClause*) {}
bool isDeclaredOrUnchecked(ThrowsEntry*, ClassDef*) {
  return true;
}
bool isAlwaysCatchable(ClassDef*) {
  return true;
}
