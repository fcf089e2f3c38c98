// Flow analysis. Placeholder: no statement is analysed or generated; every body becomes the least
// code the virtual machine loads and verifies (see the header), until statement generation takes
// its place.
#include "codegen/flow_analysis.h"

#include <cstring>

#include "codegen/class_gen_state.h"
#include "codegen/constant_pool.h"
#include "codegen/method_code.h"
#include "codegen/opcodes.h"
#include "semantic/class_records.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/global.h"

AssignSets* newAssignSets(int32_t count) {
  size_t bytes = static_cast<size_t>((count + 7) / 8);
  auto* sets = arenaNewWithTail<AssignSets>(&global.genArena, 3 * bytes);
  auto* bits = reinterpret_cast<uint8_t*>(sets + 1);
  sets->count = count;
  sets->assigned = bits;
  sets->unassigned = bits + bytes;
  sets->finalAssigned = bits + 2 * bytes;
  return sets;
}

static bool testBit(const uint8_t* bits, int32_t count, int32_t index) {
  return index >= 0 && index < count && (bits[index / 8] & (0x80 >> (index % 8))) != 0;
}

bool isDefinitelyAssigned(const AssignSets* sets, int32_t index) {
  return sets != nullptr && testBit(sets->assigned, sets->count, index);
}

bool isDefinitelyUnassigned(const AssignSets* sets, int32_t index) {
  return sets != nullptr && testBit(sets->unassigned, sets->count, index);
}

bool isBlankFinalField(const Member* field) {
  return field->kind == MK_VARIABLE && (field->modifiers & M_FINAL) != 0 &&
         (field->variableFlags & VAR_HAS_INITIALIZER) == 0 && classGen.cls != nullptr && field->owner == classGen.cls;
}

bool isBlankFinalInstanceField(const Member* field) {
  return isBlankFinalField(field) && (field->modifiers & M_STATIC) == 0;
}

bool isBlankFinalStaticField(const Member* field) {
  return isBlankFinalField(field) && (field->modifiers & M_STATIC) != 0;
}

bool constructorCallsThis(const Member*) {
  return false;
}

static void emitSuperConstructorCall() {
  ClassDef* cls = classGen.cls;
  ClassDef* super = cls != nullptr && cls->superclass != nullptr ? cls->superclass->resolved : nullptr;
  if (super == nullptr) return;
  const Member* noArguments = nullptr;
  for (const Member* m = super->members; m != nullptr && noArguments == nullptr; m = m->next)
    if (m->kind == MK_CONSTRUCTOR && m->parameters == nullptr) noArguments = m;
  uint16_t method = noArguments != nullptr
                        ? addMethodRef(noArguments)
                        : addMemberRefIndexes(CONSTANT_METHOD, addClass(super),
                                              addNameAndTypeIndexes(addUtf8("<init>"), addUtf8("()V")));
  emitByte(OP_ALOAD_0);
  emitByte(OP_INVOKESPECIAL);
  emitShort(method);
}

static void emitZeroReturn(const Member* method) {
  const Type* type = method != nullptr && method->kind == MK_METHOD ? method->type : nullptr;
  switch (type != nullptr ? type->kind : TK_VOID) {
    case TK_BOOLEAN:
    case TK_CHAR:
    case TK_BYTE:
    case TK_SHORT:
    case TK_INT:
      emitByte(OP_ICONST_0);
      emitByte(OP_IRETURN);
      break;
    case TK_LONG:
      emitByte(OP_LCONST_0);
      emitByte(OP_LRETURN);
      break;
    case TK_FLOAT:
      emitByte(OP_FCONST_0);
      emitByte(OP_FRETURN);
      break;
    case TK_DOUBLE:
      emitByte(OP_DCONST_0);
      emitByte(OP_DRETURN);
      break;
    case TK_CLASS:
    case TK_ARRAY:
      emitByte(OP_ACONST_NULL);
      emitByte(OP_ARETURN);
      break;
    default:
      emitByte(OP_RETURN);
      break;
  }
}

int32_t emitCode(Scope* scope) {
  initMethodCode(scope);
  Member* method = global.ctx.currentMethod;
  if (method != nullptr && method->kind == MK_CONSTRUCTOR) emitSuperConstructorCall();
  emitZeroReturn(method);
  int32_t count = classGen.maxLocals + classGen.blankFinalCount;
  if (classGen.cls != nullptr && count > 0) {
    AssignSets* all = newAssignSets(count);
    std::memset(all->assigned, 0xFF, static_cast<size_t>((count + 7) / 8));
    classGen.cls->blankFinalResult = all;
  }
  return resolveJumps();
}
