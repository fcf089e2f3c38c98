// The layout of the class files the compiler writes (version 45.3): access flags, fields and
// method_info records with their Code, Exceptions, LineNumberTable and LocalVariableTable
// attributes, the class attributes, and the assembly of the finished file. Class generation fills
// the body buffer through genField and genMethod; writeClassFile then finishes each class of an
// outermost class and hands its bytes to the class-file output.
#pragma once

#include <cstdint>

#include "support/class_file_format.h"

struct ClassDef;
struct Member;
struct Scope;

constexpr int32_t CLASS_HEADER_SIZE = 10;  // magic, versions, constant_pool_count
constexpr int32_t MAX_CLASS_COUNT = 65535;  // any u2 count or index
constexpr int32_t MAX_CODE_LENGTH = 65535;

constexpr int32_t ACCESS_FORM_CLASS = 0;        // the class's own access_flags (without ACC_SUPER)
constexpr int32_t ACCESS_FORM_INNER_CLASS = 1;  // inner_class_access_flags

// From the class's ClassFlags. The class's own form has ACC_PUBLIC for a public class and for a
// protected member class: the virtual machine checks a class's own flags when a subclass in
// another package uses it, and knows no protected class.
uint16_t classAccessFlags(const ClassDef* cls, int32_t form);
// From a member's ModifierBits. strictfp is ACC_STRICT; widefp has no flag of its own.
uint16_t memberAccessFlags(uint16_t modifiers);

// True when a static initializer block, a static field initialized in the class initializer
// (needsClinitInit) or a blank final static field needs a <clinit>.
bool classNeedsClinit(ClassDef* cls);

// One field_info: flags, name, descriptor, and ConstantValue for a final field that kept a
// constant, Deprecated, Synthetic.
void genField(Member* field);
// One method_info; its Code attribute when classGen.methodHasCode is set, with classGen.maxLocals
// and the method's scope. Counts the method in classGen.methodCount. For a constructor it numbers
// the class's blank final fields first and reports those its code leaves unassigned. With
// classGen.checkOnly nothing is written: the body's flow is analysed (checkCode), with its reports.
void genMethod(Member* method);
// A Code attribute for the current method (null: the class initializer) of outermost scope
// `scope`: runs emitCode, then writes max_stack (never below the depth the code really
// reaches), max_locals, the code, the exception table and the line and local tables. A length,
// depth or count a class file cannot hold is an error of the class's source file.
void genCodeAttribute(Member* method, Scope* scope);
// What genCodeAttribute reports of the code's flow (unreached statements, a missing return,
// definite assignment), with classGen.checkOnly set: no code is made and nothing written.
void checkCode(Member* method, Scope* scope);
// The part of a Code attribute after its length, once the method's code is laid out (length bytes):
// from max_stack to the last table.
void writeCodeAttributeBody(const Member* method, int32_t length);
// Numbers the blank final fields of the class being generated for the code that follows (a
// constructor or the class initializer); `byThisCall`: the code begins with this(...), so they
// count as assigned.
void numberBlankFinals(ClassDef* cls, bool byThisCall);

int32_t countExceptionEntries();
void writeExceptionTable();
void writeInnerClasses(ClassDef* cls);
void writeInnerClassEntry(ClassDef* cls);

// Finishes the class and, first, the classes nested in it, each only while its source file has no
// error, and hands each finished file to the class-file output to keep until its source file is
// complete; a class so kept counts as written.
void writeClassFile(ClassDef* cls);
