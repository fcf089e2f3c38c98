// Entering and leaving scopes, and the local-slot allocator: a scope starts at its outer scope's
// next free slot, and the highest slot reached is carried out when an inner scope closes.
#pragma once

#include <cstdint>

struct Scope;

// The scope becomes global.ctx.scope, owned by the current class, inside the scope that was current.
void pushScope(Scope* scope);
// Leaves the scope for its outer one, which keeps the higher slot count when both are of one class.
void popScope(Scope* scope);
// The current scope's next free slot and highest slot count.
void setScopeSlots(int32_t next, int32_t maximum);
// Takes `count` local slots in the current scope, the first returned; reaching 65536 slots in a
// method is reported ("exceeds.max.slots").
int32_t allocLocalSlots(int32_t count);
// The current scope's next free slot moves up to its highest slot count: what it declares from
// here takes no slot that an earlier statement of the scope used.
void skipUsedSlots();

// A scope open for the life of a C++ block: popped on every way out, a stop that unwinds through
// it included, unless closed before.
class OpenScope {
 public:
  explicit OpenScope(Scope* scope) : scope_(scope) { pushScope(scope); }
  ~OpenScope() { close(); }
  OpenScope(const OpenScope&) = delete;
  OpenScope& operator=(const OpenScope&) = delete;
  void close() {
    if (scope_ != nullptr) popScope(scope_);
    scope_ = nullptr;
  }

 private:
  Scope* scope_;
};

// The slots of a try statement counted on their own: while it is read, the highest slot count of
// the scope it stands in starts again at the scope's next free slot, and the larger of the two
// counts is kept when it ends (on every way out). Its finally, which the body and catch clauses
// call with values of theirs pending in those slots (the return value of a try inside), then
// places its own locals above all of them (skipUsedSlots).
class TrySlots {
 public:
  TrySlots();
  ~TrySlots();
  TrySlots(const TrySlots&) = delete;
  TrySlots& operator=(const TrySlots&) = delete;

 private:
  Scope* scope_;
  int32_t outerMaximum_;
};
