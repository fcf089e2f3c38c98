// Nested classes go through the same class-declaration parser as top-level ones; this fixes their
// flags, checks their names against the classes around them and records them in the outer class.
// Still lacks the immediate compile of local classes and the anonymous class of an instance
// creation, which wait for body parsing: compileLocalClass does nothing and parseAnonymousClass
// gives the error type.
#include "syntax/nested_classes.h"

#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/element_names.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/compilation_unit.h"
#include "syntax/parser_state.h"

uint16_t nestedClassAccessFlags(uint16_t modifiers, uint16_t flags) {
  static const struct {
    uint16_t modifier;
    uint16_t flag;
  } mapping[] = {{M_PUBLIC, CF_PUBLIC},   {M_PRIVATE, CF_PRIVATE}, {M_PROTECTED, CF_PROTECTED},
                 {M_ABSTRACT, CF_ABSTRACT}, {M_STATIC, CF_STATIC},   {M_FINAL, CF_FINAL},
                 {M_STRICTFP, CF_STRICTFP}, {M_WIDEFP, CF_WIDEFP}};
  for (const auto& m : mapping)
    if (modifiers & m.modifier) flags |= m.flag;
  return flags;
}

bool isMemberClassNameTaken(const ClassDef* outer, const Identifier* name) {
  for (ClassRef* entry = outer->innerClasses; entry != nullptr; entry = entry->next)
    if (entry->name == name && (entry->flags & CF_LOCAL) == 0) return true;
  return false;
}

namespace {

// False (after the report) when the class may not have its name here.
bool checkNestedClassName(ClassDef* cls, ClassDef* outer) {
  Identifier* name = cls->name;
  if (name == nullptr) return false;
  if (cls->flags & CF_LOCAL) {
    Scope* scope = global.ctx.scope;
    if (scope != nullptr && scope->owner == outer) {
      for (Member* m = scope->first; m != nullptr; m = m->next) {
        if (m->kind == MK_CLASS_DECLARATION && m->name == name) {
          errorAt(cls->line, cls->column, "nested.class.name.dup", identToString(name));
          return false;
        }
      }
    }
  } else if (isMemberClassNameTaken(outer, name)) {
    errorAt(cls->line, cls->column, "nested.class.name.dup", identToString(name));
    return false;
  }
  for (ClassDef* around = outer; around != nullptr; around = around->outer) {
    if (around->name == name) {
      errorAt(cls->line, cls->column, "nested.class.name.error", identToString(name));
      return false;
    }
  }
  return true;
}

}  // namespace

Member* parseNestedClass(SourceFile* file, ClassDef* outer, uint16_t nestingFlags, uint16_t modifiers, Identifier* name,
                         ClassRef* superclass, ExprNode* anonymousArguments, ClassRef* interfaces, int32_t line,
                         int32_t column) {
  ParseNesting nesting;
  if (nesting.tooDeep(line, column)) {
    // Passed over as one balanced group, the classes inside it included, without recursion.
    syntaxErrorSkip(nullptr);
    return nullptr;
  }
  constexpr uint16_t illegal = M_NATIVE | M_SYNCHRONIZED | M_TRANSIENT | M_VOLATILE;
  if (modifiers & illegal) {
    errorAt(line, column, "inner.class.bad.decl");
    modifiers &= ~illegal;
  }
  uint16_t flags = nestingFlags | CF_NESTED;
  Member* method = global.ctx.currentMethod;
  bool needsOuterInstance = (global.ctx.flags & CTX_STATIC) == 0 && outer != nullptr && (nestingFlags & CF_STATIC) == 0 &&
                            (method == nullptr || (method->modifiers & M_STATIC) == 0);
  flags = nestedClassAccessFlags(modifiers, flags);
  ClassDef* cls = parseClassDeclaration(file, outer->package, flags, name, outer, superclass, anonymousArguments,
                                        interfaces, needsOuterInstance);
  if (cls == nullptr) return nullptr;
  if (((cls->flags & CF_STATIC) != 0 || cls->kind == CLASS_KIND_INTERFACE) && isInnerClass(outer))
    errorAt(line, column, "static.class.nesting.error");
  if (!checkNestedClassName(cls, outer)) return nullptr;
  addInnerClass(outer, cls, cls->name, cls->flags, line, column);
  Member* declaration = newMemberOfKind(&global.mainArena, MK_CLASS_DECLARATION);
  declaration->name = cls->name;
  declaration->line = line;
  declaration->column = column;
  declaration->owner = outer;
  declaration->modifiers = modifiers;
  declaration->declaredClass = cls;
  return declaration;
}

ClassDef* parseLocalClass(uint16_t nestingFlags, Identifier* name, uint16_t modifiers, ClassRef* superclass,
                          ExprNode* anonymousArguments, ClassRef* interfaces, int32_t line, int32_t column) {
  // A local class and its members outlive the body being parsed.
  Arena* saved = global.currentArena;
  global.currentArena = &global.mainArena;
  Member* declaration = parseNestedClass(global.current, global.ctx.enclosing, nestingFlags, modifiers, name, superclass,
                                         anonymousArguments, interfaces, line, column);
  global.currentArena = saved;
  if (declaration == nullptr) return nullptr;
  if (global.ctx.scope != nullptr) appendToScope(global.ctx.scope, declaration);
  compileLocalClass(declaration->declaredClass);
  return declaration->declaredClass;
}

void compileLocalClass(ClassDef*) {}

Type* parseAnonymousClass(Type*, ExprNode*, int32_t, int32_t) {
  return &errorType;
}
