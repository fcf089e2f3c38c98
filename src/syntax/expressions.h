// The expression parser: precedence climbing over the scanner, building attributed nodes.
#pragma once

struct ExprNode;

// The current token is the expression's first token; on return it is the token after it.
ExprNode* parseExpression();
