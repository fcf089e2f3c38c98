// The parser and attribution context (global.ctx) and the scopes that declarations are entered
// into: plain records that global embeds. The scopes' functions are in syntax/scopes.h.
#pragma once

#include <cstdint>

struct ClassDef;
struct ForwardUse;
struct JumpContext;
struct Member;
struct ScopeNames;
struct StmtNode;
struct TryClause;

// A class, method or block scope. Class and method scopes live in the main arena; the scopes of
// blocks, clauses and for statements live in the parsing function's frame.
struct Scope {
  ClassDef* owner;
  Scope* outer;
  Member* first;  // members and variables in declaration order, linked through Member::next
  Member* last;
  int32_t maxSlots;
  int32_t nextSlot;
  // The locals by name, made by the lookup once the scope is long (semantic/name_lookup.h).
  ScopeNames* names;
};

// Bits of ParserContext::flags.
constexpr uint32_t CTX_NESTED_CLAUSE = 1;  // statements go to a nested clause list
constexpr uint32_t CTX_STATIC = 2;         // no current instance: this and super are plain names
// The arguments of this(...) or super(...): the object is not made yet, so a class declared there
// has no outer instance.
constexpr uint32_t CTX_CONSTRUCTOR_CALL_ARGUMENTS = 4;
// The instance initializers again, in a constructor after one whose code was checked: the
// statements made are marked STMT_REPEATED.
constexpr uint32_t CTX_REPEATED_INITIALIZERS = 8;

struct ParserContext {
  ClassDef* enclosing;
  Scope* scope;
  StmtNode* firstStatement;
  StmtNode* lastStatement;
  int32_t statementCount;
  int32_t bodyLine;
  // The body's closing brace: the place of its end, where falling off it is reported and its last
  // return is put. Kept with the body, since the scanner has moved on before a local class's
  // bodies are generated.
  int32_t endLine;
  int32_t endColumn;
  JumpContext* jumps;
  TryClause* firstClause;
  TryClause* lastClause;
  Member* currentMethod;
  uint32_t flags;
  // A syntax error passed over part of the body (noteSkippedText), or a jump that names no
  // statement was left out: the statement list is not the whole body, and flow analysis, which
  // would find faults of the missing parts, passes it over.
  uint8_t bodyIncomplete;
  // An error was counted while the body was parsed, or a statement whose expression failed stands
  // in its list: its flow is analysed, but no code is made of it.
  uint8_t bodyFailed;
  // The field initializer or initializer block being parsed (an instance one inside the
  // constructor that runs it), whose rules its checked exceptions follow; null in a method body.
  Member* initializer;
  // The field initializer or initializer block being parsed, and the names in it that read a
  // field declared after it, kept until it is known that they are no assignment's target.
  Member* initializerPart;
  ForwardUse* forwardUses;
};
