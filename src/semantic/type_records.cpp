// Class references, type records and the constructors of member records. Class and array types
// are made in the current arena, so two class types of one class are different records: compare
// them through their references' resolved classes.
#include "semantic/type_records.h"

#include <cstring>

#include "semantic/class_names.h"
#include "semantic/class_table.h"
#include "semantic/declaration_checks.h"
#include "semantic/element_names.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/linked_lists.h"
#include "support/parser_context.h"
#include "syntax/scanner.h"
#include "syntax/scopes.h"

Type errorType{TK_ERROR, nullptr, nullptr};
Type voidType{TK_VOID, nullptr, nullptr};
Type booleanType{TK_BOOLEAN, nullptr, nullptr};
Type charType{TK_CHAR, nullptr, nullptr};
Type byteType{TK_BYTE, nullptr, nullptr};
Type shortType{TK_SHORT, nullptr, nullptr};
Type intType{TK_INT, nullptr, nullptr};
Type longType{TK_LONG, nullptr, nullptr};
Type floatType{TK_FLOAT, nullptr, nullptr};
Type doubleType{TK_DOUBLE, nullptr, nullptr};
Type classNameType{TK_CLASS_NAME, nullptr, nullptr};

StringValue* newStringValue(Arena* arena, const uint16_t* units, int32_t length) {
  auto* value = arenaNewWithTail<StringValue>(arena, sizeof(uint16_t) * length);
  value->length = length;
  if (length > 0) std::memcpy(const_cast<uint16_t*>(stringValueChars(value)), units, sizeof(uint16_t) * length);
  return value;
}

Type* descriptorLetterType(char letter) {
  switch (letter) {
    case 'B': return &byteType;
    case 'C': return &charType;
    case 'D': return &doubleType;
    case 'F': return &floatType;
    case 'I': return &intType;
    case 'J': return &longType;
    case 'S': return &shortType;
    case 'V': return &voidType;
    case 'Z': return &booleanType;
    default: return nullptr;
  }
}

Type* fixedType(int32_t kind) {
  static Type* const fixed[] = {&errorType, nullptr,     &voidType,  &booleanType, &charType,     &byteType,
                                &shortType, &intType,    &longType,  &floatType,   &doubleType,   nullptr,
                                &classNameType};
  return kind >= 0 && kind <= TK_CLASS_NAME ? fixed[kind] : nullptr;
}

bool isPrimitiveType(const Type* type) {
  return type != nullptr && type->kind >= TK_VOID && type->kind <= TK_DOUBLE && type == fixedType(type->kind);
}

int32_t slotsForKind(int32_t kind) {
  switch (kind) {
    case TK_ERROR:
    case TK_VOID:
      return 0;
    case TK_LONG:
    case TK_DOUBLE:
      return 2;
    default:
      return 1;
  }
}

ClassRef* newClassRefHere(Package* package, Identifier* name, ClassDef* context, int32_t line, int32_t column) {
  return newClassRefIn(global.currentArena, package, name, nullptr, 0, context, line, column);
}

bool refReachesClass(const ClassRef* ref, const ClassDef* cls) {
  // A chain may run in a circle before the circularity check has seen it. The walk remembers the
  // class it reached at each power-of-two step and ends when it meets that class again, so a
  // circle ends it within twice its length and no chain, however long, is cut short.
  const ClassDef* remembered = nullptr;
  int64_t stretch = 1;
  int64_t steps = 0;
  for (const ClassRef* r = ref; r != nullptr && r->resolved != nullptr; r = r->resolved->superclass) {
    const ClassDef* reached = r->resolved;
    if (reached == cls) return true;
    if (reached == remembered) return false;
    if (++steps == stretch) {
      remembered = reached;
      stretch *= 2;
      steps = 0;
    }
  }
  return false;
}

bool isClassType(const Type* type, const ClassDef* cls) {
  return type != nullptr && type->kind == TK_CLASS && refReachesClass(type->classRef, cls);
}

Type* newArrayType(Type* element) {
  if (element != nullptr && element->kind == TK_VOID) {
    errorAt(currentToken()->line, currentToken()->column, "void.array");
    element = &errorType;
  }
  auto* type = currentNew<Type>();
  type->kind = TK_ARRAY;
  type->element = element;
  return type;
}

Type* newClassType(ClassRef* ref, Identifier* name, int32_t line, int32_t column) {
  if (ref == nullptr) ref = newClassRefHere(nullptr, name, global.ctx.enclosing, line, column);
  auto* type = currentNew<Type>();
  type->kind = TK_CLASS;
  type->classRef = ref;
  return type;
}

Member* newMemberOfKind(Arena* arena, int32_t kind) {
  auto* m = arenaNew<Member>(arena);
  m->kind = kind;
  m->slot = -1;
  return m;
}

Parameter* newParameter(Identifier* name, Type* type, uint16_t modifiers, int32_t line, int32_t column) {
  auto* parameter = arenaNew<Parameter>(&global.mainArena);
  parameter->name = name;
  parameter->type = type;
  parameter->modifiers = modifiers;
  parameter->line = line;
  parameter->column = column;
  return parameter;
}

ThrowsEntry* newThrowsEntry(ClassRef* ref, int32_t line, int32_t column) {
  auto* entry = arenaNew<ThrowsEntry>(&global.mainArena);
  entry->classRef = ref;
  entry->line = line;
  entry->column = column;
  return entry;
}

