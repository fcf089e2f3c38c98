// Deferred bodies. Placeholder: nothing is parsed.
#include "syntax/method_bodies.h"

void beginClassParse(ClassDef*) {}
void parseInitializerBlock(Member*) {}
int32_t parseBlockAt(Member*) {
  return 0;
}
void parseFieldInitializer(Member*) {}
void parseFieldInitializerNested(Member*) {}
void parseFieldInitializerFresh(Member*) {}
ExprNode* parseEvalExpression() {
  return nullptr;
}
void parseMethodBody(Member*) {}
void beginMethodParse(Member*) {}
int32_t countParameterSlots(const Member*) {
  return 0;
}
void assignParameterSlots(Member*) {}
void endScopeVariables(Scope*) {}
void buildDefaultConstructorBody(Member*, int32_t, int32_t) {}
void buildAccessorMethodBody(Member*, Member*, int32_t) {}
