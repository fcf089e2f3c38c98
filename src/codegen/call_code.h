// Bytecode of the expressions that reach other classes: method calls (through access methods
// where a private member of another class is used), instance and array creation with array
// initializers, string concatenation through StringBuffer, class literals, and the outer
// instances that `this` of an enclosing class and its fields are reached through.
#pragma once

#include <cstdint>

struct ClassDef;
struct ExprNode;
struct Type;

// A method call; d0 is the stack depth the call's code starts at, and with qualifierDone the code
// of its qualifier is there already (genExpression follows a chain a.b().c() by a loop).
void genCall(ExprNode* call, bool wanted, int32_t d0, bool qualifierDone);
// "abs.meth.call" for a call of an abstract method through super, which has no code to run.
void checkSuperCallTarget(const ExprNode* call);
// True when the call's code begins with its qualifier's, generated with the value wanted or not
// as *qualifierWanted says.
bool callGeneratesQualifierFirst(const ExprNode* call, bool* qualifierWanted);
// The class that a reference to the member of `use` (a field use or a call) names in place of the
// member's declaring class, or null for the declaring class itself: where the class being
// generated may not use the declaring class (a package-private class of another package that a
// public one extends), the qualifying type of the use (JLS 13.1), which the virtual machine lets
// it resolve: the class of the qualifier, the superclass for super, unqualified the innermost
// class around the use that has the member.
ClassDef* referenceClassOf(const ExprNode* use);
void genNew(ExprNode* creation, bool wanted);
// `arrayType` is the type of the array made, when the initializer node carries none.
void genArrayInitializer(ExprNode* initializer, const Type* arrayType, bool wanted);
void genStringConcat(ExprNode* concatenation, bool wanted);
void genClassLiteral(ExprNode* literal, bool wanted);

// The pieces of string concatenation that s += x shares: a new empty StringBuffer; appending a
// value already on the stack, by its type; each operand of a concatenation (or the one value)
// appended in turn; the buffer's String.
void genNewStringBuffer();
void genAppendValue(const Type* type);
void genAppends(ExprNode* operands);
void genBufferToString();

// The object that has the members of `cls`: aload_0 when the class being generated is `cls` or
// inherits from it, else the innermost enclosing instance whose class is or inherits from `cls`,
// through the chain of outer instances; "invalid.this.selector" (at `at`) when there is none.
void genThisOf(ClassDef* cls, const ExprNode* at);
// The instance of exactly `cls`, the class being generated or one around it (C.this), whatever
// their superclasses.
void genEnclosingInstance(ClassDef* cls, const ExprNode* at);
// The null check of an explicit outer instance: the value on the stack is dereferenced once.
void genNullCheck(const ExprNode* node);
