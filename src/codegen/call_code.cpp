// Calls, creation, concatenation, class literals and outer instances. The argument lists of
// calls and the element lists of array initializers are left-nested O_ARG chains; initializers
// are taken apart without recursion, since generated code has initializers of many thousands
// of elements.
#include "codegen/call_code.h"

#include <algorithm>
#include <vector>

#include "codegen/access_method_generation.h"
#include "codegen/class_gen_state.h"
#include "codegen/constant_pool.h"
#include "codegen/descriptors.h"
#include "codegen/expression_code.h"
#include "codegen/method_code.h"
#include "codegen/opcodes.h"
#include "codegen/statement_code.h"
#include "semantic/access_methods.h"
#include "semantic/class_records.h"
#include "semantic/class_names.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/parser_context.h"
#include "syntax/declarators.h"

namespace {

void adjust(int32_t delta) {
  classGen.stackDepth += delta;
  if (classGen.stackDepth < 0) classGen.stackDepth = 0;
  foldStackDepth();
}

int32_t kindOf(const Type* type) {
  return type != nullptr ? type->kind : TK_ERROR;
}

ClassDef* classOf(const Type* type) {
  return type != nullptr && type->kind == TK_CLASS && type->classRef != nullptr ? type->classRef->resolved : nullptr;
}

int32_t parameterSlots(const Member* method) {
  int32_t slots = 0;
  for (const Parameter* p = method->parameters; p != nullptr; p = p->next) slots += slotSize(p->type);
  return slots;
}

void invoke(uint8_t opcode, uint16_t reference) {
  emitByte(opcode);
  emitShort(reference);
}

void invokeMember(uint8_t opcode, Member* method) {
  if (method == nullptr) return;
  invoke(opcode, addMethodRef(method));
}

// A private constructor reached from another class of its nest: its access constructor, with null
// for the tag parameter that tells the two apart.
void invokeAccessConstructor(Member* accessConstructor) {
  emitByte(OP_ACONST_NULL);
  adjust(1);
  invokeMember(OP_INVOKESPECIAL, accessConstructor);
}

// The elements of a left-nested O_ARG chain, in source order.
void listElements(ExprNode* list, std::vector<ExprNode*>* out) {
  size_t mark = out->size();
  ExprNode* node = list;
  while (node != nullptr && node->op == O_ARG) {
    if (node->right != nullptr) out->push_back(node->right);
    node = node->left;
  }
  if (node != nullptr) out->push_back(node);
  std::reverse(out->begin() + static_cast<std::ptrdiff_t>(mark), out->end());
}


int32_t newarrayCode(int32_t kind) {
  switch (kind) {
    case TK_BOOLEAN:
      return 4;
    case TK_CHAR:
      return 5;
    case TK_FLOAT:
      return 6;
    case TK_DOUBLE:
      return 7;
    case TK_BYTE:
      return 8;
    case TK_SHORT:
      return 9;
    case TK_INT:
      return 10;
    case TK_LONG:
      return 11;
    default:
      return 0;
  }
}

// An array of `element`s whose length is on the stack.
void genNewArrayOf(const Type* element, const ExprNode* at) {
  switch (kindOf(element)) {
    case TK_CLASS:
      emitByte(OP_ANEWARRAY);
      emitShort(addClass(classOf(element)));
      return;
    case TK_ARRAY:
      emitByte(OP_ANEWARRAY);
      emitShort(addArrayClass(element));
      return;
    default: {
      int32_t code = newarrayCode(kindOf(element));
      if (code == 0) {
        codegenError(at, "no tree gen for new array");
        return;
      }
      emitByte(OP_NEWARRAY);
      emitByte(static_cast<uint32_t>(code));
      return;
    }
  }
}

void genQualifier(ExprNode* qualifier, Member* method, const ExprNode* at) {
  if (qualifier == nullptr || qualifier->op == O_CLASSREF)
    genThisOf(method->owner, at);
  else
    genExpression(qualifier, true);
}

bool isStringType(const Type* type) {
  return type != nullptr && type->kind == TK_CLASS && classOf(type) != nullptr && classOf(type) == stringClass();
}

void ensureRuntimeMembers() {
  if (runtimeMembers.sbInitEmpty == nullptr) initStringBufferMethods();
}

// The operands of a concatenation chain (its left spine), in order.
void concatOperands(ExprNode* e, std::vector<ExprNode*>* out) {
  size_t mark = out->size();
  ExprNode* node = e;
  while (node != nullptr && node->op == O_SCONCAT) {
    out->push_back(node->right);
    node = node->left;
  }
  out->push_back(node);
  std::reverse(out->begin() + static_cast<std::ptrdiff_t>(mark), out->end());
}

void appendOperand(ExprNode* operand) {
  if (operand == nullptr) return;
  if (operand->op == O_NULL) {
    emitByte(OP_ACONST_NULL);
    adjust(1);
    genAppendValue(nullptr);
    return;
  }
  genExpression(operand, true);
  genAppendValue(operand->type);
}

}  // namespace

