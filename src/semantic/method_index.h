// The methods and constructors of each class by name: a table beside the member lists, filled
// for a class the first time it is asked about, so that the checks which compare every method of
// a class with the methods of its supertypes probe once per name instead of walking the lists.
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct Member;

struct MethodIndexEntry {
  MethodIndexEntry* next;  // in its bucket
  ClassDef* cls;
  Member* method;
  int32_t order;  // the method's place in its class's member list, counted from 0
};

// The first entry of the class's methods (name null: constructors) of that name, then the next
// ones; in no particular order (each entry knows its place).
MethodIndexEntry* firstMethodNamed(ClassDef* cls, const Identifier* name);
MethodIndexEntry* nextMethodNamed(MethodIndexEntry* entry);
// A method appended to the class's member list, at place `order`, after the class may have been
// indexed.
void indexAppendedMethod(ClassDef* cls, Member* method, int32_t order);
// Forgets every entry: the table points into the main arena.
void resetMethodIndex();
// How many entries the lookups have compared, for tests that prove they do not walk.
int64_t methodIndexProbeCount();
