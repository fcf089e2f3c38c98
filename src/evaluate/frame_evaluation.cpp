// Names, fields, array lengths and elements of a debugger expression read from the stopped frame
// through the machine view and turned into constant nodes. Every report has no position and ends
// in the evaluation's capture buffer.
#include "evaluate/frame_evaluation.h"

#include <cstring>

#include "semantic/class_lookup.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/type_relations.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/identifiers.h"

namespace {

VmView* view;
bool haveFrame;
bool typesOnly;

void report(ExprNode* node, const char* key) {
  errorInFile(nullptr, 0, 0, key);
  if (node != nullptr) node->type = &errorType;
}

void report(ExprNode* node, const char* key, const char* argument) {
  errorInFile(nullptr, 0, 0, key, argument);
  if (node != nullptr) node->type = &errorType;
}

void internalError(ExprNode* node, const char* detail) {
  report(node, "internal.evalexpr.error", detail);
}

bool isValueKind(int32_t kind) {
  return isReferenceKind(kind) || (kind >= TK_BOOLEAN && kind <= TK_DOUBLE);
}

// A slot of the frame that holds a value of the kind: below the frame's slot count with every
// word of the value (a long or double in the last slot would reach past the frame).
bool slotHasPlace(int32_t slot, int32_t kind) {
  if (slot < 0 || !haveFrame || view == nullptr || !view->frameHasMethod()) return false;
  int32_t count = view->localSlotCount();
  int32_t width = kind == TK_LONG || kind == TK_DOUBLE ? 2 : 1;
  return count > 0 && slot <= count - width;
}

// The node becomes the constant of the value read at the type's kind (a value kind).
void becomeValue(ExprNode* node, Type* type, const VmValue& value) {
  node->left = nullptr;
  node->right = nullptr;
  node->third = nullptr;
  node->list = nullptr;
  node->member = nullptr;
  node->literalKind = 0;
  node->flags |= EXPR_FRAME_VALUE;
  node->type = type;
  node->integerValue = 0;
  node->doubleValue = 0.0;
  switch (type->kind) {
    case TK_FLOAT:
    case TK_DOUBLE:
      node->op = O_DCONST;
      node->doubleValue = value.floating;
      return;
    case TK_CLASS:
    case TK_ARRAY:
      node->op = value.object != 0 ? O_OBJECT : O_NULL;
      node->integerValue = static_cast<int64_t>(value.object);
      return;
    default:
      node->op = O_CONST;
      node->integerValue = value.integer;
      normalizeIntConstant(node);
      return;
  }
}

// Decodes one character of modified UTF-8 (a lone byte that starts no sequence stands for itself).
uint32_t nextCodePoint(const unsigned char** p) {
  const unsigned char* s = *p;
  uint32_t c = s[0];
  if (c >= 0xe0 && c < 0xf0 && (s[1] & 0xc0) == 0x80 && (s[2] & 0xc0) == 0x80) {
    *p = s + 3;
    return ((c & 0x0f) << 12) | ((s[1] & 0x3fu) << 6) | (s[2] & 0x3fu);
  }
  if (c >= 0xc0 && c < 0xe0 && (s[1] & 0xc0) == 0x80) {
    *p = s + 2;
    return ((c & 0x1f) << 6) | (s[1] & 0x3fu);
  }
  if (c >= 0xf0 && c < 0xf8 && (s[1] & 0xc0) == 0x80 && (s[2] & 0xc0) == 0x80 && (s[3] & 0xc0) == 0x80) {
    *p = s + 4;
    return ((c & 0x07) << 18) | ((s[1] & 0x3fu) << 12) | ((s[2] & 0x3fu) << 6) | (s[3] & 0x3fu);
  }
  *p = s + 1;
  return c;
}

Identifier* nameOfBytes(const char* bytes, int32_t length) {
  resetNameBuffer();
  appendNameUtf8(bytes, length);
  return lookupName(global.nameBuffer, global.nameLength, 1);
}

// "a/b/C" up to ";" or the end: each component before a "/" a package below the one before,
// the last the class, declared in the class table when it is not there yet.
Type* classTypeFromSignature(const char* text) {
  const char* end = text;
  while (*end != '\0' && *end != ';') end++;
  if (end == text) return nullptr;
  Package* package = nullptr;
  const char* start = text;
  for (const char* p = text; p < end; p++) {
    if (*p != '/') continue;
    if (p == start) return nullptr;
    package = getPackage(package, nameOfBytes(start, static_cast<int32_t>(p - start)));
    start = p + 1;
  }
  if (start == end) return nullptr;
  auto* ref = arenaNew<ClassRef>(&global.mainArena);
  ref->package = package != nullptr ? package : &rootPackage;
  ref->name = nameOfBytes(start, static_cast<int32_t>(end - start));
  enterClassStub(ref);
  auto* type = arenaNew<Type>(&global.mainArena);
  type->kind = TK_CLASS;
  type->classRef = ref;
  return type;
}

bool coversPc(const VmLocalEntry& entry, int64_t pc) {
  return entry.start <= pc && pc < static_cast<int64_t>(entry.start) + entry.length;
}

// The "this" entry of the method's table; false when there is none.
bool findThisEntry(VmLocalEntry* found) {
  int32_t length = view->localTableLength();
  for (int32_t i = 0; i < length; i++) {
    VmLocalEntry entry = view->localEntry(i);
    if (entry.name == nullptr) break;
    if (std::strcmp(entry.name, "this") == 0) {
      *found = entry;
      return true;
    }
  }
  return false;
}

// A simple name: the first local of that name whose range covers pc; else a field of `this`;
// else the report says whether the name is a local out of range here, no field, or unknown.
void foldName(ExprNode* node, int64_t pc) {
  int32_t length = view->localTableLength();
  if (length < 0) {
    report(node, "evalexpr.not.found", identToString(node->name));
    return;
  }
  bool haveThis = false;
  bool nameSeen = false;
  VmLocalEntry thisEntry{};
  for (int32_t i = 0; i < length; i++) {
    VmLocalEntry entry = view->localEntry(i);
    if (entry.name == nullptr) break;
    if (std::strcmp(entry.name, "this") == 0) {
      haveThis = true;
      thisEntry = entry;
    }
    if (!nameMatches(node->name, entry.name)) continue;
    nameSeen = true;
    if (coversPc(entry, pc)) {
      loadLocalVariable(&entry, node);
      return;
    }
  }
  VmValue self{};
  if (haveThis && slotHasPlace(thisEntry.slot, TK_CLASS) && view->readLocal(thisEntry.slot, TK_CLASS, &self)) {
    int32_t loaded = loadField(node, node->name, self.object);
    if (loaded != 0) return;
    report(node, nameSeen ? "cannot.access.local" : "undef.field", identToString(node->name));
    return;
  }
  report(node, "evalexpr.not.found", identToString(node->name));
}

// A field access: the left operand folded first. A null of array type is a null array here
// too: its length is no field of anything.
void foldSelection(ExprNode* node) {
  ExprNode* left = foldMemoryReference(node->left);
  node->left = left;
  if (left == nullptr || hasErrorType(left)) {
    node->type = &errorType;
    return;
  }
  bool arrayType = left->type != nullptr && left->type->kind == TK_ARRAY;
  if (typesOnly && arrayType && left->op != O_OBJECT && nameMatches(node->name, "length")) {
    node->type = &intType;
    return;
  }
  if (arrayType && left->op == O_NULL && nameMatches(node->name, "length")) {
    report(node, "evalexpr.null.array");
    return;
  }
  if (left->type == nullptr || left->op != O_OBJECT) {
    report(node, "not.class.type");
    return;
  }
  VmObject object = static_cast<VmObject>(left->integerValue);
  if (arrayType && nameMatches(node->name, "length")) {
    VmValue length{};
    length.integer = view->arrayLength(object);
    becomeValue(node, &intType, length);
    return;
  }
  if (loadField(node, node->name, object) == 0) report(node, "undef.field", identToString(node->name));
}

}  // namespace