void genNullCheck(const ExprNode* node) {
  if (node == nullptr || kindOf(node->type) != TK_CLASS) return;
  ensureRuntimeMembers();
  if (runtimeMembers.objectGetClass == nullptr) return;
  emitByte(OP_DUP);
  adjust(1);
  invokeMember(OP_INVOKEVIRTUAL, runtimeMembers.objectGetClass);
  emitByte(OP_POP);
  adjust(-1);
}

bool callGeneratesQualifierFirst(const ExprNode* e, bool* qualifierWanted) {
  const Member* m = e->member;
  const ExprNode* q = e->left;
  // A call through super may report before any code; its qualifier is no chain anyway.
  if (m == nullptr || q == nullptr || q->op == O_CLASSREF || q->op == O_SUPER) return false;
  *qualifierWanted = (m->modifiers & M_STATIC) == 0;
  return true;
}

void checkSuperCallTarget(const ExprNode* e) {
  const Member* m = e->member;
  if (m != nullptr && (m->modifiers & M_ABSTRACT) != 0 && e->left != nullptr && e->left->op == O_SUPER)
    errorAt(e->line, exprColumn(e), "abs.meth.call", methodToString(m));
}

namespace {

// The class or one of its superclasses is `owner` or implements it.
bool hasMembersOf(ClassDef* cls, ClassDef* owner) {
  for (ClassDef* c = cls; c != nullptr; c = superclassOf(c))
    if (c == owner || (owner->kind == CLASS_KIND_INTERFACE && extendsInterface(c->interfaces, owner))) return true;
  return false;
}

}  // namespace

ClassDef* referenceClassOf(const ExprNode* use) {
  const Member* member = use->member;
  ClassDef* from = classGen.cls;
  if (member == nullptr || member->owner == nullptr || from == nullptr || isClassAccessible(from, member->owner))
    return nullptr;
  const ExprNode* q = use->left;
  if (use->op == O_ID && q == nullptr && use->classDef != nullptr) return use->classDef;
  // A static method's qualifier became the declaring class, which no written name here can be:
  // the name or this it replaced says the class.
  if (q != nullptr && q->op == O_CLASSREF && q->classDef == member->owner)
    q = use->savedQualifier != nullptr && use->savedQualifier->type != nullptr ? use->savedQualifier : nullptr;
  if (q == nullptr) {
    for (ClassDef* c = from; c != nullptr; c = c->outer)
      if (hasMembersOf(c, member->owner)) return c;
    return nullptr;
  }
  if (q->op == O_CLASSREF) return q->classDef;
  if (q->op == O_SUPER) return superclassOf(q->classDef);
  if (q->type != nullptr && q->type->kind == TK_CLASS && q->type->classRef != nullptr) return q->type->classRef->resolved;
  return nullptr;
}

