// The class-file layout. Every attribute's length and every count that depends on what was
// actually written is patched in once its contents are in the body buffer, so a table that leaves
// an entry out (a region over no code, a line past the code) stays consistent with its header.
#include "codegen/class_file_writer.h"

#include <cstdio>
#include <cstring>

#include "codegen/access_method_generation.h"
#include "codegen/class_file_output.h"
#include "codegen/class_gen_state.h"
#include "codegen/class_generation.h"
#include "codegen/constant_pool.h"
#include "codegen/descriptors.h"
#include "codegen/definite_assignment.h"
#include "codegen/flow_analysis.h"
#include "codegen/method_code.h"
#include "codegen/stack_depth.h"
#include "support/source_file.h"
#include "platform/host_path.h"
#include "semantic/class_records.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/multibyte_strings.h"
#include "semantic/element_names.h"
#include "support/parser_context.h"

namespace {

OutputBuffer* body() {
  return &classGen.body;
}

uint16_t attributeName(uint16_t* cached, const char* name) {
  if (*cached == 0) *cached = addUtf8(name);
  return *cached;
}

// An attribute whose length is patched when it is finished.
struct OpenAttribute {
  BufferPosition lengthAt;
  int32_t start;
};

OpenAttribute beginAttribute(uint16_t name) {
  putShort(name, body());
  OpenAttribute open{bufferWritePosition(body()), 0};
  putInt(0, body());
  open.start = bufferLength(body());
  return open;
}

void endAttribute(const OpenAttribute& open) {
  patchInt(static_cast<uint32_t>(bufferLength(body()) - open.start), open.lengthAt);
}

void emptyAttribute(uint16_t* cached, const char* name) {
  putShort(attributeName(cached, name), body());
  putInt(0, body());
}

// Host text (a file or directory name) as a Utf8 of its characters; a byte the codeset cannot
// decode stands for itself.
uint16_t addHostTextUtf8(const char* text) {
  resetNameBuffer();
  appendNameNative(text, static_cast<int32_t>(std::strlen(text)));
  return addUtf8Chars(global.nameBuffer, global.nameLength, 2);
}

SourceFile* classSource() {
  return classGen.cls != nullptr ? classGen.cls->sourceFile : global.current;
}

uint16_t constantValueIndex(const Member* field) {
  const void* value = field->constantValue;
  switch (field->type->kind) {
    case TK_CLASS: {
      const auto* text = static_cast<const StringValue*>(value);
      return addString(addUtf8Chars(stringValueChars(text), text->length, 2));
    }
    case TK_LONG: {
      int64_t v;
      std::memcpy(&v, value, sizeof v);
      return addLong(v);
    }
    case TK_FLOAT:
    case TK_DOUBLE: {
      double v;
      std::memcpy(&v, value, sizeof v);
      return field->type->kind == TK_FLOAT ? addFloat(v) : addDouble(v);
    }
    default: {
      int32_t v;
      std::memcpy(&v, value, sizeof v);
      return addInteger(v);
    }
  }
}

bool keepsConstant(const Member* field) {
  return (field->modifiers & M_FINAL) != 0 && field->constantState == FIELD_CONSTANT_KEPT && field->constantValue != nullptr &&
         field->type != nullptr;
}

void writeLineNumberTable(int32_t length, int32_t* attributes) {
  const MethodCode& code = classGen.code;
  // An entry at the end of the code, past the last instruction, is no place a line can start.
  bool any = false;
  for (const LineNumberEntry* e = code.firstLine; e != nullptr && !any; e = e->next)
    any = codePosition(e->piece, e->offset) < length;
  if (!any) return;
  (*attributes)++;
  OpenAttribute open = beginAttribute(attributeName(&classGen.lineNumberTableName, "LineNumberTable"));
  BufferPosition countAt = bufferWritePosition(body());
  putShort(0, body());
  int32_t count = 0;
  // Lines recorded at one position on both sides of a piece boundary become one entry, the larger
  // line kept, as they are within a piece.
  for (const LineNumberEntry* e = code.firstLine; e != nullptr;) {
    int32_t pc = codePosition(e->piece, e->offset);
    int32_t line = e->line;
    for (e = e->next; e != nullptr && codePosition(e->piece, e->offset) == pc; e = e->next)
      if (e->line > line) line = e->line;
    if (pc >= length) continue;
    if (count == MAX_CLASS_COUNT) break;
    putShort(static_cast<uint32_t>(pc), body());
    putShort(static_cast<uint32_t>(line), body());
    count++;
  }
  patchShort(static_cast<uint32_t>(count), countAt);
  endAttribute(open);
}

void writeLocalVariableTable(int32_t length, int32_t* attributes) {
  const MethodCode& code = classGen.code;
  auto start = [](const LocalVariableEntry* e) { return codePosition(e->startPiece, e->startOffset); };
  auto wanted = [&](const LocalVariableEntry* e) {
    const Member* v = e->variable;
    return start(e) < length && (v == nullptr || (v->slot >= 0 && v->name != nullptr && v->type != nullptr));
  };
  bool any = false;
  for (const LocalVariableEntry* e = code.firstLocal; e != nullptr && !any; e = e->next) any = wanted(e);
  if (!any) return;
  (*attributes)++;
  OpenAttribute open = beginAttribute(attributeName(&classGen.localVariableTableName, "LocalVariableTable"));
  BufferPosition countAt = bufferWritePosition(body());
  putShort(0, body());
  int32_t count = 0;
  for (const LocalVariableEntry* e = code.firstLocal; e != nullptr && count < MAX_CLASS_COUNT; e = e->next) {
    // A variable whose range starts at the end of the code (declared after the last instruction)
    // has no instruction to start at.
    if (!wanted(e)) continue;
    int32_t from = start(e);
    int32_t to = e->endPiece != nullptr ? codePosition(e->endPiece, e->endOffset) : length;
    if (to > length) to = length;
    if (to < from) to = from;
    const Member* v = e->variable;
    putShort(static_cast<uint32_t>(from), body());
    putShort(static_cast<uint32_t>(to - from), body());
    putShort(v != nullptr ? addIdentifierUtf8(v->name) : addUtf8("this"), body());
    putShort(v != nullptr ? fieldDescriptor(v->type) : classDescriptor(classGen.cls), body());
    putShort(v != nullptr ? static_cast<uint32_t>(v->slot) : 0, body());
    count++;
  }
  patchShort(static_cast<uint32_t>(count), countAt);
  endAttribute(open);
}

bool coversCode(const ExceptionRegion* r) {
  return labelOffset(r->end) > labelOffset(r->start);
}

void reportLimit(const char* key, const Member* method) {
  errorInFile(classSource(), 0, 0, key, methodOrClinitName(method));
}

// The chain of classes around `cls` that are nested themselves, outermost first, ending with `cls`.
void writeOuterChain(ClassDef* cls, int32_t* count) {
  if (cls->outer == nullptr) return;
  writeOuterChain(cls->outer, count);
  writeInnerClassEntry(cls);
  (*count)++;
}

void writeClassAttributes(ClassDef* cls) {
  BufferPosition countAt = bufferWritePosition(body());
  putShort(0, body());
  int32_t count = 0;

  const char* sourceName = cls->sourceFile != nullptr ? cls->sourceFile->name : "";
  if (!global.noSourceFileAttribute) {
    const char* last = lastPathSeparator(sourceName);
    putShort(addUtf8("SourceFile"), body());
    putInt(2, body());
    putShort(addHostTextUtf8(last != nullptr ? last + 1 : sourceName), body());
    count++;
  }

  if (cls->innerClasses != nullptr || cls->outer != nullptr) {
    writeInnerClasses(cls);
    count++;
  }
  if (cls->flags & CF_DEPRECATED) {
    emptyAttribute(&classGen.deprecatedName, "Deprecated");
    count++;
  }
  if (global.sourcePathAttribute) {
    if (global.workingDirectory == nullptr) {
      char directory[1024];
      global.workingDirectory = mainArenaCopy(currentDirectory(directory, sizeof directory) ? directory : "");
    }
    putShort(addUtf8("SourcePath"), body());
    putInt(4, body());
    putShort(addHostTextUtf8(global.workingDirectory), body());
    putShort(addHostTextUtf8(sourceName), body());
    count++;
  }
  putShort(addUtf8("Quorvelix3.0dev"), body());
  putInt(0, body());
  count++;
  patchShort(static_cast<uint32_t>(count), countAt);
}

}  // namespace

