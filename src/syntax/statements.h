// The statement parser: a body read statement by statement and lowered at once into the
// statement list, with locals declared and expressions attributed as they are read.
// Placeholder: declared only; a block is skipped to its closing brace.
#pragma once

#include <cstdint>

struct ClassDef;
struct JumpContext;
struct StmtNode;
struct Type;

// kind is the MemberKind of the body. The current token is "{"; on return it is "}". 1 when the
// closing brace was found, 0 at the end of the file.
int32_t parseBlock(int32_t kind);
void parseStatement(int32_t kind, bool declarationAllowed);
// 1 on success with ";" current.
int32_t parseLocalVariableDeclaration(ClassDef* cls, uint16_t modifiers, Type* type, int32_t line,
                                      int32_t column);
void parseForStatement(int32_t kind, JumpContext* loop);
void parseTryStatement(int32_t kind, StmtNode* startLabel, StmtNode* endLabel);
