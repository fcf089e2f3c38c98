// Scopes and the local-slot allocator: a scope starts at its outer scope's next free slot, and the
// highest slot reached is carried out to the method's scope when an inner scope closes.
#include "support/diagnostics.h"
#include "support/global.h"
#include "syntax/parser_context.h"
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
  if (scope->maxSlots >= MAX_LOCAL_SLOTS) errorAt(currentToken()->line, currentToken()->column, "exceeds.max.slots");
  return first;
}