uint16_t classAccessFlags(const ClassDef* cls, int32_t form) {
  uint16_t flags = 0;
  bool final = (cls->flags & CF_FINAL) != 0;
  if (cls->kind == CLASS_KIND_INTERFACE)
    flags = ACC_INTERFACE | ACC_ABSTRACT | (final ? ACC_FINAL : 0);
  else if (cls->flags & CF_ABSTRACT)
    flags = ACC_ABSTRACT | (final ? ACC_FINAL : 0);
  else if (final)
    flags = ACC_FINAL;
  if (cls->flags & CF_INTERFACE) flags |= ACC_INTERFACE;
  if (form == ACCESS_FORM_CLASS) {
    if (cls->flags & (CF_PUBLIC | CF_PROTECTED)) flags |= ACC_PUBLIC;
  } else {
    if (cls->flags & CF_STATIC) flags |= ACC_STATIC;
    if (cls->flags & CF_PUBLIC) flags |= ACC_PUBLIC;
    if (cls->flags & CF_PRIVATE) flags |= ACC_PRIVATE;
    if (cls->flags & CF_PROTECTED) flags |= ACC_PROTECTED;
  }
  return flags;
}

uint16_t memberAccessFlags(uint16_t modifiers) {
  static const struct {
    uint16_t modifier;
    uint16_t flag;
  } map[] = {
      {M_PUBLIC, ACC_PUBLIC},         {M_PRIVATE, ACC_PRIVATE},     {M_PROTECTED, ACC_PROTECTED},
      {M_STATIC, ACC_STATIC},         {M_FINAL, ACC_FINAL},         {M_SYNCHRONIZED, ACC_SYNCHRONIZED},
      {M_VOLATILE, ACC_VOLATILE},     {M_TRANSIENT, ACC_TRANSIENT}, {M_NATIVE, ACC_NATIVE},
      {M_ABSTRACT, ACC_ABSTRACT},     {M_STRICTFP, ACC_STRICT},
  };
  uint16_t flags = 0;
  for (const auto& entry : map)
    if (modifiers & entry.modifier) flags |= entry.flag;
  return flags;
}

