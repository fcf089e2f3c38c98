// Nesting of expression trees, measured with a stack of its own.
#include "codegen/expression_depth.h"

#include "semantic/expression_nodes.h"
#include "semantic/statement_lists.h"
#include "semantic/try_clauses.h"
#include "support/diagnostics.h"
#include "support/frame_stack.h"

namespace {

struct Level {
  ExprNode* node;
  int32_t depth;
};

bool tooDeep(ExprNode* root, int32_t line, int32_t column) {
  if (root == nullptr) return false;
  FrameStack<Level, 64> stack;
  stack.push({root, 1});
  while (!stack.empty()) {
    Level level = stack.top();
    stack.pop();
    if (level.depth > MAX_EXPRESSION_DEPTH) {
      errorAt(line, column, "expression.too.deep", intToString(MAX_EXPRESSION_DEPTH));
      return true;
    }
    ExprNode* e = level.node;
    int32_t next = level.depth + 1;
    if (e->left != nullptr) stack.push({e->left, isLeftChainOperator(e->op) ? level.depth : next});
    ExprNode* children[] = {e->right, e->third, e->list, e->savedQualifier};
    for (ExprNode* child : children)
      if (child != nullptr) stack.push({child, next});
    for (ArrayDimension* d = e->dimensions; d != nullptr; d = d->next)
      if (d->size != nullptr) stack.push({d->size, next});
  }
  return false;
}

// The column without the flag bits the parser keeps above it.
// The statements from `first` to `last` (null: to the end of the list).
bool listTooDeep(StmtNode* first, StmtNode* last) {
  for (StmtNode* s = first; s != nullptr; s = s == last ? nullptr : s->next) {
    ExprNode* e = s->expression;
    if (e != nullptr && tooDeep(e, e->line != 0 ? e->line : s->line, e->line != 0 ? exprColumn(e) : s->column))
      return true;
  }
  return false;
}

}  // namespace

bool hasTooDeepExpression(StmtNode* first, TryClause* clauses) {
  if (listTooDeep(first, nullptr)) return true;
  for (TryClause* c = clauses; c != nullptr; c = c->next)
    if (c->first != nullptr && listTooDeep(c->first, c->last)) return true;
  return false;
}