Member* newMember(Identifier* name, int32_t line, int32_t column, uint16_t modifiers, Type* type, int32_t bodyOffset,
                  int32_t bodyLine, int32_t bodyColumn, ThrowsEntry* throwsList, Parameter* parameters) {
  Member* m = newMemberOfKind(&global.mainArena, MK_METHOD);
  m->name = name;
  m->line = line;
  m->column = column;
  m->modifiers = modifiers;
  m->type = type;
  m->bodyOffset = bodyOffset;
  m->bodyLine = bodyLine;
  m->bodyColumn = bodyColumn;
  m->throwsList = throwsList;
  m->parameters = parameters;
  return m;
}

Member* newVariable(uint16_t modifiers, Type* type, Identifier* name, bool inCurrentArena, int32_t line,
                    int32_t column) {
  const char* text = identToString(name);
  if (modifiers & M_NATIVE) errorAt(line, column, "var.native", text);
  if (modifiers & M_SYNCHRONIZED) errorAt(line, column, "var.synchronized", text);
  if (modifiers & M_ABSTRACT) errorAt(line, column, "var.abstract", text);
  if (modifiers & M_STRICTFP) errorAt(line, column, "var.strictfp", text);
  ClassDef* enclosing = global.ctx.enclosing;
  if (enclosing != nullptr && enclosing->kind == CLASS_KIND_INTERFACE && (modifiers & M_TRANSIENT)) {
    if (modifiers & M_STATIC) errorAt(line, column, "var.static.transient");
    if (modifiers & M_FINAL) errorAt(line, column, "var.final.transient");
  }
  Member* v = newMemberOfKind(inCurrentArena ? global.currentArena : &global.mainArena, MK_VARIABLE);
  v->modifiers = modifiers;
  v->type = type;
  v->name = name;
  v->line = line;
  v->column = column;
  if (inCurrentArena) checkDuplicateLocal(v);
  return v;
}

void appendToScope(Scope* scope, Member* member) {
  appendAtTail(&scope->first, &scope->last, member);
}

void restartScope(Scope* scope) {
  scope->first = nullptr;
  scope->last = nullptr;
  scope->names = nullptr;
}

Member* declareLocal(Type* type) {
  Member* v = newMemberOfKind(&global.tempArena, MK_VARIABLE);
  v->modifiers = M_SYNTHETIC;
  v->owner = global.ctx.enclosing;
  v->type = type;
  if (global.ctx.scope != nullptr) {
    appendToScope(global.ctx.scope, v);
    v->slot = allocLocalSlots(type != nullptr ? slotsForKind(type->kind) : 1);
  }
  return v;
}

static Member* newInitializer(int32_t kind, int32_t offset, int32_t line, int32_t column) {
  Member* m = newMemberOfKind(&global.mainArena, kind);
  m->line = line;
  m->column = column;
  m->bodyOffset = offset;
  m->bodyLine = line;
  m->bodyColumn = column;
  return m;
}

Member* newStaticInitializer(int32_t offset, int32_t line, int32_t column, int32_t) {
  return newInitializer(MK_STATIC_INITIALIZER, offset, line, column);
}

Member* newInstanceInitializer(int32_t offset, int32_t line, int32_t column, int32_t) {
  return newInitializer(MK_INSTANCE_INITIALIZER, offset, line, column);
}

Member* copyMember(const Member* member) {
  auto* copy = arenaNew<Member>(&global.mainArena);
  *copy = *member;
  copy->next = nullptr;
  copy->owner = nullptr;
  copy->keptDescriptor = nullptr;
  return copy;
}

Member* makeOuterThisField(Member* member, ClassDef* cls, int32_t line, int32_t column) {
  bool localOrAnonymous = (cls->flags & CF_LOCAL) != 0;
  Member* field;
  if (member == nullptr) {
    field = newMemberOfKind(&global.mainArena, MK_VARIABLE);
    field->name = joinNames(nullptr, nullptr, "this", localOrAnonymous ? 0 : cls->depth);
    ClassDef* outer = cls->outer;
    ClassRef* ref = newClassRef(outer != nullptr ? outer->package : nullptr, outer != nullptr ? outer->name : nullptr,
                                outer, 0, cls, line, column);
    Arena* saved = global.currentArena;
    global.currentArena = &global.mainArena;
    field->type = newClassType(ref, ref->name, line, column);
    global.currentArena = saved;
    cls->outerThisField = field;
  } else if (member->slot < 0) {
    field = copyMember(member);
    field->name = joinNames(nullptr, member->name, nullptr, localOrAnonymous ? cls->classNumber - 1 : cls->depth);
  } else {
    field = copyMember(member);
  }
  field->kind = MK_VARIABLE;
  field->line = line;
  field->column = column;
  field->owner = cls;
  field->slot = -1;
  field->modifiers = M_SYNTHETIC | M_FINAL | M_PRIVATE;
  field->constantState = CONSTANT_NONE;
  field->constantValue = nullptr;
  field->original = member;
  if (member != nullptr) {
    field->originalLine = member->line;
    field->originalColumn = member->column;
  }
  field->next = nullptr;
  field->variableFlags &= ~(VAR_HAS_INITIALIZER | VAR_CATCH_PARAMETER);
  return field;
}

void makeCapturedCopies(ClassDef* cls, Member* field) {
  Identifier* variable = field->original != nullptr ? field->original->name : field->name;
  Identifier* base = joinNames("val", variable, nullptr, -1);
  Identifier* name = base;
  for (int32_t counter = 1;;) {
    Member* clash = nullptr;
    for (Member* m = cls->members; m != nullptr; m = m->next)
      if (m->name == name) clash = m;
    if (clash == nullptr) break;
    int32_t clashLine = clash->line != 0 ? clash->line : field->line;
    if (clashLine == 0 && field->line == 0) return;  // already captured
    name = joinNames(nullptr, base, nullptr, counter++);
  }
  field->name = name;
  field->next = cls->members;
  cls->members = field;
}
