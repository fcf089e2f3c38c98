// Scopes and the local-slot allocator. Slot counts live in the scopes themselves, so that nested
// class bodies, which push scopes of their own, never disturb the method around them.
#include "syntax/scopes.h"

#include "support/diagnostics.h"
#include "support/global.h"
#include "support/parser_context.h"
#include "syntax/scanner.h"

constexpr int32_t MAX_LOCAL_SLOTS = 65536;

void pushScope(Scope* scope) {
  Scope* outer = global.ctx.scope;
  *scope = Scope{};
  scope->outer = outer;
  scope->owner = global.ctx.enclosing;
  if (outer != nullptr) {
    scope->nextSlot = outer->nextSlot;
    scope->maxSlots = outer->maxSlots > outer->nextSlot ? outer->maxSlots : outer->nextSlot;
  }
  global.ctx.scope = scope;
}

void popScope(Scope* scope) {
  Scope* outer = scope->outer;
  global.ctx.scope = outer;
  if (outer != nullptr && outer->owner == scope->owner && outer->maxSlots < scope->maxSlots)
    outer->maxSlots = scope->maxSlots;
}

void setScopeSlots(int32_t next, int32_t maximum) {
  Scope* scope = global.ctx.scope;
  scope->nextSlot = next;
  scope->maxSlots = next > maximum ? next : maximum;
}

int32_t allocLocalSlots(int32_t count) {
  Scope* scope = global.ctx.scope;
  int32_t first = scope->nextSlot;
  scope->nextSlot += count;
  if (scope->nextSlot > scope->maxSlots) scope->maxSlots = scope->nextSlot;
  // Reported where the slots first run out; the locals after it are the same fault.
  // Their flow is not analysed: the locals past the limit cannot be tracked, and a body of so many
  // is too big to track at all.
  if (first < MAX_LOCAL_SLOTS && scope->nextSlot >= MAX_LOCAL_SLOTS) {
    errorAt(token().line, token().column, "exceeds.max.slots");
    global.ctx.bodyIncomplete = 1;
  }
  return first;
}

void skipUsedSlots() {
  Scope* scope = global.ctx.scope;
  scope->nextSlot = scope->maxSlots;
}

TrySlots::TrySlots() : scope_(global.ctx.scope), outerMaximum_(0) {
  if (scope_ == nullptr) return;
  outerMaximum_ = scope_->maxSlots;
  scope_->maxSlots = scope_->nextSlot;
}

TrySlots::~TrySlots() {
  if (scope_ != nullptr && scope_->maxSlots < outerMaximum_) scope_->maxSlots = outerMaximum_;
}