void genCall(ExprNode* e, bool wanted, int32_t d0, bool qualifierDone) {
  Member* m = e->member;
  if (m == nullptr) return;
  ExprNode* q = e->left;
  bool isStatic = (m->modifiers & M_STATIC) != 0;
  bool superCall = q != nullptr && q->op == O_SUPER;
  ClassDef* through = referenceClassOf(e);
  ClassDef* owner = through != nullptr ? through : m->owner;
  if (owner != nullptr && owner->kind == CLASS_KIND_INTERFACE && !superCall && !isStatic) {
    if (!qualifierDone) genQualifier(q, m, e);
    genExpression(e->list, true);
    emitByte(OP_INVOKEINTERFACE);
    emitShort(addInterfaceMethodRef(m, through));
    emitByte(static_cast<uint32_t>(parameterSlots(m) + 1));
    emitByte(0);
  } else {
    if (superCall) checkSuperCallTarget(e);
    if (!qualifierDone && isStatic) {
      if (q != nullptr && q->op != O_CLASSREF) genExpression(q, false);
    } else if (!qualifierDone) {
      genQualifier(q, m, e);
    }
    genExpression(e->list, true);
    Member* accessor = superCall && !isStatic && q->classDef != nullptr && q->classDef != classGen.cls
                           ? findHostedAccessor(q->classDef, m, true)
                           : accessMethodFor(m, q);
    if (accessor != nullptr && m->kind == MK_CONSTRUCTOR) {
      invokeAccessConstructor(accessor);
    } else if (accessor != nullptr) {
      invokeMember(OP_INVOKESTATIC, accessor);
    } else {
      uint8_t opcode;
      if (isStatic || (q != nullptr && q->op == O_CLASSREF))
        opcode = OP_INVOKESTATIC;
      else if (superCall)
        opcode = OP_INVOKESPECIAL;
      else if (m->kind == MK_METHOD && (m->modifiers & M_PRIVATE) == 0)
        opcode = OP_INVOKEVIRTUAL;
      else
        opcode = OP_INVOKESPECIAL;
      invoke(opcode, addMethodRef(m, through));
    }
  }
  foldStackDepth();
  const Type* result = m->kind == MK_METHOD ? m->type : &voidType;
  classGen.stackDepth = d0 + slotSize(result);
  foldStackDepth();
  if (!wanted) genPop(slotSize(result));
}

void genArrayInitializer(ExprNode* init, const Type* arrayType, bool wanted) {
  const Type* type = init->type != nullptr && init->type->kind == TK_ARRAY ? init->type : arrayType;
  if (type == nullptr || type->kind != TK_ARRAY) {
    codegenError(init, "no tree gen for new array");
    return;
  }
  const Type* element = type->element;
  std::vector<ExprNode*> elements;
  listElements(init->left, &elements);
  int32_t d0 = classGen.stackDepth;
  genIntConstant(static_cast<int32_t>(elements.size()));
  genNewArrayOf(element, init);
  uint8_t store = arrayStoreOpcode(kindOf(element));
  for (size_t i = 0; i < elements.size(); i++) {
    emitByte(OP_DUP);
    adjust(1);
    genIntConstant(static_cast<int32_t>(i));
    ExprNode* value = elements[i];
    if (value->op == O_AINIT)
      genArrayInitializer(value, element, true);
    else
      genExpression(value, true);
    emitByte(store);
    classGen.stackDepth = d0 + 1;
  }
  if (!wanted) {
    emitByte(OP_POP);
    adjust(-1);
  }
}

