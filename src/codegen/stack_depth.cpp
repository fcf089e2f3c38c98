// Stack depths by a walk of the code: each instruction offset keeps the largest depth that reaches
// it, and is walked again whenever a larger one does. A subroutine call (jsr) enters its target
// with the return address on the stack and resumes after itself with the depth it had, as the
// subroutine leaves it. Code that no path reaches, or bytes that are no instruction, end a path.
#include "codegen/stack_depth.h"

#include <algorithm>

#include "codegen/constant_pool.h"
#include "codegen/method_code.h"
#include "codegen/opcodes.h"
#include "support/arena.h"
#include "support/frame_stack.h"
#include "support/global.h"

namespace {

// Far past any real depth: a path whose depth keeps growing (a loop that pushes) stops there.
constexpr int32_t DEPTH_CAP = 1 << 17;

struct Step {
  int32_t length;
  int32_t pops;
  int32_t pushes;
};

int32_t readS2(const uint8_t* at) {
  return static_cast<int16_t>((at[0] << 8) | at[1]);
}

int32_t readS4(const uint8_t* at) {
  return static_cast<int32_t>((static_cast<uint32_t>(at[0]) << 24) | (at[1] << 16) | (at[2] << 8) | at[3]);
}

int32_t typeSlots(uint8_t letter) {
  return letter == 'J' || letter == 'D' ? 2 : letter == 'V' ? 0 : 1;
}

// The slots of a method descriptor's parameters and of its result. The descriptor's modified
// UTF-8 spells its punctuation and letters in ASCII; a byte of a longer character is never one of
// them.
bool methodSlots(const Utf8Entry* descriptor, int32_t* arguments, int32_t* result) {
  const uint8_t* c = utf8EntryBytes(descriptor);
  int32_t n = descriptor->length;
  int32_t i = 0;
  if (n == 0 || c[i++] != '(') return false;
  *arguments = 0;
  while (i < n && c[i] != ')') {
    bool array = false;
    while (i < n && c[i] == '[') {
      array = true;
      i++;
    }
    if (i >= n) return false;
    if (c[i] == 'L')
      while (i < n && c[i] != ';') i++;
    *arguments += array ? 1 : typeSlots(c[i]);
    i++;
  }
  if (i + 1 >= n) return false;
  *result = c[i + 1] == '[' ? 1 : typeSlots(c[i + 1]);
  return true;
}

// The descriptor of a field or method reference at `index`.
const Utf8Entry* referenceDescriptor(int32_t index) {
  const ConstantEntry* reference = poolSlot(index).constant;
  if (reference == nullptr) return nullptr;
  const ConstantEntry* nameAndType = poolSlot(static_cast<int32_t>(reference->second)).constant;
  if (nameAndType == nullptr) return nullptr;
  return poolSlot(static_cast<int32_t>(nameAndType->second)).utf8;
}

// Taking and leaving of the field and invoke instructions. An entry the pool cannot explain
// counts as leaving two words, so the depth errs high.
void memberStep(uint8_t op, int32_t index, Step* step) {
  const Utf8Entry* descriptor = referenceDescriptor(index);
  if (descriptor == nullptr || descriptor->length == 0) {
    step->pops = 0;
    step->pushes = 2;
    return;
  }
  if (op <= OP_PUTFIELD) {
    int32_t size = utf8EntryBytes(descriptor)[0] == '[' ? 1 : typeSlots(utf8EntryBytes(descriptor)[0]);
    bool instance = op == OP_GETFIELD || op == OP_PUTFIELD;
    bool load = op == OP_GETSTATIC || op == OP_GETFIELD;
    step->pops = (instance ? 1 : 0) + (load ? 0 : size);
    step->pushes = load ? size : 0;
    return;
  }
  int32_t arguments = 0;
  int32_t result = 0;
  if (!methodSlots(descriptor, &arguments, &result)) {
    step->pops = 0;
    step->pushes = 2;
    return;
  }
  step->pops = arguments + (op == OP_INVOKESTATIC ? 0 : 1);
  step->pushes = result;
}

class DepthWalk {
 public:
  // The depths live in the generation arena, which the class's generation empties.
  DepthWalk(const uint8_t* code, int32_t length)
      : code_(code),
        length_(length),
        depthAt_(static_cast<int32_t*>(arenaAllocUncleared(&global.genArena, sizeof(int32_t) * length))) {
    std::fill(depthAt_, depthAt_ + length, -1);
  }

  void reach(int32_t pc, int32_t depth) {
    if (pc < 0 || pc >= length_) return;
    if (depth > DEPTH_CAP) depth = DEPTH_CAP;
    if (depth > maximum_) maximum_ = depth;
    if (depthAt_[pc] >= depth) return;
    depthAt_[pc] = depth;
    work_.push(pc);
  }

  int32_t run() {
    // Each offset is walked again only when a larger depth reaches it; the budget (a step per
    // instruction walked) ends the walk of code whose depths never settle.
    while (!work_.empty() && budget_-- > 0) {
      int32_t pc = work_.top();
      work_.pop();
      walk(pc, depthAt_[pc]);
    }
    return maximum_;
  }

 private:
  bool has(int32_t pc, int32_t bytes) const { return pc >= 0 && bytes >= 0 && pc + bytes <= length_; }

  // Straight on from `pc` while the next instruction is reached at a larger depth than before:
  // the walk a work list would make, taking the next instruction last pushed and first popped,
  // without the list.
  void walk(int32_t pc, int32_t depth) {
    while (step(&pc, &depth) && budget_-- > 0) {
    }
  }

