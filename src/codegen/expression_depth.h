// The depth limit of the expression trees that reach code generation, counted in the levels that
// the analyses and the code generator recurse through: a chain of left operands that they follow by
// a loop (isLeftChainOperator: a + b + c, a.b().c(), the elements of an initializer) adds none,
// however long, and every other operand adds one. The parser bounds the nesting it reads by
// recursion far below MAX_EXPRESSION_DEPTH, so only a tree that slips past it (a chain of
// qualified creations, a.new B().new C() ...) meets the limit; it is reported before the walks
// run, so no input exhausts their stack.
#pragma once

#include <cstdint>

struct StmtNode;
struct TryClause;

constexpr int32_t MAX_EXPRESSION_DEPTH = 8192;

// True, after "expression.too.deep" was reported at the first such expression, when an
// expression of the statement list from `first` or of a clause from `clauses` on nests more than
// MAX_EXPRESSION_DEPTH levels. Walks the trees without recursion.
bool hasTooDeepExpression(StmtNode* first, TryClause* clauses);
