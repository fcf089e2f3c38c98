// Access methods. Placeholder: writes nothing.
#include "codegen/access_method_generation.h"

void genAccessorMethods(Member*) {}
