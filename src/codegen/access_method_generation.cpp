// Access methods written into their owner's class file: each body built by the body parser, then
// generated like any method, so each counts as a method written.
#include "codegen/access_method_generation.h"

#include "codegen/class_file_writer.h"
#include "codegen/class_gen_state.h"
#include "semantic/access_methods.h"
#include "semantic/class_records.h"
#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/parser_context.h"
#include "syntax/method_bodies.h"

Member* accessMethodFor(Member* member, const ExprNode* qualifier) {
  if (member == nullptr) return nullptr;
  if (member->accessMethod != nullptr && member->owner != classGen.cls) return member->accessMethod;
  // The class of the object reached through, as attribution saw it when it asked for the method.
  ClassDef* through = nullptr;
  if (qualifier != nullptr && qualifier->op != O_SUPER && qualifier->op != O_CLASSREF && qualifier->type != nullptr &&
      qualifier->type->kind == TK_CLASS && qualifier->type->classRef != nullptr)
    through = qualifier->type->classRef->resolved;
  if (ClassDef* host = protectedAccessHost(classGen.cls, member, through)) return findHostedAccessor(host, member, false);
  return nullptr;
}

namespace {

// A getter, with its setter linked behind it, or a call method.
void genAccessors(Member* first, Member* member) {
  ParserContext saved = global.ctx;
  for (Member* method = first; method != nullptr; method = method->next) {
    int32_t kind = ACCESSOR_CALL;
    if (member->kind == MK_VARIABLE) kind = method == first ? ACCESSOR_GETTER : ACCESSOR_SETTER;
    resetArena(&global.tempArena);
    buildAccessorMethodBody(method, member, kind);
    classGen.methodHasCode = 1;
    int32_t parameters = countParameterSlots(method);
    int32_t used = method->parameterScope != nullptr ? method->parameterScope->maxSlots : 0;
    classGen.maxLocals = used > parameters ? used : parameters;
    genMethod(method);
  }
  global.ctx = saved;
}

}  // namespace

void genAccessorMethods(Member* member) {
  genAccessors(member->accessMethod, member);
}

void genHostedAccessors(ClassDef* host) {
  forEachHostedAccessor(host, genAccessors);
}
