// The entries that parse the deferred parts of a class one at a time (method and constructor
// bodies, initializer blocks, field initializers fresh or in the middle of another parse) and
// build the bodies the source never had (compiler-made constructors, access methods), each
// setting up and taking down the parser context and scopes in a fixed way. A body's statement
// list stays in global.ctx for the caller; its method scope (Member::parameterScope) keeps the
// highest slot count in maxSlots, which is also the method's maxLocals.
#pragma once

#include <cstdint>

struct ClassDef;
struct ExprNode;
struct Member;
struct Scope;

// Class-level code (static initializer blocks and static field initializers) goes into one list:
// the class's initializer scope is pushed and the temporary arena made current; the caller
// restores the arena.
void beginClassParse(ClassDef* cls);
void parseInitializerBlock(Member* initializer);
// An instance initializer block at its position; non-zero when the block parsed. Context and
// scanner saving are the caller's.
int32_t parseBlockAt(Member* initializer);
// A field's initializer with an expression statement for it, in the current list.
void parseFieldInitializer(Member* field);
// Another field's initializer, in the middle of some other parse, only for its constant value;
// the scanner, token, source file and context are put back afterwards.
void parseFieldInitializerNested(Member* field);
// The same from a fresh temporary arena and a cleared context: the field-constant pass.
void parseFieldInitializerFresh(Member* field);
ExprNode* parseEvalExpression();
void parseMethodBody(Member* method);
void beginMethodParse(Member* method);
// A method's parameters may take at most this many local slots, `this` included.
constexpr int32_t MAX_PARAMETER_SLOTS = 255;
// Gives each parameter its variable (made once, reused when the body is built again) and its
// slot in order; called again when a synthetic parameter joins the constructor being parsed.
void assignParameterSlots(Member* method);
// While it lives, the method's parameters are out of its method scope (the instance initializers
// parsed in a constructor must not see them); they are listed there again afterwards, synthetic
// ones added meanwhile included.
class HiddenParameters {
 public:
  explicit HiddenParameters(Member* method);
  ~HiddenParameters();
  HiddenParameters(const HiddenParameters&) = delete;
  HiddenParameters& operator=(const HiddenParameters&) = delete;

 private:
  Member* method_;
};
// An ST_LEAVE_SCOPE for each named variable of the scope, in declaration order.
void endScopeVariables(Scope* scope);
void buildDefaultConstructorBody(Member* constructor, int32_t line, int32_t column);
// kind: 0 call a method or constructor, 1 assign a field, 2 read a field.
void buildAccessorMethodBody(Member* accessMethod, Member* target, int32_t kind);