void genNew(ExprNode* e, bool wanted) {
  const Type* type = e->type != nullptr && e->type->kind != TK_ERROR ? e->type : e->operandType;
  int32_t d0 = classGen.stackDepth;
  if (kindOf(type) == TK_CLASS) {
    Member* constructor = e->member;
    emitByte(OP_NEW);
    emitShort(addClass(classOf(type)));
    adjust(1);
    if (wanted) {
      emitByte(OP_DUP);
      adjust(1);
    }
    genExpression(e->list, true);
    if (Member* accessor = accessMethodFor(constructor, nullptr))
      invokeAccessConstructor(accessor);
    else
      invokeMember(OP_INVOKESPECIAL, constructor);
    foldStackDepth();
    classGen.stackDepth = d0 + (wanted ? 1 : 0);
    return;
  }
  if (kindOf(type) != TK_ARRAY) {
    codegenError(e, "no tree gen for new array");
    return;
  }
  if (e->list != nullptr && e->list->op == O_AINIT) {
    genArrayInitializer(e->list, type, wanted);
    return;
  }
  int32_t entries = 0;
  int32_t given = 0;
  for (ArrayDimension* d = e->dimensions; d != nullptr; d = d->next) {
    entries++;
    if (d->size != nullptr) {
      genExpression(d->size, true);
      given++;
    }
  }
  if (entries > 1) {
    if (given > 255) errorAt(e->line, exprColumn(e), "exceeded.max.dimensions");
    emitByte(OP_MULTIANEWARRAY);
    emitShort(addArrayClass(type));
    emitByte(static_cast<uint32_t>(given & 0xFF));
  } else {
    genNewArrayOf(type->element, e);
  }
  foldStackDepth();
  classGen.stackDepth = d0 + 1;
  if (!wanted) {
    emitByte(OP_POP);
    adjust(-1);
  }
}

void genNewStringBuffer() {
  ensureRuntimeMembers();
  emitByte(OP_NEW);
  emitShort(addClass(stringBufferClass()));
  emitByte(OP_DUP);
  adjust(2);
  invokeMember(OP_INVOKESPECIAL, runtimeMembers.sbInitEmpty);
  adjust(-1);
}

void genAppendValue(const Type* type) {
  ensureRuntimeMembers();
  const RuntimeMembers& r = runtimeMembers;
  Member* append;
  switch (kindOf(type)) {
    case TK_BOOLEAN:
      append = r.sbAppendBoolean;
      break;
    case TK_CHAR:
      append = r.sbAppendChar;
      break;
    case TK_BYTE:
    case TK_SHORT:
    case TK_INT:
      append = r.sbAppendInt;
      break;
    case TK_LONG:
      append = r.sbAppendLong;
      break;
    case TK_FLOAT:
      append = r.sbAppendFloat;
      break;
    case TK_DOUBLE:
      append = r.sbAppendDouble;
      break;
    case TK_ARRAY:
      // Java converts every array, char[] too, by its toString: append(char[]) would add the
      // characters instead.
      append = r.sbAppendObject;
      break;
    case TK_CLASS:
      append = isStringType(type) ? r.sbAppendString : r.sbAppendObject;
      break;
    default:
      append = r.sbAppendObject;
      break;
  }
  invokeMember(OP_INVOKEVIRTUAL, append);
  adjust(-slotSize(type == nullptr ? &intType : type));
}

void genAppends(ExprNode* operands) {
  std::vector<ExprNode*> list;
  concatOperands(operands, &list);
  for (ExprNode* operand : list) appendOperand(operand);
}

void genBufferToString() {
  ensureRuntimeMembers();
  invokeMember(OP_INVOKEVIRTUAL, runtimeMembers.sbToString);
}

void genStringConcat(ExprNode* e, bool wanted) {
  ensureRuntimeMembers();
  std::vector<ExprNode*> operands;
  concatOperands(e, &operands);
  int32_t d0 = classGen.stackDepth;
  emitByte(OP_NEW);
  emitShort(addClass(stringBufferClass()));
  emitByte(OP_DUP);
  adjust(2);
  size_t start = 0;
  ExprNode* first = operands.empty() ? nullptr : operands[0];
  if (first != nullptr && first->op != O_NULL && isStringType(first->type)) {
    genExpression(first, true);
    // A String variable may hold null, which the buffer's constructor refuses.
    if (first->op != O_STRING) invokeMember(OP_INVOKESTATIC, runtimeMembers.stringValueOfObject);
    invokeMember(OP_INVOKESPECIAL, runtimeMembers.sbInitString);
    start = 1;
  } else {
    invokeMember(OP_INVOKESPECIAL, runtimeMembers.sbInitEmpty);
  }
  classGen.stackDepth = d0 + 1;
  for (size_t i = start; i < operands.size(); i++) {
    appendOperand(operands[i]);
    classGen.stackDepth = d0 + 1;
  }
  genBufferToString();
  if (!wanted) {
    emitByte(OP_POP);
    adjust(-1);
  }
}

