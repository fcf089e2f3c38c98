// The passes over every class from source. A member class is reached through its outer class's
// list, never as well through its package, and every pass skips what it has done, so a class is
// treated once per pass and each diagnostic is printed once.
#include "semantic/passes.h"

#include <vector>

#include "semantic/class_lookup.h"
#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/declaration_checks.h"
#include "semantic/element_names.h"
#include "semantic/imports.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/source_file.h"

namespace {

const char* dottedPackage(Package* package) {
  return makeDottedName(package, nullptr);
}

// The import names the class; one whose file cannot be used was reported when it was read. The
// class and each class around it must be one the file may use: public, or of the file's package
// and not private. The outermost that is not is reported.
void takeImportedClass(ImportRecord* import, ClassDef* cls) {
  import->resolved = cls;
  if (cls->kind == CLASS_KIND_ERROR) return;
  ClassDef* refused = nullptr;
  for (ClassDef* c = cls; c != nullptr; c = c->outer)
    if ((c->flags & CF_PUBLIC) == 0 && ((c->flags & CF_PRIVATE) != 0 || c->package != import->file->package))
      refused = c;
  if (refused != nullptr && (refused->flags & CF_PRIVATE) != 0)
    errorInFile(import->file, import->line, import->column, "import.private", classToString(refused));
  else if (refused != nullptr)
    errorInFile(import->file, import->line, import->column, "import.not.public", classToString(refused));
  import->package = cls->package;
}

// Whether a resolved type names no class that was reported missing or unusable: a member of
// such a type gives no further diagnostic.
bool namesUsableClasses(const Type* type) {
  while (type != nullptr && type->kind == TK_ARRAY) type = type->element;
  if (type == nullptr || type->kind == TK_ERROR) return false;
  if (type->kind != TK_CLASS) return true;
  const ClassDef* cls = type->classRef != nullptr ? type->classRef->resolved : nullptr;
  return cls != nullptr && cls->kind != CLASS_KIND_ERROR;
}

// The references of a list, last first. A class from source reached so, whose superclass is not
// resolved yet, has its superclass resolved in turn, and so on up the chain, so that each
// circularity check sees the chain above it; the chain is climbed in a loop, not by recursion.
void resolveSupertypeRefs(ClassDef* cls, ClassRef* list) {
  std::vector<ClassRef*> refs;
  for (ClassRef* ref = list; ref != nullptr; ref = ref->next) refs.push_back(ref);
  for (auto last = refs.rbegin(); last != refs.rend(); ++last) {
    ClassDef* from = cls;
    for (ClassRef* ref = *last; ref != nullptr; ref = from->superclass) {
      resolveClassRef(nullptr, from, ref);
      ClassDef* resolved = ref->resolved;
      if (resolved == nullptr || resolved->kind != CLASS_KIND_CLASS) break;
      checkCircularSuper(resolved, from);
      if (resolved->superclass == nullptr || resolved->superclass->resolved != nullptr || resolved->sourceFile == nullptr)
        break;
      from = resolved;
    }
  }
}

}  // namespace

void forAllImports(ImportPass pass) {
  for (SourceFile* file = global.sources; file != nullptr; file = file->next) {
    global.current = file;
    for (ImportRecord* import = file->imports; import != nullptr; import = import->next) pass(import);
  }
}

// Depth first with a stack of its own: a package name of many components nests that many
// packages. Each package's child list is taken as it stands when the walk enters the package.
void forAllPackages(Package* package, ClassPass pass) {
  struct Visit {
    Package* package;
    Package* nextChild;
  };
  std::vector<Visit> open{{package, package->child}};
  while (!open.empty()) {
    Visit& top = open.back();
    if (Package* child = top.nextChild) {
      top.nextChild = child->next;
      open.push_back({child, child->child});
      continue;
    }
    Package* done = top.package;
    open.pop_back();
    forPackageClasses(done, pass);
  }
}

void forPackageClasses(Package* package, ClassPass pass) {
  for (ClassDef* cls = package->firstClass; cls != nullptr; cls = cls->next)
    if (cls->outer == nullptr) forClassAndInner(cls, pass);
}

void forClassAndInner(ClassDef* cls, ClassPass pass) {
  if (cls == nullptr || cls->sourceFile == nullptr) return;
  SourceFile* saved = global.current;
  global.current = cls->sourceFile;
  computeBinaryName(cls);
  pass(cls);
  for (ClassRef* entry = cls->innerClasses; entry != nullptr; entry = entry->next) {
    global.current = cls->sourceFile;
    if (entry->resolved != nullptr && entry->resolved->outer == cls) forClassAndInner(entry->resolved, pass);
  }
  global.current = saved;
}

void resolveImports() {
  forAllImports(resolveImport);
}

void resolveAllSupertypes() {
  forAllPackages(&rootPackage, resolveSupertypes);
}

void checkAllClasses() {
  forAllPackages(&rootPackage, checkClass);
}

void evaluateAllFieldConstants() {
  forAllPackages(&rootPackage, evaluateClassFieldConstants);
}

