// The synthetic state of nested classes: the outer-instance field, copies of captured locals,
// the hidden constructor parameters that fill them, and their insertion into the member list.
#pragma once

#include <cstdint>

struct ClassDef;
struct Member;
struct Parameter;

Member* captureOuterLocal(Member* variable, ClassDef* cls, int32_t line, int32_t column, Parameter* origin);
void copySuperSyntheticParameters(ClassDef* cls);
void checkDollarName(ClassDef* cls, Member* newMembers);