bool classNeedsClinit(ClassDef* cls) {
  for (const Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind == MK_STATIC_INITIALIZER) return true;
    if (m->kind == MK_VARIABLE && (needsClinitInit(m) || isBlankFinalStaticField(m))) return true;
  }
  return false;
}

void genField(Member* field) {
  // The outer-instance and captured-value fields are read by the classes nested further in
  // (this$0 of an inner class by the classes inside it), which the virtual machine allows only
  // for a field that is not private.
  uint16_t flags = memberAccessFlags(field->modifiers);
  if (field->modifiers & M_SYNTHETIC) flags &= static_cast<uint16_t>(~ACC_PRIVATE);
  putShort(flags, body());
  putShort(addIdentifierUtf8(field->name), body());
  putShort(fieldDescriptor(field->type), body());
  bool constant = keepsConstant(field);
  bool deprecated = (field->modifiers & M_DEPRECATED) != 0;
  bool synthetic = (field->modifiers & M_SYNTHETIC) != 0;
  putShort((constant ? 1 : 0) + (deprecated ? 1 : 0) + (synthetic ? 1 : 0), body());
  if (constant) {
    putShort(attributeName(&classGen.constantValueName, "ConstantValue"), body());
    putInt(2, body());
    putShort(constantValueIndex(field), body());
  }
  if (deprecated) emptyAttribute(&classGen.deprecatedName, "Deprecated");
  if (synthetic) emptyAttribute(&classGen.syntheticName, "Synthetic");
}

void numberBlankFinals(ClassDef* cls, bool byThisCall) {
  classGen.blankFinalCount = 0;
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (!isBlankFinalField(m)) continue;
    m->blankFinalNumber = classGen.blankFinalCount++;
    if (byThisCall)
      m->variableFlags |= VAR_ASSIGNED_BY_THIS_CALL;
    else
      m->variableFlags &= ~VAR_ASSIGNED_BY_THIS_CALL;
  }
}

int32_t countExceptionEntries() {
  int32_t count = 0;
  for (const ExceptionRegion* r = classGen.code.firstRegion; r != nullptr; r = r->next)
    if (coversCode(r)) count++;
  return count;
}

void writeExceptionTable() {
  for (const ExceptionRegion* r = classGen.code.firstRegion; r != nullptr; r = r->next) {
    if (!coversCode(r)) continue;
    putShort(static_cast<uint32_t>(labelOffset(r->start)), body());
    putShort(static_cast<uint32_t>(labelOffset(r->end)), body());
    putShort(static_cast<uint32_t>(labelOffset(r->handler)), body());
    putShort(addClass(r->catchClass), body());
  }
}

void genCodeAttribute(Member* method, Scope* scope) {
  global.ctx.currentMethod = method;
  OpenAttribute open = beginAttribute(attributeName(&classGen.codeName, "Code"));
  classGen.maxStack = 0;
  classGen.stackDepth = 0;
  int32_t length = emitCode(scope);
  writeCodeAttributeBody(method, length);
  endAttribute(open);
}

