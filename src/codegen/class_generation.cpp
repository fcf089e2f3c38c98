// Class generation. genClass follows a fixed order: member classes; header and interfaces; for a
// local or anonymous class, or a class inside one, every body parsed before any is generated (so
// the outer locals it captures are known to its constructors); fields; methods and constructors in member order,
// each body parsed just before its code is made; the class initializer; the blank final statics
// it leaves unassigned reported. A class of a source file with an error, and a body that failed,
// are checked the same way, every body parsed and its flow analysed, but no code is made
// (classGen.checkOnly).
#include "codegen/class_generation.h"

#include <cstdio>

#include "codegen/class_file_output.h"
#include "codegen/class_file_writer.h"
#include "codegen/class_gen_state.h"
#include "codegen/constant_pool.h"
#include "codegen/descriptors.h"
#include "codegen/definite_assignment.h"
#include "codegen/flow_analysis.h"
#include "support/source_file.h"
#include "semantic/class_lookup.h"
#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/passes.h"
#include "semantic/statement_lists.h"
#include "semantic/synthetic_members.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "semantic/element_names.h"
#include "syntax/method_bodies.h"
#include "support/parser_context.h"

namespace {

// A local or anonymous class is generated where its declaration ends, as a root of its own.
bool isLocalOrAnonymous(const ClassDef* cls) {
  return (cls->flags & (CF_LOCAL | CF_ANONYMOUS)) != 0;
}

// A local or anonymous class, or a class inside one: its bodies may capture locals of the method
// around it, each one a parameter of its constructors.
bool mayCaptureLocals(const ClassDef* cls) {
  for (const ClassDef* c = cls; c != nullptr; c = c->outer)
    if (isLocalOrAnonymous(c)) return true;
  return false;
}

// The generation arena and ClassGenState of an outermost class: fresh while it is generated, the
// ones before it back afterwards, also when a stop unwinds through it. The state is a few hundred
// bytes (its tables live in the arena), so a frame per nested local class fits the stack.
class GenerationFrame {
 public:
  GenerationFrame() : saved_(classGen), savedArena_(global.genArena) { initArena(&global.genArena); }
  ~GenerationFrame() {
    releaseArena(&global.genArena);
    global.genArena = savedArena_;
    classGen = saved_;
  }
  GenerationFrame(const GenerationFrame&) = delete;
  GenerationFrame& operator=(const GenerationFrame&) = delete;

 private:
  ClassGenState saved_;
  Arena savedArena_;
};

static_assert(sizeof(ClassGenState) < 1024, "a generation frame stays small");

// max_locals: the slots the body's scopes used, never fewer than the receiver and the parameters
// take, since the virtual machine puts them there.
int32_t localSlots(const Member* method) {
  const Scope* scope = method->parameterScope != nullptr ? method->parameterScope : global.ctx.scope;
  int32_t used = scope != nullptr ? scope->maxSlots : 0;
  int32_t parameters = countParameterSlots(method);
  return used > parameters ? used : parameters;
}

void keepParsedContext(Member* method) {
  auto* kept = arenaNew<ParserContext>(&global.mainArena);
  *kept = global.ctx;
  method->keptContext = kept;
}

void parseLocalClassBodies(ClassDef* cls) {
  resetArena(&global.tempArena);
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind != MK_METHOD || m->bodyOffset == 0) continue;
    parseMethodBody(m);
    keepParsedContext(m);
  }
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind != MK_CONSTRUCTOR || m->bodyOffset == 0) continue;
    if (m->methodFlags & METHOD_DEFAULT_CONSTRUCTOR)
      buildDefaultConstructorBody(m, cls->line, cls->column);
    else
      parseMethodBody(m);
    keepParsedContext(m);
  }
}

void writeHeader(ClassDef* cls) {
  uint16_t flags = classAccessFlags(cls, ACCESS_FORM_CLASS);
  if (cls->kind != CLASS_KIND_INTERFACE && !global.optimize) flags |= ACC_SUPER;
  putShort(flags, &classGen.body);
  putShort(addClass(cls), &classGen.body);
  putShort(addClass(cls->superclass != nullptr ? cls->superclass->resolved : nullptr), &classGen.body);
  int32_t interfaces = 0;
  for (const ClassRef* i = cls->interfaces; i != nullptr; i = i->next) interfaces++;
  putShort(static_cast<uint32_t>(interfaces), &classGen.body);
  for (const ClassRef* i = cls->interfaces; i != nullptr; i = i->next) putShort(addClass(i->resolved), &classGen.body);
}

