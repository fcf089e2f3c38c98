// Names of program elements as messages and dumps show them: types by simple name ("~" before an
// unresolved one), classes by package-qualified binary name, members as modifiers, type, name and
// parameter types. Each result is built in the name buffer and returned in the temporary arena.
#pragma once

#include <cstdint>

struct ClassDef;
struct ClassRef;
struct ExprNode;
struct Identifier;
struct Member;
struct Package;
struct Scope;
struct SourceFile;
struct Token;
struct Type;

const char* typeToString(const Type* type);
// The type of an expression as a message names it: the null literal's is "null".
const char* expressionTypeToString(const ExprNode* node);
void appendType(const Type* type);
const char* identToString(const Identifier* id);
void appendIdentifier(const Identifier* id);
const char* memberToString(const Member* member);
const char* methodToString(const Member* member);
// A member as its users name it: a field by its name, a method or constructor by its name and
// declared parameter types, as in f(int,String).
const char* memberSignatureToString(const Member* member);
void appendMemberSignature(const Member* member);
// The candidates of an ambiguous call: each method as its class and signature (p.A.f(int)), each
// constructor as its signature, separated by ", ".
const char* candidatesToString(Member* const* candidates, int32_t count);
void appendMember(const Member* member);
const char* methodSignatureToString(const Identifier* name, const ExprNode* arguments);
// A class by its qualified binary name; an anonymous class of a source as its users say it, in
// the message file's words ("anonymous.class.name"), where there are such words.
const char* classToString(ClassDef* cls);
// The qualified binary name whatever the class, as its file is named (-verbose).
const char* binaryClassToString(ClassDef* cls);
const char* classRefToString(ClassRef* ref);
const char* packageToString(const Package* package);
void appendClassRef(const ClassRef* ref);
void appendQualifiedName(const Package* package, const Identifier* name);
void appendPackageName(const Package* package);
void appendClassName(const ClassDef* cls);
const char* exprToString(const ExprNode* node);
void appendExprTree(const ExprNode* node, int32_t indent);
const char* statementKindName(int32_t kind);
const char* sourceFileToString(const SourceFile* file);
const char* tokenToString(const Token* token);
void dumpScopes();
// The compiler state a failed assertion prints: the current file, token, class and method.
const char* dumpGlobalContext();
void dumpScope(const Scope* scope);
