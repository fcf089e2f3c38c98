// Nested classes go through the same class-declaration parser as top-level ones; this fixes their
// flags, checks their names against the classes around them and records them in the outer class.
// Local and anonymous classes are compiled where their declaration ends, in the middle of the
// enclosing body, with the parse of that body put aside and taken up again afterwards.
#include "syntax/nested_classes.h"

#include <optional>

#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/element_names.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "semantic/class_lookup.h"
#include "semantic/class_table.h"
#include "semantic/passes.h"
#include "semantic/synthetic_members.h"
#include "semantic/try_clauses.h"
#include "syntax/compilation_unit.h"
#include "syntax/method_bodies.h"
#include "syntax/parser_state.h"
#include "syntax/scanner.h"

uint16_t nestedClassAccessFlags(uint16_t modifiers, uint16_t flags) {
  static const struct {
    uint16_t modifier;
    uint16_t flag;
  } mapping[] = {{M_PUBLIC, CF_PUBLIC},   {M_PRIVATE, CF_PRIVATE}, {M_PROTECTED, CF_PROTECTED},
                 {M_ABSTRACT, CF_ABSTRACT}, {M_STATIC, CF_STATIC},   {M_FINAL, CF_FINAL},
                 {M_STRICTFP, CF_STRICTFP}, {M_WIDEFP, CF_WIDEFP}, {M_DEPRECATED, CF_DEPRECATED}};
  for (const auto& m : mapping)
    if (modifiers & m.modifier) flags |= m.flag;
  return flags;
}

bool isMemberClassNameTaken(const ClassDef* outer, const Identifier* name) {
  return findMemberClassEntry(outer, name) != nullptr;
}