void writeFields(ClassDef* cls) {
  int32_t fields = 0;
  for (const Member* m = cls->members; m != nullptr; m = m->next)
    if (m->kind == MK_VARIABLE) fields++;
  if (fields > MAX_CLASS_COUNT) errorInFile(cls->sourceFile, 0, 0, "exceeded.max.field.count", classToString(cls));
  putShort(static_cast<uint32_t>(fields), &classGen.body);
  for (Member* m = cls->members; m != nullptr; m = m->next)
    if (m->kind == MK_VARIABLE) genField(m);
}

// A method or initializer left out of a class file that is being made: the file is not written
// (its source counts as failed), also when the error that cost the body its code was reported in
// another file (a class found as the bodies are generated).
void keepFromWriting(ClassDef* cls) {
  if (!classGen.nothingWritten && cls->sourceFile != nullptr) cls->sourceFile->flags |= SOURCE_HAS_ERRORS;
}

void writeMethods(ClassDef* cls) {
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind != MK_METHOD && m->kind != MK_CONSTRUCTOR) continue;
    classGen.methodHasCode = 0;
    bool whole = true;
    if (m->bodyOffset != 0) {
      if (m->keptContext != nullptr) {
        global.ctx = *m->keptContext;
        m->keptContext = nullptr;
      } else if (m->methodFlags & METHOD_DEFAULT_CONSTRUCTOR) {
        resetArena(&global.tempArena);
        buildDefaultConstructorBody(m, cls->line, cls->column);
      } else {
        resetArena(&global.tempArena);
        parseMethodBody(m);
      }
      classGen.methodHasCode = 1;
      classGen.maxLocals = localSlots(m);
      whole = global.ctx.bodyIncomplete == 0;
    }
    // A body that a syntax error cut short has no flow of its own to analyse.
    classGen.checkOnly = classGen.nothingWritten || (m->bodyOffset != 0 && global.ctx.bodyFailed);
    if (!whole || classGen.checkOnly) keepFromWriting(cls);
    if (whole) genMethod(m);
  }
}

void writeClassInitializer(ClassDef* cls) {
  resetArena(&global.tempArena);
  beginClassParse(cls);
  cls->blankFinalResult = nullptr;
  global.ctx.currentMethod = nullptr;
  classGen.methodHasCode = 0;
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind == MK_VARIABLE && needsClinitInit(m)) {
      global.ctx.currentMethod = nullptr;
      parseFieldInitializer(m);
      classGen.methodHasCode = 1;
    } else if (m->kind == MK_STATIC_INITIALIZER) {
      global.ctx.currentMethod = m;
      parseInitializerBlock(m);
      classGen.methodHasCode = 1;
    }
  }
  global.ctx.currentMethod = nullptr;
  beginMethodBody();
  if (global.ctx.bodyIncomplete) {
    keepFromWriting(cls);
    return;
  }
  // The blank final statics are numbered for the initializer itself, whatever method came last,
  // so that its analysis tracks them.
  numberBlankFinals(cls, false);
  classGen.maxLocals = global.ctx.scope != nullptr ? global.ctx.scope->maxSlots : 0;
  classGen.checkOnly = classGen.nothingWritten || global.ctx.bodyFailed;
  if (classGen.checkOnly) {
    keepFromWriting(cls);
    checkCode(nullptr, global.ctx.scope);
  } else {
    putShort(ACC_STATIC, &classGen.body);
    putShort(addUtf8("<clinit>"), &classGen.body);
    putShort(addUtf8("()V"), &classGen.body);
    putShort(1, &classGen.body);
    genCodeAttribute(nullptr, global.ctx.scope);
    classGen.methodCount++;
  }

  // An interface field without an initializer was reported as such by the declaration checks.
  if (cls->kind == CLASS_KIND_INTERFACE) return;
  const AssignSets* result = cls->blankFinalResult;
  for (const Member* m = cls->members; m != nullptr; m = m->next) {
    if (!isBlankFinalStaticField(m) || m->blankFinalNumber >= classGen.blankFinalCount) continue;
    if (!isBlankFinalAssigned(result, m->blankFinalNumber))
      errorInFile(cls->sourceFile, m->line, m->column, "uninit.static.final.var", identToString(m->name));
  }
}

void generateIfOutermost(ClassDef* cls) {
  if (cls->outer == nullptr) generateClass(cls);
}

// A supertype that was found, is of the kind its place wants and may be used by the class.
bool isSoundSupertype(const ClassDef* cls, const ClassRef* ref, bool wantsInterface) {
  const ClassDef* type = ref->resolved;
  return type != nullptr && type->kind != CLASS_KIND_ERROR &&
         (type->kind == CLASS_KIND_INTERFACE) == wantsInterface && isClassAccessible(cls, type);
}

