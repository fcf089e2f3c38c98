// The access methods (access$N) and access constructors through which classes of one outermost
// class reach each other's private members, generated into the owner's class file after its
// other methods.
#pragma once

struct ClassDef;
struct ExprNode;
struct Member;

// What the class being generated calls to reach the member, or null when it reaches it directly:
// the private member's own access method (a field's getter, whose `next` is the setter) when the
// member is of another class; else the one a host around it holds for a protected member of
// another package reached through `qualifier` (null: this, an enclosing instance, or none).
Member* accessMethodFor(Member* member, const ExprNode* qualifier);

// Writes the access methods the class holds for other classes' members, after its own.
void genHostedAccessors(ClassDef* host);
// Writes the member's access methods into the body buffer of its owner, whose generation state
// is restored: each through genMethod, so each counts as a method written.
void genAccessorMethods(Member* member);
