// Statement lists. Still lacks the statement records and jump contexts: nothing is appended.
#include "semantic/statement_lists.h"

void appendExpressionStatement(ExprNode*, int32_t, int32_t) {}
