// Field and method descriptors, internal class names and dotted class names. Texts are built as
// 16-bit characters in the name buffer and stored as Utf8 entries of the pool; each class a
// descriptor or internal name names is noted as a dependency (dependency_lines).
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct Member;
struct Package;
struct Type;

// Each returns the pool index of the Utf8 it builds. Building an internal name or the descriptor of
// a resolved class notes a dependency on that class.
uint16_t fieldDescriptor(const Type* type);
uint16_t classDescriptor(ClassDef* cls);
// "(" the parameter types in order ")" the result type, "V" when there is none (a constructor).
uint16_t methodDescriptor(const Member* method);
// The package path with "/" after each component, then the binary name.
uint16_t internalClassName(ClassDef* cls);

// Into the name buffer, appended. A type: "[" per array level, then the letter of its kind ("@"
// for the error type, nothing for a qualifier), or the class descriptor; a class reference that is
// still unresolved gives "L", its name as written, ";". Binary names must already be computed
// (prepareDescriptorNames), since computing one uses the name buffer.
void appendTypeDescriptor(const Type* type, uint16_t separator);
void appendClassDescriptor(const ClassDef* cls, const Identifier* name, uint16_t separator);
void appendPackagePath(const Package* package, uint16_t separator);
// Computes the binary name of the class a type names, so that a descriptor can be built.
void prepareDescriptorNames(const Type* type);

// The class's package names and binary name joined by dots (a member class keeps its "$"), made
// once and kept in the class.
const char* dottedClassName(ClassDef* cls);
