// The synthetic state of nested classes: the outer-instance field, copies of captured locals,
// the hidden constructor parameters that fill them, and their insertion into the member list.
// Placeholder in part: a synthetic parameter added to the constructor being parsed gets no local
// slot yet.
#pragma once

#include <cstdint>

struct ClassDef;
struct Member;
struct Parameter;

// The field of `cls` that stands for the outer local `variable` (null: the outer instance), made
// on first use with a parameter in every constructor that fills it; a non-final local is
// "local.class.must.use.finals".
Member* captureOuterLocal(Member* variable, ClassDef* cls, int32_t line, int32_t column, Parameter* origin);
// A class extending a nested class passes the superclass constructor's synthetic parameters on.
void copySuperSyntheticParameters(ClassDef* cls);
// Adds the members to the class (synthetic ones in front), reporting any whose name a member
// already has ("using.dollar.name").
void checkDollarName(ClassDef* cls, Member* newMembers);