// The innermost package that holds a class of the name's prefix gives the class; the components
// after it are member classes, looked up from the outside in.
ClassDef* findNestedClass(Package* package, Identifier* name, int32_t line, int32_t column) {
  if (name == nullptr || package == nullptr) return nullptr;
  std::vector<Identifier*> memberNames;
  ClassDef* cls;
  while ((cls = lookupClass(package, name, line, column)) == nullptr) {
    if (package->name == nullptr) return nullptr;
    memberNames.push_back(name);
    name = package->name;
    package = package->parent;
  }
  for (; !memberNames.empty(); memberNames.pop_back()) {
    // A class whose file cannot be used stands, silently, for the members looked for in it.
    if (cls->kind == CLASS_KIND_ERROR) return cls;
    cls = findMemberClass(cls, memberNames.back(), nullptr, nullptr);
    if (cls == nullptr) return nullptr;
  }
  return cls;
}

void resolveImport(ImportRecord* import) {
  if (import->flags & IMPORT_RESOLVED) return;
  import->flags |= IMPORT_RESOLVED;
  Package* package = import->package;
  if (import->className == nullptr) {
    if (packageExists(package)) return;
    if (package->parent != nullptr && package->name != nullptr) {
      ClassDef* cls = findNestedClass(package->parent, package->name, import->line, import->column);
      if (cls != nullptr) {
        takeImportedClass(import, cls);
        return;
      }
    }
    errorInFile(import->file, import->line, import->column, "package.not.found", dottedPackage(package));
    return;
  }
  ClassDef* cls = findNestedClass(package, import->className, import->line, import->column);
  if (cls == nullptr) {
    // What is missing is the class, whether its qualifier is a package or a class; the
    // placeholder the lookup left keeps later uses of the name silent.
    errorInFile(import->file, import->line, import->column, "undef.class", makeDottedName(package, import->className));
    import->resolved = findClassInPackage(package, import->className, 0, 0);
    return;
  }
  takeImportedClass(import, cls);
}

void resolveSupertypes(ClassDef* cls) {
  if (cls->sourceFile == nullptr || (cls->state & CLASS_SUPERTYPES_RESOLVED)) return;
  cls->state |= CLASS_SUPERTYPES_RESOLVED;
  ClassDef* saved = global.ctx.enclosing;
  global.ctx.enclosing = cls->outer != nullptr ? cls->outer : cls;
  if (cls->superclass != nullptr)
    resolveSupertypeRefs(cls, cls->superclass);
  else if (cls != objectClass && objectClassRef != nullptr)
    cls->superclass = objectClassRef;
  if (cls->interfaces != nullptr) resolveSupertypeRefs(cls, cls->interfaces);
  Package* package = cls->package != nullptr ? cls->package : &rootPackage;
  for (ClassRef** at = &cls->interfaces; *at != nullptr;) {
    ClassDef* i = (*at)->resolved;
    Package* iPackage = i != nullptr && i->package != nullptr ? i->package : &rootPackage;
    if (i != nullptr && i->kind != CLASS_KIND_ERROR && iPackage != package && (i->flags & CF_PUBLIC) == 0) {
      errorAt((*at)->line, (*at)->column, "implements.private", classToString(i));
      *at = (*at)->next;
      continue;
    }
    at = &(*at)->next;
  }
  global.ctx.enclosing = cls;
  for (Member* m = cls->members; m != nullptr; m = m->next) resolveMemberTypes(cls, m);
  global.ctx.enclosing = saved;
}

void nameAndResolveSupertypes(ClassDef* cls) {
  computeBinaryName(cls);
  resolveSupertypes(cls);
}

void checkClass(ClassDef* cls) {
  if (cls->sourceFile == nullptr || (cls->state & CLASS_CHECKED)) return;
  cls->state |= CLASS_CHECKED;
  if (global.verbose) messageAt(nullptr, 0, 0, "verbose.checking", binaryClassToString(cls));
  SourceFile* savedFile = global.current;
  ClassDef* savedClass = global.ctx.enclosing;
  global.current = cls->sourceFile;
  global.ctx.enclosing = cls;
  checkClassDef(cls);
  computeBinaryName(cls);
  checkImportConflicts(cls->sourceFile, cls, cls->line, cls->column);
  global.ctx.enclosing = savedClass;
  global.current = savedFile;
}

// An inner class may declare a static field only when it is a constant variable, which is
// known once the field's constant is evaluated: a static final field found to hold none is
// reported at its name here (other static members were reported by the parser). A field whose
// initializer reported errors of its own, or could not be read, is undecided and not reported.
void evaluateClassFieldConstants(ClassDef* cls) {
  if (cls->sourceFile == nullptr || (cls->state & CLASS_CONSTANTS_EVALUATED)) return;
  cls->state |= CLASS_CONSTANTS_EVALUATED;
  Arena* saved = global.currentArena;
  bool inner = isInnerClass(cls);
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind != MK_VARIABLE) continue;
    if (m->constantState == CONSTANT_PENDING) {
      if (m->modifiers & M_FINAL)
        evaluateFieldConstant(m);
      else
        m->constantState = CONSTANT_NONE;
    }
    if (inner && (m->modifiers & (M_STATIC | M_FINAL)) == (M_STATIC | M_FINAL) && m->constantState == CONSTANT_NONE &&
        (m->fieldFlags & FIELD_INITIALIZER_REPORTED) == 0 && namesUsableClasses(m->type))
      errorInFile(cls->sourceFile, m->line, m->column, "static.in.inner.class");
  }
  global.currentArena = saved;
}
