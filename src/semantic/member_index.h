// The members of a class by name, in member order within each name: the one table beside the
// member lists through which name lookup and the declaration checks find a class's fields,
// methods and constructors (name null) without walking the list.
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct Member;
struct MemberIndexNode;

// Every member of the class that has the name, in member order. The index is made at the first
// lookup of a class and follows its list as it grows: members appended at the tail are added, and
// a list whose head moved (synthetic members go in front) is indexed anew. A class of few members
// is walked.
class MembersNamed {
 public:
  MembersNamed(ClassDef* cls, const Identifier* name);
  Member* next();

 private:
  const Identifier* name_;
  Member* walk_ = nullptr;
  MemberIndexNode* node_ = nullptr;
};

// How many members, and slots of other names, the lookups have looked at, for tests that prove
// they do not walk.
int64_t memberIndexProbeCount();
