// The leaves of expressions: literals, names and selections before resolution, and the this,
// null and super keywords.
#pragma once

#include <cstdint>

struct ClassDef;
struct ExprNode;
struct Identifier;

ExprNode* makeIdentifier(Identifier* name, int32_t line, int32_t column);
// An O_DOT left unresolved: a dotted name resolved as a whole later, or a selection its maker binds.
ExprNode* makeDot(ExprNode* qualifier, Identifier* name, int32_t line, int32_t column);
// An O_DOT resolved at once (a.length on an array becomes O_ALENGTH); null for a null qualifier.
ExprNode* makeFieldAccess(ExprNode* qualifier, Identifier* name, int32_t line, int32_t column);
// literalKind is a token kind: T_CHAR, T_INT or T_LONG; T_FLOAT or T_DOUBLE.
ExprNode* makeIntegerConstant(int32_t literalKind, int64_t value, int32_t line, int32_t column);
ExprNode* makeFloatingConstant(int32_t literalKind, double value, int32_t line, int32_t column);
ExprNode* makeStringConstant(const uint16_t* units, int32_t length, int32_t line, int32_t column);
ExprNode* makeBooleanConstant(int32_t value);
// op is O_THIS, O_NULL or O_SUPER; cls is the current class.
ExprNode* makeKeywordExpression(int32_t op, ClassDef* cls, int32_t line, int32_t column);
