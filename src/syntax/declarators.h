// Member declarators, types and names: field and method headers, formal parameters, types with
// their brackets, qualified names, local variables with their initializers, and the constant
// values that variables keep.
#pragma once

#include <cstdint>

struct ArrayDimension;
struct ClassDef;
struct ClassRef;
struct ExprNode;
struct Identifier;
struct Member;
struct Parameter;
struct Type;

// Field-declaration results.
constexpr int32_t DECLARATION_FAILED = 0;
constexpr int32_t DECLARATION_VARIABLES = 2;  // the current token should be ";"
constexpr int32_t DECLARATION_METHOD = 3;

// The current token is the first declarator's name.
int32_t parseFieldDeclaration(ClassDef* cls, uint16_t modifiers, Type* type, bool isLocal);
// The current token is the "(" of the parameter list; name and result type null for a constructor.
Member* parseMethodDeclaration(Identifier* name, int32_t line, int32_t column, uint16_t modifiers, Type* resultType);
// The current token is "("; on success it is the closing ")".
int32_t parseFormalParameters(Parameter** list);
// The current token is the type's first token (or the one after `base`); on return it is the
// token after the type.
Type* parseType(Type* base, ArrayDimension** dimensions, bool sizeRequired);
// The current token is the first name, or with `first` given the token after it; the token after
// the name is pushed back.
ClassRef* parseQualifiedName(Identifier* first, int32_t line, int32_t column);
ExprNode* parseVariableInitializer(bool staticContext);
// Keeps the constant of a variable's attributed initializer (an O_INIT) as its value (FIELD_CONSTANT_KEPT).
void recordConstantValue(Member* variable, ExprNode* node);
Type* arrayTypeOf(Type* type);
