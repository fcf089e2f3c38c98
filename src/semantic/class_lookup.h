// Class lookup: a class by package and name, from the class table, the class path or the source
// path.
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct Member;
struct Package;

ClassDef* loadClass(Package* package, Identifier* name, int32_t line, int32_t column);

// A local variable or catch parameter: its types resolved, and a local slot unless static.
void declareMember(ClassDef* cls, Member* member);
