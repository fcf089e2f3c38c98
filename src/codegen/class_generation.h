// Class generation: each class from source, its member classes first, turned into the contents of
// its class file (header, interfaces, fields, methods with every body parsed on demand and handed
// to code generation, the class initializer), kept in the class record, and written with
// everything nested in it once the outermost class is done.
#pragma once

struct ClassDef;
struct Member;

// What code generation keeps between classes, as at process start: a compile begins with it.
void resetCodeGeneration();
// The driver's last pass: generateClass for every outermost class from source.
void generateAllClasses();
// Generates and writes the outermost class around `cls` (a local or anonymous class is an
// outermost class of its own), in a generation arena and a ClassGenState of its own, so a class
// met while another is generated leaves that one's state as it was.
void generateClass(ClassDef* cls);
// A local or anonymous class where its declaration ends: its body buffer is built in the generation
// arena of the class being generated around it and kept with the class, which is written with
// that outermost class (before it, as a class of its inner-class list), so that the rest of the
// enclosing body may still give it access methods.
void generateLocalClass(ClassDef* cls);
// Builds the body buffer of one class, its member classes first, and keeps the state in the class.
void genClass(ClassDef* cls);
// A class whose source file has an error, or that has no source file, is neither generated nor
// written; the check is made again between its parts, since generation reports errors too.
bool sourceHasErrors(const ClassDef* cls);
// A static field whose initializer runs in the class initializer: not a final field that kept a
// constant value.
bool needsClinitInit(const Member* field);
