// The access methods (access$N) and access constructors through which classes of one outermost
// class reach each other's private members, generated into the owner's class file after its
// other methods.
#pragma once

struct Member;

// Writes the member's access methods into the body buffer of its owner, whose generation state
// is restored: each through genMethod, so each counts as a method written.
void genAccessorMethods(Member* member);
