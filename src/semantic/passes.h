// The passes over the package tree that the driver runs in a fixed order.
#pragma once

void resolveImports();
void resolveAllSupertypes();
void checkAllClasses();
void evaluateAllFieldConstants();
