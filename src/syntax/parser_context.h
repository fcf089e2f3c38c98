// The parser and attribution context: the class, method and scope being parsed.
#pragma once

struct ClassDef;
struct Member;
struct Scope;

// Still lacks the body-building state (jump contexts, try clauses) that the statement parser adds.
struct ParserContext {
  ClassDef* enclosing;
  Member* currentMethod;
  Scope* scope;
};
