// Access methods written into their owner's class file: each body built by the body parser, then
// generated like any method, so each counts as a method written.
#include "codegen/access_method_generation.h"

#include "codegen/class_file_writer.h"
#include "codegen/class_gen_state.h"
#include "semantic/access_methods.h"
#include "semantic/class_records.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/parser_context.h"
#include "syntax/method_bodies.h"

void genAccessorMethods(Member* member) {
  ParserContext saved = global.ctx;
  for (Member* method = member->accessMethod; method != nullptr; method = method->next) {
    int32_t kind = ACCESSOR_CALL;
    if (member->kind == MK_VARIABLE) kind = method == member->accessMethod ? ACCESSOR_GETTER : ACCESSOR_SETTER;
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
