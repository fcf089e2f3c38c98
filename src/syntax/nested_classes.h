// Classes declared inside other classes: member classes, and local and anonymous classes, which
// are compiled completely where their declaration ends.
#pragma once

#include <cstdint>

#include "semantic/class_records.h"
#include "semantic/passes.h"

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
// A local class at the current token of a body: entered into the current scope and compiled. A
// body parsed again meets the class its first parse made, which is entered again and not remade.
// On return the class's closing brace is the current token. `explicitOuter`: the anonymous class
// of o.new S() {...}, whose constructor takes S's outer instance apart from its own.
ClassDef* parseLocalClass(uint16_t nestingFlags, Identifier* name, uint16_t modifiers, ClassRef* superclass,
                          ExprNode* anonymousArguments, ClassRef* interfaces, int32_t line, int32_t column,
                          bool explicitOuter = false);
// The immediate compile: binary names and supertypes, declaration checks, then the code through
// the generator that code generation registers (none: the class is checked only). The class file
// is written with the outermost class around it, before that class's own.
void compileLocalClass(ClassDef* cls);
// A local class met again in a body parsed again while the class around it is generated once
// more: generated again where it stands, its declaration as the first parse made it.
void regenerateLocalClass(ClassDef* cls);
void setLocalClassGenerator(ClassPass generator);
// The class of `new T(arguments) {` at the "{": the Type bound to it, the error type (after a
// report, or for a type that failed already, whose body the caller passes over) or null.
// `explicitOuter`: the creation names the outer instance (o.new S() {...}).
Type* parseAnonymousClass(Type* type, ExprNode* arguments, bool explicitOuter, int32_t line, int32_t column);