void checkCode(Member* method, Scope* scope) {
  global.ctx.currentMethod = method;
  classGen.maxStack = 0;
  classGen.stackDepth = 0;
  emitCode(scope);
}

void writeCodeAttributeBody(const Member* method, int32_t length) {
  if (classGen.stackDepth > classGen.maxStack) classGen.maxStack = classGen.stackDepth;
  // The counted depth misses what the machine pushes itself (a handler's exception, a return
  // address) and some dup forms: the code's own depth is the floor. Once the constant pool has
  // passed its limit the code's indexes no longer name their entries (the class is refused for
  // its pool, or its code, anyway), and the count stands alone.
  int32_t reached =
      classGen.pool.count <= MAX_POOL_COUNT ? codeStackDepth(laidOutCode(), length, classGen.code.firstRegion) : 0;
  if (reached > classGen.maxStack) {
    // The tests compile their programs with this trace on: a count that falls short is a fault of
    // statement or expression generation, even though the file comes out right.
    if (global.traceLevel & TRACE_GENERAL)
      std::printf("max_stack short: counted %d, reached %d in %s\n", classGen.maxStack, reached, methodOrClinitName(method));
    classGen.maxStack = reached;
  }

  if (classGen.maxStack > MAX_CLASS_COUNT) reportLimit("exceeded.max.stack", method);
  putShort(static_cast<uint32_t>(classGen.maxStack), body());
  if (classGen.maxLocals > MAX_CLASS_COUNT) reportLimit("exceeded.max.locals", method);
  putShort(static_cast<uint32_t>(classGen.maxLocals), body());
  // The virtual machine loads no method with more code: the class is not written.
  if (length > MAX_CODE_LENGTH) reportLimit("exceeded.max.code", method);
  putInt(static_cast<uint32_t>(length), body());
  writeCode();
  int32_t exceptions = countExceptionEntries();
  if (exceptions > MAX_CLASS_COUNT) reportLimit("exceeded.max.exceptions", method);
  putShort(static_cast<uint32_t>(exceptions), body());
  writeExceptionTable();

  BufferPosition countAt = bufferWritePosition(body());
  putShort(0, body());
  int32_t attributes = 0;
  // Code too long for its method has more than one line a byte only as part of that error.
  if (classGen.code.lineCount > MAX_CLASS_COUNT && length <= MAX_CODE_LENGTH)
    warningAt(classSource(), 0, 0, "warn.exceeded.max.lines", methodOrClinitName(method));
  writeLineNumberTable(length, &attributes);
  writeLocalVariableTable(length, &attributes);
  patchShort(static_cast<uint32_t>(attributes), countAt);
}

namespace {

// The method_info record: flags, name, descriptor, and the Code, Exceptions, Deprecated and
// Synthetic attributes it has.
void writeMethodInfo(Member* method, Scope* scope) {
  putShort(memberAccessFlags(method->modifiers), body());
  putShort(method->name != nullptr ? addIdentifierUtf8(method->name) : addUtf8("<init>"), body());
  putShort(methodDescriptor(method), body());
  int32_t thrown = 0;
  for (const ThrowsEntry* t = method->throwsList; t != nullptr; t = t->next) thrown++;
  bool hasCode = classGen.methodHasCode != 0;
  bool deprecated = (method->modifiers & M_DEPRECATED) != 0;
  bool synthetic = (method->modifiers & M_SYNTHETIC) != 0;
  putShort((hasCode ? 1 : 0) + (thrown > 0 ? 1 : 0) + (deprecated ? 1 : 0) + (synthetic ? 1 : 0), body());
  if (hasCode) genCodeAttribute(method, scope);
  if (thrown > 0) {
    putShort(attributeName(&classGen.exceptionsName, "Exceptions"), body());
    putInt(static_cast<uint32_t>(2 * thrown + 2), body());
    putShort(static_cast<uint32_t>(thrown), body());
    for (const ThrowsEntry* t = method->throwsList; t != nullptr; t = t->next)
      putShort(addClass(t->classRef != nullptr ? t->classRef->resolved : nullptr), body());
  }
  if (deprecated) emptyAttribute(&classGen.deprecatedName, "Deprecated");
  if (synthetic) emptyAttribute(&classGen.syntheticName, "Synthetic");
  classGen.methodCount++;
}

}  // namespace

