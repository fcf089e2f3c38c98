// The operand-stack depth that finished code really reaches, found by following every path through
// its instructions: from the entry with an empty stack and from each exception handler holding the
// exception. The depths that statement and expression generation count are estimates that miss
// what the virtual machine pushes itself (a handler's exception, a subroutine's return address);
// the Code attribute writer takes this depth when it is larger, so max_stack is never short.
#pragma once

#include <cstdint>

struct ExceptionRegion;

// `code` is the laid-out code of the method being generated: the field and invoke instructions
// are read through the class's constant pool, and the regions' labels through the method's code.
// Regions that cover no code are passed over, as the exception table leaves them out.
int32_t codeStackDepth(const uint8_t* code, int32_t length, const ExceptionRegion* regions);