void setTypesOnly(bool on) {
  typesOnly = on;
}

void setEvaluationView(VmView* machine) {
  view = machine;
  haveFrame = false;
}

VmView* evaluationView() {
  return view;
}

bool setCurrentFrame(int32_t depth) {
  haveFrame = view != nullptr && view->selectFrame(depth);
  return haveFrame;
}

void clearCurrentFrame() {
  haveFrame = false;
}

bool nameMatches(const Identifier* name, const char* text) {
  if (name == nullptr || text == nullptr) return false;
  const uint16_t* units = identifierChars(name);
  int32_t count = 0;
  for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p != 0;) {
    uint32_t c = nextCodePoint(&p);
    if (c >= 0x10000) {
      if (count + 2 > name->length) return false;
      c -= 0x10000;
      if (units[count] != 0xd800 + (c >> 10) || units[count + 1] != 0xdc00 + (c & 0x3ff)) return false;
      count += 2;
      continue;
    }
    if (count >= name->length || units[count] != c) return false;
    count++;
  }
  return count == name->length;
}

// Any number of "[" before one element signature; a class name up to ";".
Type* typeFromSignature(const char* text) {
  if (text == nullptr) return nullptr;
  int32_t dimensions = 0;
  while (text[dimensions] == '[') dimensions++;
  const char* element = text + dimensions;
  Type* type;
  switch (*element) {
    case 'L': type = classTypeFromSignature(element + 1); break;
    default: type = descriptorLetterType(*element); break;
  }
  if (type == nullptr || (dimensions > 0 && type->kind == TK_VOID)) return nullptr;
  for (int32_t i = 0; i < dimensions; i++) type = newArrayType(type);
  return type;
}

