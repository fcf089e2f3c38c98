// Definite assignment and definite unassignment of a method's local variables and of the blank
// final fields its code must assign, over the statement graph that reachability marked: each
// statement keeps the sets at its entry and exit, and a path stops as soon as a statement's entry
// no longer changes. Reports uninitialized reads, second assignments of finals, finals assigned
// in a loop and assignments of final parameters.
#pragma once

#include <cstdint>

struct Member;
struct StmtNode;

// Three bit sets of `count` bits, most significant bit first in each byte: DA (definitely
// assigned), DU (definitely unassigned), FA (a final variable may have been assigned). The
// bytes follow the record in the same allocation of the generation arena.
struct AssignSets {
  int32_t count;
  int32_t blankFinalBase;  // the bit of the first blank final
  uint8_t* assigned;
  uint8_t* unassigned;
  uint8_t* finalAssigned;
};

// All three empty.
AssignSets* newAssignSets(int32_t count);
// False for an index outside the sets.
bool isDefinitelyAssigned(const AssignSets* sets, int32_t index);
bool isDefinitelyUnassigned(const AssignSets* sets, int32_t index);

// The bit of a variable in the current method's sets, or -1 when it is not tracked: a local or
// parameter by its slot, when its slot is followed; a blank final field of the class being
// generated, numbered for the code being generated, after the locals' bits.
int32_t blankFinalIndex(const Member* variable);
// Whether the blank final of the number is definitely assigned in the sets (false for null sets).
bool isBlankFinalAssigned(const AssignSets* sets, int32_t number);

// Runs the analysis over the current method's statement list (reachability done) with
// `count` = max_locals + the blank finals numbered; locals that can only be read where they are
// assigned get no bit. `preassigned`: the code starts with this(...),
// which assigns every blank final field. The sets at the normal exits are joined into the class
// being generated; code that never completes normally leaves every variable assigned there.
void analyseDefiniteAssignment(int32_t count, bool preassigned);
