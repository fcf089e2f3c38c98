// The depth limit of the expression trees that reach code generation. The parser bounds the
// nesting it reads by recursion, but a chain of binary operators, of selectors and calls, or the
// elements of an array initializer grows a tree as deep as it is long without any recursion of
// the parser; the analyses and the code generator then walk it recursively. A tree deeper than
// MAX_EXPRESSION_DEPTH is reported before they run. Its code would need at least a byte for each
// level (the limit is far below what the code of one method can hold), so only hostile or broken
// input meets it.
#pragma once

#include <cstdint>

struct StmtNode;
struct TryClause;

constexpr int32_t MAX_EXPRESSION_DEPTH = 8192;

// True, after "expression.too.deep" was reported at the first such expression, when an
// expression of the statement list from `first` or of a clause from `clauses` on is deeper than
// MAX_EXPRESSION_DEPTH. Walks the trees without recursion.
bool hasTooDeepExpression(StmtNode* first, TryClause* clauses);
