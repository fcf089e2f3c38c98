// The compiler-state record and the one way a compile stops early.
#include "support/global.h"

Global global;

void stopCompile(int32_t code) {
  throw CompileStop{code};
}
