// The entries that parse the deferred parts of a class one at a time (method and constructor
// bodies, initializer blocks, field initializers fresh or in the middle of another parse) and
// build the bodies the source never had (compiler-made constructors, access methods), each
// setting up and taking down the parser context and scopes in a fixed way.
// Placeholder: declared only; nothing is parsed and every statement list stays empty.
#pragma once

#include <cstdint>

struct ClassDef;
struct ExprNode;
struct Member;
struct Scope;

void beginClassParse(ClassDef* cls);
void parseInitializerBlock(Member* initializer);
// Non-zero when the block parsed.
int32_t parseBlockAt(Member* initializer);
void parseFieldInitializer(Member* field);
void parseFieldInitializerNested(Member* field);
void parseFieldInitializerFresh(Member* field);
ExprNode* parseEvalExpression();
void parseMethodBody(Member* method);
void beginMethodParse(Member* method);
int32_t countParameterSlots(const Member* method);
void assignParameterSlots(Member* method);
void endScopeVariables(Scope* scope);
void buildDefaultConstructorBody(Member* constructor, int32_t line, int32_t column);
// kind: 0 call a method or constructor, 1 assign a field, 2 read a field.
void buildAccessorMethodBody(Member* accessMethod, Member* target, int32_t kind);