// Whether the bodies of the class are checked: not when a syntax error passed over part of its
// declarations or of a class around it, or of their file, nor when a supertype one of them names
// is missing or of the wrong kind. Such a class's bodies would report what the lost part declares
// or the supertype would give.
bool bodiesCheckable(const ClassDef* cls) {
  for (const ClassDef* c = cls; c != nullptr; c = c->outer) {
    if ((c->state & CLASS_DECLARATIONS_CUT) != 0) return false;
    if (c->sourceFile != nullptr && (c->sourceFile->flags & SOURCE_DECLARATIONS_CUT) != 0) return false;
    if (c->superclass != nullptr && !isSoundSupertype(c, c->superclass, false)) return false;
    for (const ClassRef* i = c->interfaces; i != nullptr; i = i->next)
      if (!isSoundSupertype(c, i, true)) return false;
  }
  return true;
}

}  // namespace

bool sourceHasErrors(const ClassDef* cls) {
  return cls->sourceFile == nullptr || (cls->sourceFile->flags & SOURCE_HAS_ERRORS) != 0;
}

bool needsClinitInit(const Member* field) {
  return field->kind == MK_VARIABLE && (field->modifiers & M_STATIC) != 0 && field->bodyOffset != 0 &&
         !((field->modifiers & M_FINAL) != 0 && field->constantState == FIELD_CONSTANT_KEPT);
}

void genClass(ClassDef* cls) {
  if (cls->sourceFile == nullptr || !bodiesCheckable(cls)) return;
  for (ClassRef* inner = cls->innerClasses; inner != nullptr; inner = inner->next) {
    ClassDef* member = inner->resolved;
    if (member != nullptr && member->outer == cls && !isLocalOrAnonymous(member)) genClass(member);
  }
  if (cls->state & CLASS_WRITTEN) return;
  global.ctx.currentMethod = nullptr;
  if (global.traceLevel & TRACE_GENERAL) std::printf("Generating class (w/o writing yet)%s\n", classToString(cls));
  cls->classFilePath = classFilePath(cls, false);
  if (cls->classFilePath == nullptr) return;

  dottedClassName(cls);
  ParserContext saved = global.ctx;
  beginClassGenState(cls);
  classGen.nothingWritten = sourceHasErrors(cls);
  if (!classGen.nothingWritten) writeHeader(cls);
  if (mayCaptureLocals(cls)) parseLocalClassBodies(cls);
  // From here on the class file has its fields and constructors as they stand.
  noteCapturesUsed(cls);
  if (!classGen.nothingWritten) writeFields(cls);

  bool clinit = classNeedsClinit(cls);
  classGen.methodsCountPosition = bufferWritePosition(&classGen.body);
  putShort(0, &classGen.body);  // patched with the methods written when the class is written
  writeMethods(cls);
  if (global.traceLevel & TRACE_GENERAL) std::printf("methods done clinitFlag = %d\n", clinit ? 1 : 0);
  if (clinit) writeClassInitializer(cls);

  keepClassGenState(cls);
  global.ctx = saved;
}

void generateClass(ClassDef* cls) {
  ClassDef* root = cls;
  while (root->outer != nullptr && !isLocalOrAnonymous(root)) root = root->outer;
  if ((cls->state & CLASS_WRITTEN) == 0) {
    GenerationFrame frame;
    genClass(root);
    if (!sourceHasErrors(cls)) writeClassFile(root);
  }
  // The source file's class files are written once the last of its top-level classes is done,
  // and dropped as soon as it has an error.
  SourceFile* file = root->sourceFile;
  if (root->outer != nullptr || file == nullptr || (root->state & CLASS_GENERATION_RAN) != 0) return;
  root->state |= CLASS_GENERATION_RAN;
  file->classesToGenerate--;
  if (file->classesToGenerate == 0 || sourceHasErrors(root)) writeSourceClassFiles(file);
}

void generateLocalClass(ClassDef* cls) {
  if (cls->state & CLASS_WRITTEN) return;
  // The class whose method declares it is in the middle of its own generation.
  struct KeepInterrupted {
    ClassGenState saved = classGen;
    ~KeepInterrupted() { classGen = saved; }
  } keep;
  genClass(cls);
}

void resetCodeGeneration() {
  classGen = ClassGenState{};
  resetTraceNumbers();
}

// The walk of the packages, then the classes it passed over: those of a source file found on the
// source path while a body was generated, in a package the walk had already left.
void generateAllClasses() {
  forAllPackages(&rootPackage, generateIfOutermost);
  for (SourceFile* file = global.sources; file != nullptr; file = file->next)
    for (ClassDef* cls = file->firstClass; cls != nullptr; cls = cls->nextInSource)
      if ((cls->state & CLASS_GENERATION_RAN) == 0) forClassAndInner(cls, generateIfOutermost);
}