void genMethod(Member* method) {
  ClassDef* owner = method->owner;
  classGen.blankFinalCount = 0;
  if (owner != nullptr) owner->blankFinalResult = nullptr;
  bool constructor = method->kind == MK_CONSTRUCTOR;
  bool byThisCall = constructor && constructorCallsThis(method);
  if (constructor && owner != nullptr) numberBlankFinals(owner, byThisCall);

  bool hasCode = classGen.methodHasCode != 0;
  Scope* scope = method->parameterScope != nullptr ? method->parameterScope : global.ctx.scope;
  if (classGen.checkOnly) {
    if (hasCode) checkCode(method, scope);
  } else {
    writeMethodInfo(method, scope);
  }

  if (!constructor || byThisCall || owner == nullptr) return;
  const AssignSets* result = owner->blankFinalResult;
  for (const Member* m = owner->members; m != nullptr; m = m->next) {
    if (!isBlankFinalInstanceField(m) || m->blankFinalNumber >= classGen.blankFinalCount) continue;
    if (isBlankFinalAssigned(result, m->blankFinalNumber)) continue;
    // A default constructor has no text of its own: the field is where the fault shows.
    if (method->methodFlags & METHOD_DEFAULT_CONSTRUCTOR)
      errorInFile(owner->sourceFile, m->line, m->column, "uninit.final.var.default", identToString(m->name));
    else
      errorInFile(owner->sourceFile, method->line, method->column, "uninit.final.var", identToString(m->name));
  }
}

void writeInnerClassEntry(ClassDef* cls) {
  putShort(addClass(cls), body());
  putShort(addClass(cls->outer), body());
  putShort((cls->flags & CF_ANONYMOUS) ? addUtf8("") : addIdentifierUtf8(cls->name), body());
  putShort(classAccessFlags(cls, ACCESS_FORM_INNER_CLASS), body());
}

void writeInnerClasses(ClassDef* cls) {
  OpenAttribute open = beginAttribute(addUtf8("InnerClasses"));
  BufferPosition countAt = bufferWritePosition(body());
  putShort(0, body());
  int32_t count = 0;
  writeOuterChain(cls, &count);
  for (const ClassRef* inner = cls->innerClasses; inner != nullptr; inner = inner->next) {
    if (inner->resolved == nullptr) continue;
    writeInnerClassEntry(inner->resolved);
    count++;
  }
  patchShort(static_cast<uint32_t>(count), countAt);
  endAttribute(open);
}

void writeClassFile(ClassDef* cls) {
  SourceFile* source = cls->sourceFile;
  for (ClassRef* inner = cls->innerClasses; inner != nullptr; inner = inner->next) {
    if (inner->resolved != nullptr && inner->resolved->outer == cls) writeClassFile(inner->resolved);
    if (sourceHasErrors(cls)) return;
  }
  if ((cls->state & CLASS_WRITTEN) || cls->classFilePath == nullptr || cls->savedGenState == nullptr) return;
  restoreClassGenState(cls);

  // Access constructors take no number, so the count alone does not say whether there are any.
  ClassDef* enclosing = global.ctx.enclosing;
  global.ctx.enclosing = cls;
  for (Member* m = cls->members; m != nullptr; m = m->next)
    if (m->accessMethod != nullptr) genAccessorMethods(m);
  genHostedAccessors(cls);
  global.ctx.enclosing = enclosing;
  if (classGen.methodCount > MAX_CLASS_COUNT) errorInFile(source, 0, 0, "exceeded.max.method.count", classToString(cls));
  patchShort(static_cast<uint32_t>(classGen.methodCount), classGen.methodsCountPosition);

  writeClassAttributes(cls);
  // constant_pool_count is the pool count + 1, a u2: a larger pool would wrap.
  if (classGen.pool.count > MAX_POOL_COUNT) errorInFile(source, 0, 0, "exceeded.max.constant.pool", classToString(cls));
  if (sourceHasErrors(cls)) return;

  int32_t poolBytes = bufferLength(&classGen.pool.buffer);
  int32_t bodyBytes = bufferLength(&classGen.body);
  growClassFileBuffer(CLASS_HEADER_SIZE + poolBytes + bodyBytes);
  auto* bytes = reinterpret_cast<uint8_t*>(global.classFileBuffer);
  storeU4(CLASS_MAGIC, bytes);
  storeU2(CLASS_MINOR_VERSION, bytes + 4);
  storeU2(CLASS_MAJOR_VERSION, bytes + 6);
  storeU2(static_cast<uint32_t>(classGen.pool.count + 1), bytes + 8);
  int32_t size = CLASS_HEADER_SIZE;
  copyBuffer(&classGen.pool.buffer, bytes, &size);
  copyBuffer(&classGen.body, bytes, &size);
  keepClassFile(cls, bytes, size);
  cls->state |= CLASS_WRITTEN;
}
