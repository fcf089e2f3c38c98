// The class-generation state, the three moves it makes as a whole, and the operand-stack
// bookkeeping of the method in progress.
#include "codegen/class_gen_state.h"

#include <cstring>
#include <type_traits>

#include "semantic/class_records.h"
#include "support/arena.h"
#include "support/global.h"

static_assert(std::is_trivially_copyable_v<ClassGenState>, "the state is copied whole");

ClassGenState classGen;

void beginClassGenState(ClassDef* cls) {
  std::memset(static_cast<void*>(&classGen), 0, sizeof classGen);
  classGen.cls = cls;
  initConstantPool();
  newOutputBuffer(&classGen.body);
}

void keepClassGenState(ClassDef* cls) {
  auto* kept = arenaNew<ClassGenState>(&global.genArena);
  std::memcpy(static_cast<void*>(kept), &classGen, sizeof classGen);
  cls->savedGenState = kept;
}

void restoreClassGenState(const ClassDef* cls) {
  std::memcpy(static_cast<void*>(&classGen), cls->savedGenState, sizeof classGen);
}

void raiseStackDepth(int32_t slots) {
  classGen.stackDepth += slots;
  foldStackDepth();
}

void adjustStackDepth(int32_t delta) {
  classGen.stackDepth += delta;
  if (classGen.stackDepth < 0) classGen.stackDepth = 0;
  foldStackDepth();
}

void foldStackDepth() {
  if (classGen.stackDepth > classGen.maxStack) classGen.maxStack = classGen.stackDepth;
}