// Steps: bad input; constants and nodes that failed stay; a frame with a method is needed; then
// by operator: a simple name, a field access, this, an array element.
ExprNode* foldMemoryReference(ExprNode* node) {
  if (node == nullptr) {
    internalError(nullptr, "bad foldMemoryReference input");
    return nullptr;
  }
  if (hasErrorType(node) || node->op == O_CONST || node->op == O_DCONST || node->op == O_NULL) return node;
  if (!haveFrame || view == nullptr) {
    internalError(node, "curFrame==0");
    return node;
  }
  if (!view->frameHasMethod()) {
    internalError(node, "mb==0");
    return node;
  }
  int64_t pc = view->framePc();
  switch (node->op) {
    case O_ID:
      foldName(node, pc);
      break;
    case O_DOT:
      foldSelection(node);
      break;
    case O_THIS: {
      VmLocalEntry entry{};
      if (view->localTableLength() >= 0 && findThisEntry(&entry))
        loadLocalVariable(&entry, node);
      else
        report(node, "evalexpr.not.found", "this");
      break;
    }
    case O_SUBSCRIPT:
      accessMember(node);
      break;
    default:
      break;
  }
  return node;
}

void loadLocalVariable(const VmLocalEntry* entry, ExprNode* node) {
  if (node == nullptr) {
    internalError(nullptr, "bad loadLocalVariable input");
    return;
  }
  if (entry == nullptr) {
    internalError(node, "bad loadLocalVariable input, lv==0");
    return;
  }
  if (entry->signature == nullptr) {
    internalError(node, "cannot access constant pool");
    return;
  }
  Type* type = typeFromSignature(entry->signature);
  if (type == nullptr) {
    internalError(node, "no type on local");
    return;
  }
  if (!isValueKind(type->kind)) {
    internalError(node, "unknown type of local");
    return;
  }
  // A slot the frame does not have is no value of the program.
  if (!slotHasPlace(entry->slot, type->kind)) {
    internalError(node, "local slot outside the frame");
    return;
  }
  VmValue value{};
  if (!view->readLocal(entry->slot, type->kind, &value)) {
    internalError(node, "cannot read local slot");
    return;
  }
  becomeValue(node, type, value);
}

// Steps: the arguments; the object's class and its field list; the class's own fields searched
// from the last to the first; the field's type; its value where the machine keeps it.
int32_t loadField(ExprNode* node, Identifier* name, VmObject object) {
  if (node == nullptr || name == nullptr || object == 0 || view == nullptr) {
    internalError(node, "bad loadField input");
    return -1;
  }
  VmClass cls = view->classOf(object);
  if (cls == 0) {
    internalError(node, "obj_classblock(obj)==0");
    return -1;
  }
  int32_t count = view->fieldCount(cls);
  if (count < 0) {
    internalError(node, "no fields in cb");
    return -1;
  }
  int32_t index = count - 1;
  VmField field{};
  for (; index >= 0; index--) {
    field = view->field(cls, index);
    if (nameMatches(name, field.name)) break;
  }
  if (index < 0) return 0;
  Type* type = typeFromSignature(field.signature);
  if (type == nullptr) {
    internalError(node, "cannot make type");
    return -1;
  }
  if (!isValueKind(type->kind)) {
    internalError(node, "unknown field type");
    return -1;
  }
  VmValue value{};
  switch (view->readField(object, cls, index, type->kind, &value)) {
    case VM_FIELD_READ:
      becomeValue(node, type, value);
      return 1;
    case VM_FIELD_NO_DATA:
      internalError(node, "unhand(obj)==0");
      return -1;
    default:
      internalError(node, "v==0");
      return -1;
  }
}

// Steps: an array (an object, or a null of array type) and a constant index; not null; within
// the bounds; the element read at the element type attribution gave the node.
int32_t accessMember(ExprNode* node) {
  if (node == nullptr || node->left == nullptr || node->right == nullptr || node->type == nullptr ||
      view == nullptr) {
    internalError(node, "bad accessMember input");
    return 0;
  }
  ExprNode* array = node->left;
  ExprNode* index = node->right;
  // Only the type is asked: the element type that attribution gave the node stands, unread.
  if (typesOnly && isValueKind(node->type->kind)) return 0;
  bool nullArray = array->op == O_NULL && array->type != nullptr && array->type->kind == TK_ARRAY;
  if (array->op != O_OBJECT && !nullArray) {
    report(node, "not.array.type");
    return 0;
  }
  if (index->op != O_CONST) {
    report(node, "const.needed");
    return 0;
  }
  if (nullArray || array->integerValue == 0) {
    report(node, "evalexpr.null.array");
    return 0;
  }
  VmObject object = static_cast<VmObject>(array->integerValue);
  int64_t length = view->arrayLength(object);
  if (index->integerValue < 0 || index->integerValue >= length) {
    report(node, "evalexpr.array.bounds");
    return 0;
  }
  Type* type = node->type;
  if (!isValueKind(type->kind)) {
    internalError(node, "unknown element type");
    return 0;
  }
  VmValue value{};
  if (!view->readElement(object, static_cast<int32_t>(index->integerValue), type->kind, &value)) {
    internalError(node, "cannot read array element");
    return 0;
  }
  becomeValue(node, type, value);
  return 1;
}