  // One instruction; true with `pc` and `depth` moved on to the next one when that is to be walked.
  bool step(int32_t* at, int32_t* depthAt) {
    int32_t pc = *at;
    int32_t depth = *depthAt;
    uint8_t op = code_[pc];
    if (op > LAST_OPCODE || op == 186) return false;
    Step step{instructionLengths[op], opcodePops[op], opcodePushes[op]};
    switch (op) {
      case OP_TABLESWITCH:
      case OP_LOOKUPSWITCH:
        switchTargets(pc, depth - 1 < 0 ? 0 : depth - 1, op == OP_TABLESWITCH);
        return false;
      case OP_WIDE: {
        if (!has(pc, 2)) return false;
        uint8_t widened = code_[pc + 1];
        if (widened == OP_IINC) {
          step = Step{6, 0, 0};
        } else if (widened == OP_RET) {
          return false;
        } else if (widened >= OP_ILOAD && widened <= OP_ALOAD) {
          step = Step{4, 0, opcodePushes[widened]};
        } else if (widened >= OP_ISTORE && widened <= OP_ASTORE) {
          step = Step{4, opcodePops[widened], 0};
        } else {
          return false;
        }
        break;
      }
      case OP_GETSTATIC:
      case OP_PUTSTATIC:
      case OP_GETFIELD:
      case OP_PUTFIELD:
      case OP_INVOKEVIRTUAL:
      case OP_INVOKESPECIAL:
      case OP_INVOKESTATIC:
      case OP_INVOKEINTERFACE:
        if (!has(pc, step.length)) return false;
        memberStep(op, (code_[pc + 1] << 8) | code_[pc + 2], &step);
        break;
      case OP_MULTIANEWARRAY:
        if (!has(pc, step.length)) return false;
        step.pops = code_[pc + 3];
        break;
      default:
        break;
    }
    if (!has(pc, step.length)) return false;
    int32_t after = depth - step.pops;
    if (after < 0) after = 0;
    after += step.pushes;
    if (after > maximum_) maximum_ = after < DEPTH_CAP ? after : DEPTH_CAP;
    int32_t next = pc + step.length;
    switch (op) {
      case OP_GOTO:
        reach(pc + readS2(code_ + pc + 1), after);
        return false;
      case OP_GOTO_W:
        reach(pc + readS4(code_ + pc + 1), after);
        return false;
      case OP_JSR:
        reach(pc + readS2(code_ + pc + 1), after);
        return goOn(at, depthAt, next, depth);
      case OP_JSR_W:
        reach(pc + readS4(code_ + pc + 1), after);
        return goOn(at, depthAt, next, depth);
      case OP_RET:
      case OP_IRETURN:
      case OP_LRETURN:
      case OP_FRETURN:
      case OP_DRETURN:
      case OP_ARETURN:
      case OP_RETURN:
      case OP_ATHROW:
        return false;
      default:
        break;
    }
    if ((op >= OP_IFEQ && op <= OP_IF_ACMPNE) || op == OP_IFNULL || op == OP_IFNONNULL)
      reach(pc + readS2(code_ + pc + 1), after);
    return goOn(at, depthAt, next, after);
  }

  // What reach does for the next instruction, which is then walked at once instead of listed.
  bool goOn(int32_t* at, int32_t* depthAt, int32_t next, int32_t depth) {
    if (next < 0 || next >= length_) return false;
    if (depth > DEPTH_CAP) depth = DEPTH_CAP;
    if (depth > maximum_) maximum_ = depth;
    if (depthAt_[next] >= depth) return false;
    depthAt_[next] = depth;
    *at = next;
    *depthAt = depth;
    return true;
  }

  void switchTargets(int32_t pc, int32_t after, bool table) {
    int32_t base = pc + 1 + (4 - (pc + 1) % 4) % 4;
    if (!has(base, 12)) return;
    reach(pc + readS4(code_ + base), after);
    if (table) {
      int64_t low = readS4(code_ + base + 4);
      int64_t high = readS4(code_ + base + 8);
      int64_t count = high - low + 1;
      if (count < 0 || !has(base + 12, 0) || count > (length_ - base - 12) / 4) return;
      for (int64_t i = 0; i < count; i++) reach(pc + readS4(code_ + base + 12 + 4 * i), after);
    } else {
      int64_t pairs = readS4(code_ + base + 4);
      if (pairs < 0 || pairs > (length_ - base - 8) / 8) return;
      for (int64_t i = 0; i < pairs; i++) reach(pc + readS4(code_ + base + 8 + 8 * i + 4), after);
    }
  }

  const uint8_t* code_;
  int32_t length_;
  int32_t* depthAt_;
  FrameStack<int32_t, 64> work_;
  int32_t maximum_ = 0;
  int64_t budget_ = 16 * static_cast<int64_t>(length_) + 1024;
};

}  // namespace

int32_t codeStackDepth(const uint8_t* code, int32_t length, const ExceptionRegion* regions) {
  if (code == nullptr || length <= 0) return 0;
  DepthWalk walk(code, length);
  walk.reach(0, 0);
  for (const ExceptionRegion* r = regions; r != nullptr; r = r->next)
    if (labelOffset(r->end) > labelOffset(r->start)) walk.reach(labelOffset(r->handler), 1);
  return walk.run();
}
