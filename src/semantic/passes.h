// The passes over the package tree that the driver runs in a fixed order, and the walks they
// share: every class from source, sub-packages before a package's own classes, each class
// followed by its member classes.
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct ImportRecord;
struct Package;

using ClassPass = void (*)(ClassDef* cls);
using ImportPass = void (*)(ImportRecord* import);

void forAllImports(ImportPass pass);
void forAllPackages(Package* package, ClassPass pass);
void forPackageClasses(Package* package, ClassPass pass);
void forClassAndInner(ClassDef* cls, ClassPass pass);

void resolveImports();
void resolveAllSupertypes();
void checkAllClasses();
void evaluateAllFieldConstants();

void resolveImport(ImportRecord* import);
void resolveSupertypes(ClassDef* cls);
void checkClass(ClassDef* cls);
void evaluateClassFieldConstants(ClassDef* cls);
void nameAndResolveSupertypes(ClassDef* cls);
ClassDef* findNestedClass(Package* package, Identifier* name, int32_t line, int32_t column);