namespace {

// False (after the report) when the class may not have its name here.
bool checkNestedClassName(ClassDef* cls, ClassDef* outer) {
  Identifier* name = cls->name;
  if (name == nullptr) return false;
  if (cls->flags & CF_LOCAL) {
    // Every open block of the body, outward: a local class is in scope to the end of its block,
    // nested blocks included (JLS 14.3). A member class of the name is shadowed, not clashed with.
    for (Scope* scope = global.ctx.scope; scope != nullptr && scope->owner == outer; scope = scope->outer) {
      for (Member* m = scope->first; m != nullptr; m = m->next) {
        if (m->kind == MK_CLASS_DECLARATION && m->name == name && m->declaredClass != nullptr &&
            (m->declaredClass->flags & CF_LOCAL) != 0) {
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
  bool needsOuterInstance = (global.ctx.flags & (CTX_STATIC | CTX_CONSTRUCTOR_CALL_ARGUMENTS)) == 0 && outer != nullptr &&
                            (nestingFlags & CF_STATIC) == 0 && (method == nullptr || (method->modifiers & M_STATIC) == 0);
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

namespace {

ClassPass localClassGenerator;

// The local classes of one file by the offset of their first token. An entry is made once per
// class and never removed, so the table only grows; it is kept at most half full.
struct LocalClassEntry {
  int32_t offset;  // 0: free (a class never starts a file's first byte inside a body)
  Member* declaration;
};

}  // namespace

struct LocalClassTable {
  uint32_t mask;
  uint32_t count;
  LocalClassEntry* entries;
};

namespace {

uint32_t offsetSlot(int32_t offset, uint32_t mask) {
  uint64_t bits = static_cast<uint32_t>(offset) * 0x9E3779B97F4A7C15ull;
  return static_cast<uint32_t>(bits >> 32) & mask;
}

LocalClassEntry* findLocalClassEntry(LocalClassTable* table, int32_t offset) {
  for (uint32_t i = offsetSlot(offset, table->mask);; i = (i + 1) & table->mask) {
    LocalClassEntry* entry = &table->entries[i];
    if (entry->offset == 0 || entry->offset == offset) return entry;
  }
}

Member* knownLocalClass(SourceFile* file, int32_t offset) {
  if (file == nullptr || file->localClasses == nullptr || offset <= 0) return nullptr;
  return findLocalClassEntry(file->localClasses, offset)->declaration;
}

void recordLocalClass(SourceFile* file, int32_t offset, Member* declaration) {
  if (file == nullptr || offset <= 0) return;
  LocalClassTable* table = file->localClasses;
  if (table == nullptr) {
    table = arenaNew<LocalClassTable>(&global.mainArena);
    table->mask = 15;
    table->entries = arenaNewArray<LocalClassEntry>(&global.mainArena, 16);
    file->localClasses = table;
  }
  if ((table->count + 1) * 2 > table->mask + 1) {
    LocalClassEntry* old = table->entries;
    uint32_t oldSize = table->mask + 1;
    table->mask = oldSize * 2 - 1;
    table->entries = arenaNewArray<LocalClassEntry>(&global.mainArena, oldSize * 2);
    for (uint32_t i = 0; i < oldSize; i++)
      if (old[i].offset != 0) *findLocalClassEntry(table, old[i].offset) = old[i];
  }
  LocalClassEntry* entry = findLocalClassEntry(table, offset);
  if (entry->offset == 0) table->count++;
  entry->offset = offset;
  entry->declaration = declaration;
}

// A class made by an earlier parse of the same body: its text is passed over to its closing brace,
// which becomes the current token, as after a parse of it.
void skipKnownClass() {
  while (token().kind != T_LBRACE && token().kind != T_EOF) scanToken();
  if (token().kind == T_LBRACE) skipBalanced(T_RBRACE);
}

}  // namespace

void setLocalClassGenerator(ClassPass generator) {
  localClassGenerator = generator;
}

namespace {

// Around a local class generated once more: what its first generation reported (warnings,
// deprecated uses, dependency lines) is neither printed nor counted again, and the local classes
// inside it that its bodies meet are generated again too (regenerationDue).
class Regeneration {
 public:
  explicit Regeneration(ClassDef* cls)
      : file_(cls->sourceFile),
        noWarnings_(global.noWarnings),
        dependencyOutput_(global.dependencyOutput),
        deprecatedUses_(global.deprecatedUses),
        fileDeprecations_(file_ != nullptr ? file_->deprecationUsed : 0) {
    global.noWarnings = 1;
    global.dependencyOutput = 0;
    global.regenerating++;
    global.generationRound++;
  }
  ~Regeneration() {
    global.noWarnings = noWarnings_;
    global.dependencyOutput = dependencyOutput_;
    global.deprecatedUses = deprecatedUses_;
    if (file_ != nullptr) file_->deprecationUsed = fileDeprecations_;
    global.regenerating--;
  }
  Regeneration(const Regeneration&) = delete;
  Regeneration& operator=(const Regeneration&) = delete;

 private:
  SourceFile* file_;
  uint8_t noWarnings_;
  uint8_t dependencyOutput_;
  int32_t deprecatedUses_;
  int32_t fileDeprecations_;
};

// The class and every class inside it (its member classes, the local and anonymous classes of
// its bodies) start afresh: none has been used yet in this generation.
void forgetCapturesUsed(ClassDef* cls) {
  cls->state &= static_cast<uint8_t>(~CLASS_CAPTURES_USED);
  for (ClassRef* inner = cls->innerClasses; inner != nullptr; inner = inner->next)
    if (inner->resolved != nullptr && inner->resolved->outer == cls) forgetCapturesUsed(inner->resolved);
}

// A class already made, met again while the class around it is generated once more.
bool regenerationDue(const ClassDef* cls) {
  return global.regenerating > 0 && cls->generatedRound != global.generationRound;
}

constexpr int32_t MAX_GENERATIONS = 16;

// The class's captured values are all known once its bodies are parsed, but a creation of it (or of
// a class inside it) from inside it, or a subclass inside it, may have been made before the last
// of them was found. Such a late capture is counted, and the class is generated again, with every
// class inside it, until a generation takes none: then every creation passes every value. The
// late captures stay with this class, which settles them.
void generateSettled(ClassDef* cls) {
  if (localClassGenerator == nullptr || global.evaluating) return;
  int32_t before = global.lateCaptures;
  for (int32_t generation = 0; generation < MAX_GENERATIONS; generation++) {
    int32_t late = global.lateCaptures;
    ParserContext ctx = global.ctx;
    {
      std::optional<Regeneration> again;
      if (generation > 0) again.emplace(cls);
      forgetCapturesUsed(cls);
      // A superclass around it may have taken more since they were copied.
      if (cls->superclass != nullptr && (generation > 0 || global.regenerating > 0)) copySuperSyntheticParameters(cls);
      localClassGenerator(cls);
      cls->generatedRound = global.generationRound;
    }
    global.ctx = ctx;
    if (global.lateCaptures == late || cls->sourceFile == nullptr || (cls->sourceFile->flags & SOURCE_HAS_ERRORS) != 0)
      break;
  }
  global.lateCaptures = before;
}

}  // namespace

ClassDef* parseLocalClass(uint16_t nestingFlags, Identifier* name, uint16_t modifiers, ClassRef* superclass,
                          ExprNode* anonymousArguments, ClassRef* interfaces, int32_t line, int32_t column,
                          bool explicitOuter) {
  // A body parsed once more (an instance initializer or field initializer in each constructor)
  // meets the classes that its first parse compiled: they are used again, not made twice.
  int32_t offset = token().start;
  if (Member* known = knownLocalClass(global.current, offset)) {
    skipKnownClass();
    Member* declaration = newMemberOfKind(&global.mainArena, MK_CLASS_DECLARATION);
    *declaration = *known;
    declaration->next = nullptr;
    if (global.ctx.scope != nullptr) appendToScope(global.ctx.scope, declaration);
    if (regenerationDue(declaration->declaredClass)) regenerateLocalClass(declaration->declaredClass);
    return declaration->declaredClass;
  }
  // A local class and its members outlive the body being parsed.
  Arena* saved = global.currentArena;
  global.currentArena = &global.mainArena;
  Member* declaration = parseNestedClass(global.current, global.ctx.enclosing, nestingFlags, modifiers, name, superclass,
                                         anonymousArguments, interfaces, line, column);
  global.currentArena = saved;
  if (declaration == nullptr) return nullptr;
  if (explicitOuter) separateSuperOuterParameter(declaration->declaredClass);
  Member* known = newMemberOfKind(&global.mainArena, MK_CLASS_DECLARATION);
  *known = *declaration;
  recordLocalClass(global.current, offset, known);
  if (global.ctx.scope != nullptr) appendToScope(global.ctx.scope, declaration);
  compileLocalClass(declaration->declaredClass);
  return declaration->declaredClass;
}

namespace {

// The interrupted parse keeps its scopes in global.ctx, which stays as it is: the class's methods
// see the enclosing method's locals through it. Its temporary arena holds the enclosing body's
// nodes, so the class's bodies get one of their own; the generation arena is the enclosing
// class's, since the class is written with it (writeClassFile of the outermost class), once every
// use of the class's members in the rest of the body has asked for its access methods.
class LocalClassFrame {
 public:
  LocalClassFrame() : ctx_(global.ctx), tempArena_(global.tempArena), currentArena_(global.currentArena) {
    initArena(&global.tempArena);
    global.currentArena = &global.mainArena;
  }
  ~LocalClassFrame() {
    releaseArena(&global.tempArena);
    global.tempArena = tempArena_;
    global.currentArena = currentArena_;
    global.ctx = ctx_;
  }
  LocalClassFrame(const LocalClassFrame&) = delete;
  LocalClassFrame& operator=(const LocalClassFrame&) = delete;

 private:
  ScanSnapshot scan_;
  ParserContext ctx_;
  Arena tempArena_;
  Arena* currentArena_;
};

}  // namespace

void compileLocalClass(ClassDef* cls) {
  if (cls == nullptr) return;
  LocalClassFrame frame;
  forClassAndInner(cls, nameAndResolveSupertypes);
  forClassAndInner(cls, checkClass);
  generateSettled(cls);
}

void regenerateLocalClass(ClassDef* cls) {
  LocalClassFrame frame;
  generateSettled(cls);
}

// Steps: the type must name a class or interface (else "no.anon.superclass.name", and the body is
// still read, for its own faults); the class takes its enclosing class's next anonymous name; an
// interface becomes its one interface, with the default superclass; the body is parsed and
// compiled as a local class; the creation gets a type bound to the new class.
Type* parseAnonymousClass(Type* type, ExprNode* arguments, bool explicitOuter, int32_t line, int32_t column) {
  ClassDef* enclosing = global.ctx.enclosing;
  if (enclosing == nullptr) return &errorType;
  // A type that failed was reported where it was named: the body is passed over by the caller.
  if (type != nullptr && type->kind == TK_ERROR) return &errorType;
  ClassDef* named = nullptr;
  bool refused = false;
  if (type == nullptr || type->kind != TK_CLASS || type->classRef == nullptr) {
    errorAt(line, column, "no.anon.superclass.name");
    refused = true;
  } else {
    ClassRef* ref = type->classRef;
    if (ref->resolved == nullptr) resolveRef(ref);
    named = ref->resolved;
    if (named == nullptr || named->kind == CLASS_KIND_ERROR) return &errorType;
  }
  ClassRef* superclass = nullptr;
  ClassRef* interfaces = nullptr;
  if (named != nullptr) {
    ClassRef* ref = newClassRef(type->classRef->package, type->classRef->name, named, 0, enclosing, line, column);
    resolveRef(ref);
    if (named->kind == CLASS_KIND_INTERFACE)
      interfaces = ref;
    else
      superclass = ref;
  }
  Identifier* name = anonymousClassName(enclosing, enclosing->anonymousClassCount + 1);
  ClassDef* cls =
      parseLocalClass(NESTED_ANONYMOUS, name, 0, superclass, arguments, interfaces, line, column, explicitOuter);
  if (cls == nullptr) return nullptr;
  noteInitializerExceptions(cls);
  if (refused) return &errorType;
  ClassRef* ref = newClassRefIn(global.currentArena, cls->package, cls->name, cls, 0, enclosing, line, column);
  return newClassType(ref, cls->name, line, column);
}