void genClassLiteral(ExprNode* e, bool wanted) {
  ensureRuntimeMembers();
  const Type* type = e->operandType;
  int32_t kind = kindOf(type);
  if (kind == TK_CLASS || kind == TK_ARRAY) {
    uint16_t text;
    if (kind == TK_CLASS) {
      text = addUtf8(dottedClassName(classOf(type)));
    } else {
      prepareDescriptorNames(type);
      resetNameBuffer();
      appendTypeDescriptor(type, '.');
      text = addUtf8Chars(global.nameBuffer, global.nameLength, 2);
    }
    uint16_t index = addString(text);
    if (index < 256) {
      emitByte(OP_LDC);
      emitByte(index);
    } else {
      emitByte(OP_LDC_W);
      emitShort(index);
    }
    adjust(1);
    invokeMember(OP_INVOKESTATIC, runtimeMembers.classForName);
  } else {
    Member* field = primitiveTypeField(kind);
    if (field == nullptr) {
      codegenError(e, "no tree gen");
      return;
    }
    emitByte(OP_GETSTATIC);
    emitShort(addFieldRef(field));
    adjust(1);
  }
  if (!wanted) {
    emitByte(OP_POP);
    adjust(-1);
  }
}

namespace {

void genReceiver() {
  emitByte(OP_ALOAD_0);
  adjust(1);
}

// The instance of `found`, a class around the class being generated, through the outer-instance
// fields of every class on the way.
void genOuterChain(ClassDef* found, const ExprNode* at) {
  ClassDef* current = classGen.cls;
  auto fail = [&] {
    errorAt(at != nullptr ? at->line : 0, at != nullptr ? exprColumn(at) : 0, "invalid.this.selector");
  };
  if (found == nullptr || (current->flags & CF_STATIC) != 0 || current->outerThisField == nullptr) {
    fail();
    genReceiver();
    return;
  }
  // Inside a constructor the outer instance is its synthetic parameter, which holds it before
  // the field is assigned.
  Member* method = global.ctx.currentMethod;
  const Parameter* outerParameter = nullptr;
  if (method != nullptr && method->kind == MK_CONSTRUCTOR && method->owner == current)
    for (const Parameter* p = method->parameters; p != nullptr && outerParameter == nullptr; p = p->next)
      if ((p->modifiers & M_SYNTHETIC) != 0 && p->capturedField == current->outerThisField && p->variable != nullptr &&
          p->variable->slot >= 0)
        outerParameter = p;
  if (outerParameter != nullptr) {
    genLoadLocal(outerParameter->variable);
  } else {
    genReceiver();
    emitByte(OP_GETFIELD);
    emitShort(addFieldRef(current->outerThisField));
  }
  for (ClassDef* step = current->outer; step != found; step = step->outer) {
    if (step == nullptr || (step->flags & CF_STATIC) != 0 || step->outerThisField == nullptr) {
      fail();
      return;
    }
    emitByte(OP_GETFIELD);
    emitShort(addFieldRef(step->outerThisField));
  }
}

}  // namespace

void genThisOf(ClassDef* cls, const ExprNode* at) {
  ClassDef* current = classGen.cls;
  if (cls == nullptr || current == nullptr || cls == current || isSubclassOf(current, cls)) {
    genReceiver();
    return;
  }
  ClassDef* found = nullptr;
  for (ClassDef* e = current->outer; e != nullptr && found == nullptr; e = e->outer)
    if (e == cls || isSubclassOf(e, cls)) found = e;
  genOuterChain(found, at);
}

void genEnclosingInstance(ClassDef* cls, const ExprNode* at) {
  ClassDef* current = classGen.cls;
  if (cls == nullptr || current == nullptr || cls == current) {
    genReceiver();
    return;
  }
  for (ClassDef* e = current->outer; e != nullptr; e = e->outer) {
    if (e == cls) {
      genOuterChain(e, at);
      return;
    }
  }
  genThisOf(cls, at);
}
