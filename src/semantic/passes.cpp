// Passes over every class from source, sub-packages before a package's own classes. Still lacks
// the passes themselves: with no classes parsed yet each one has nothing to visit.
#include "semantic/passes.h"

void resolveImports() {}

void resolveAllSupertypes() {}

void checkAllClasses() {}

void evaluateAllFieldConstants() {}
