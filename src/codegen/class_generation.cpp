// Class generation. Placeholder: each class's bodies are parsed and attributed, member classes
// first, methods in member order, then the class initializer; the statement lists are dropped
// with the temporary arena. No code is generated and no file is written.
#include "codegen/class_generation.h"

#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/passes.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/source_file.h"
#include "syntax/method_bodies.h"

bool needsClinitInit(const Member* field) {
  return field->kind == MK_VARIABLE && (field->modifiers & M_STATIC) != 0 && field->bodyOffset != 0 &&
         !((field->modifiers & M_FINAL) != 0 && field->constantState == CONSTANT_KEPT);
}

static bool hasErrors(const ClassDef* cls) {
  return cls->sourceFile == nullptr || (cls->sourceFile->flags & SOURCE_HAS_ERRORS) != 0;
}

void genClass(ClassDef* cls) {
  if (global.noWrite || hasErrors(cls)) return;
  for (ClassRef* inner = cls->innerClasses; inner != nullptr; inner = inner->next) {
    if (inner->resolved != nullptr && inner->resolved->outer == cls) genClass(inner->resolved);
    if (hasErrors(cls)) return;
  }
  if (cls->state & CLASS_WRITTEN) return;
  ParserContext saved = global.ctx;
  global.ctx.currentMethod = nullptr;
  bool clinit = false;
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind == MK_STATIC_INITIALIZER || (m->kind == MK_VARIABLE && needsClinitInit(m))) clinit = true;
    if (m->kind != MK_METHOD && m->kind != MK_CONSTRUCTOR) continue;
    resetArena(&global.tempArena);
    if (m->methodFlags & METHOD_DEFAULT_CONSTRUCTOR)
      buildDefaultConstructorBody(m, cls->line, cls->column);
    else if (m->bodyOffset != 0)
      parseMethodBody(m);
  }
  if (clinit) {
    resetArena(&global.tempArena);
    beginClassParse(cls);
    for (Member* m = cls->members; m != nullptr; m = m->next) {
      if (m->kind == MK_VARIABLE && needsClinitInit(m)) {
        global.ctx.currentMethod = nullptr;
        parseFieldInitializer(m);
      } else if (m->kind == MK_STATIC_INITIALIZER) {
        global.ctx.currentMethod = m;
        parseInitializerBlock(m);
      }
    }
    global.ctx.currentMethod = nullptr;
  }
  resetArena(&global.tempArena);
  global.ctx = saved;
}

void generateClass(ClassDef* cls) {
  if (hasErrors(cls) || (cls->state & CLASS_WRITTEN)) return;
  ClassDef* root = cls;
  while (root->outer != nullptr && (root->flags & CF_LOCAL) == 0) root = root->outer;
  genClass(root);
}

static void generateIfOutermost(ClassDef* cls) {
  if (cls->outer == nullptr) generateClass(cls);
}

void generateAllClasses() {
  forAllPackages(&rootPackage, generateIfOutermost);
}

void deleteListedFiles() {}
