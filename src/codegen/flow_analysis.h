// The code driver of one method: reachability and definite (un)assignment over its lowered
// statement list, then its bytecode and the closing return, laid out by the method code.
// Placeholder: emitCode emits only what keeps a body loadable (a constructor's call of its
// superclass's no-argument constructor, then a return of the result type's zero value), and
// leaves a result in which every variable is definitely assigned, so no blank final is reported.
// The blank-final predicates and the assignment sets are complete.
#pragma once

#include <cstdint>

struct Member;
struct Scope;

// Three bit sets of `count` bits, most significant bit first in each byte: DA (definitely
// assigned), DU (definitely unassigned), FA (a final variable may have been assigned). The
// bytes follow the record in the same allocation of the generation arena.
struct AssignSets {
  int32_t count;
  uint8_t* assigned;
  uint8_t* unassigned;
  uint8_t* finalAssigned;
};

// All three empty.
AssignSets* newAssignSets(int32_t count);
// False for an index outside the sets.
bool isDefinitelyAssigned(const AssignSets* sets, int32_t index);
bool isDefinitelyUnassigned(const AssignSets* sets, int32_t index);

// Generates the code of the current method (global.ctx.currentMethod; none for the class
// initializer) from the statement list in global.ctx, `scope` being its outermost scope, and
// returns the code length (resolveJumps). Variable i of the assignment sets is the local slot i,
// or max_locals + the blank-final number of a tracked blank final field; the sets at the method's
// exits go to the class being generated (ClassDef::blankFinalResult).
int32_t emitCode(Scope* scope);

// A final field of the class being generated declared without an initializer; instance or static.
bool isBlankFinalField(const Member* field);
bool isBlankFinalInstanceField(const Member* field);
bool isBlankFinalStaticField(const Member* field);
// Whether the constructor's body begins by calling another constructor of its class, this(...).
bool constructorCallsThis(const Member* constructor);
