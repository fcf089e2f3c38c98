// Class generation: each class from source, its member classes first, turned into the contents
// of its class file, with every method body parsed on demand and handed to code generation.
// Placeholder: bodies are parsed and attributed (so their diagnostics show) and then dropped;
// no code is generated and no file is written.
#pragma once

struct ClassDef;
struct Member;

void generateAllClasses();
// The outermost class around cls with everything nested in it.
void generateClass(ClassDef* cls);
void genClass(ClassDef* cls);
bool needsClinitInit(const Member* field);
void deleteListedFiles();
