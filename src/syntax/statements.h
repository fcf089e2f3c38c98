// The statement parser: a body read statement by statement and lowered at once into the
// statement list, with locals declared and expressions attributed as they are read. Every
// statement ends with its last token current (its ";" or "}"), and every scope and jump context
// it opens is closed on every way out.
#pragma once

#include <cstdint>

struct ClassDef;
struct JumpContext;
struct StmtNode;
struct Type;

// kind is the MemberKind of the body. The current token is "{"; on return it is "}". 1 when the
// closing brace was found, 0 at the end of the file.
int32_t parseBlock(int32_t kind);
// declarationAllowed: the statement stands directly in a block (a local declaration, and in a
// switch body a case label, may stand there).
void parseStatement(int32_t kind, bool declarationAllowed);
// The current token is the first declarator's name; 1 on success with ";" current.
int32_t parseLocalVariableDeclaration(ClassDef* cls, uint16_t modifiers, Type* type, int32_t line,
                                      int32_t column);
// The current token is "for"; the loop's context is pushed by the caller.
void parseForStatement(int32_t kind, JumpContext* loop);
// The catch and finally clauses of the try whose body ran from startLabel to endLabel; the
// current token is the body's "}".
void parseTryStatement(int32_t kind, StmtNode* startLabel, StmtNode* endLabel);
