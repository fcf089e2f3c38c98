// Classes declared inside other classes: member classes, and local and anonymous classes, which
// are to be compiled completely where their declaration ends.
// Placeholder: a local class is parsed and entered but not compiled (compileLocalClass does
// nothing), and parseAnonymousClass parses nothing and gives the error type.
#pragma once

#include <cstdint>

#include "semantic/class_records.h"

struct ClassDef;
struct ClassRef;
struct ExprNode;
struct Identifier;
struct Member;
struct SourceFile;
struct Type;

// Nesting kinds passed by the parser (ClassFlags bits of the nested class). Local and anonymous
// classes are private to the body that declares them; an anonymous class is final too.
constexpr uint16_t NESTED_STATIC_MEMBER = CF_STATIC;
constexpr uint16_t NESTED_INNER_MEMBER = CF_INNER_MEMBER;
constexpr uint16_t NESTED_LOCAL = CF_LOCAL | CF_PRIVATE;
constexpr uint16_t NESTED_ANONYMOUS = CF_ANONYMOUS | CF_LOCAL | CF_PRIVATE | CF_FINAL;

// The ClassFlags that a nested class's modifiers give, ORed into `flags`.
uint16_t nestedClassAccessFlags(uint16_t modifiers, uint16_t flags);
// The outer class already has a member class of the name.
bool isMemberClassNameTaken(const ClassDef* outer, const Identifier* name);
// The current token is `class` or `interface` (for an anonymous class, its "{").
Member* parseNestedClass(SourceFile* file, ClassDef* outer, uint16_t nestingFlags, uint16_t modifiers, Identifier* name,
                         ClassRef* superclass, ExprNode* anonymousArguments, ClassRef* interfaces, int32_t line,
                         int32_t column);
// A local class at the current token of a body: entered into the current scope and compiled.
ClassDef* parseLocalClass(uint16_t nestingFlags, Identifier* name, uint16_t modifiers, ClassRef* superclass,
                          ExprNode* anonymousArguments, ClassRef* interfaces, int32_t line, int32_t column);
void compileLocalClass(ClassDef* cls);
Type* parseAnonymousClass(Type* type, ExprNode* arguments, int32_t line, int32_t column);
