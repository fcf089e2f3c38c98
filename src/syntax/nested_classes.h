// Classes declared inside other classes: member classes, and local and anonymous classes, which
// are compiled completely where their declaration ends.
#pragma once

#include <cstdint>

struct ClassDef;
struct ClassRef;
struct ExprNode;
struct Identifier;
struct Member;
struct SourceFile;
struct Type;

// Nesting kinds passed by the parser (ClassFlags bits of the nested class).
constexpr uint16_t NESTED_STATIC_MEMBER = 0x80;
constexpr uint16_t NESTED_INNER_MEMBER = 0x100;
constexpr uint16_t NESTED_LOCAL = 0x40 | 0x200;
constexpr uint16_t NESTED_ANONYMOUS = 0x20 | 0x40 | 0x200 | 0x4;

uint16_t nestedClassAccessFlags(uint16_t modifiers, uint16_t flags);
// The current token is `class` or `interface` (for an anonymous class, its "{").
Member* parseNestedClass(SourceFile* file, ClassDef* outer, uint16_t nestingFlags, uint16_t modifiers, Identifier* name,
                         ClassRef* superclass, ExprNode* anonymousArguments, ClassRef* interfaces, int32_t line,
                         int32_t column);
ClassDef* parseLocalClass(uint16_t nestingFlags, Identifier* name, uint16_t modifiers, ClassRef* superclass,
                          ExprNode* anonymousArguments, ClassRef* interfaces, int32_t line, int32_t column);
void compileLocalClass(ClassDef* cls);
Type* parseAnonymousClass(Type* type, ExprNode* arguments, int32_t line, int32_t column);
