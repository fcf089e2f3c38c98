// The declaration parser: a one-token look-ahead recursive descent that builds the package and
// import records, one ClassDef per class and one Member per member. Executable code is skipped
// by balanced-bracket skipping, its position kept for the body parser.
#include "syntax/compilation_unit.h"

#include <cctype>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/declaration_checks.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/imports.h"
#include "semantic/name_lookup.h"
#include "semantic/synthetic_members.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/declarators.h"
#include "syntax/literals.h"
#include "syntax/nested_classes.h"
#include "syntax/scanner.h"
#include "syntax/scopes.h"

namespace {

struct ModifierWord {
  int32_t kind;
  uint16_t bit;
};

const ModifierWord memberModifiers[] = {
    {T_ABSTRACT, M_ABSTRACT}, {T_FINAL, M_FINAL},       {T_NATIVE, M_NATIVE},       {T_PRIVATE, M_PRIVATE},
    {T_PROTECTED, M_PROTECTED}, {T_PUBLIC, M_PUBLIC},   {T_STATIC, M_STATIC},       {T_STRICTFP, M_STRICTFP},
    {T_SYNCHRONIZED, M_SYNCHRONIZED}, {T_TRANSIENT, M_TRANSIENT}, {T_VOLATILE, M_VOLATILE}, {T_WIDEFP, M_WIDEFP},
};

const ModifierWord classModifiers[] = {
    {T_ABSTRACT, CF_ABSTRACT}, {T_FINAL, CF_FINAL}, {T_PUBLIC, CF_PUBLIC}, {T_STRICTFP, CF_STRICTFP},
    {T_WIDEFP, CF_WIDEFP},
};

template <size_t N>
const ModifierWord* findModifier(const ModifierWord (&table)[N], int32_t kind) {
  for (const ModifierWord& word : table)
    if (word.kind == kind) return &word;
  return nullptr;
}

int32_t closerOf(int32_t opener) {
  return opener == T_LBRACE ? T_RBRACE : opener == T_LPAREN ? T_RPAREN : T_RBRACKET;
}

bool isOpener(int32_t kind) {
  return kind == T_LBRACE || kind == T_LPAREN || kind == T_LBRACKET;
}

// A list of qualified names separated by commas; the current token is the keyword before it. On
// return the current token is the one after the list; false after a failed name.
bool parseNameList(ClassRef** list) {
  ClassRef** tail = list;
  do {
    scanToken();
    ClassRef* ref = parseQualifiedName(nullptr, 0, 0);
    if (ref == nullptr) return false;
    *tail = ref;
    tail = &ref->next;
    scanToken();
  } while (token().kind == T_COMMA);
  return true;
}

// The number a local or anonymous class takes in its binary name.
int32_t localClassNumber(ClassDef* cls, ClassDef* outer) {
  int32_t number = (cls->flags & CF_ANONYMOUS) ? ++outer->anonymousClassCount : ++outer->localClassCount;
  for (ClassDef* counted = outer; counted != nullptr && (counted->flags & CF_ANONYMOUS) != 0 && counted->outer != nullptr;
       counted = counted->outer)
    number = ++counted->outer->anonymousClassCount;
  return number;
}

// The constructor: its bad modifiers reported, then its header; the current token is "(".
void parseConstructor(ClassDef* cls, uint16_t modifiers, int32_t line, int32_t column, bool* hasConstructor) {
  static const struct {
    uint16_t bit;
    const char* word;
  } bad[] = {{M_NATIVE, "native"},     {M_STATIC, "static"},       {M_FINAL, "final"},       {M_SYNCHRONIZED, "synchronized"}, {M_STRICTFP, "strictfp"},
             {M_ABSTRACT, "abstract"}, {M_TRANSIENT, "transient"}, {M_VOLATILE, "volatile"}};
  for (const auto& b : bad)
    if (modifiers & b.bit) errorAt(token().line, token().column, "constructor.bad.mod", b.word);
  Member* constructor = parseMethodDeclaration(nullptr, line, column, modifiers, nullptr);
  if (constructor == nullptr) return;
  constructor->kind = MK_CONSTRUCTOR;
  *hasConstructor = true;
  appendToScope(cls->scope, constructor);
  if (cls->flags & CF_ANONYMOUS) errorAt(line, column, "anonymous.constructor");
}

// Fields and methods after their type; the current token is the token after the type. Returns
// what parseFieldDeclaration made.
int32_t parseFieldOrMethod(ClassDef* cls, uint16_t modifiers, Type* type, int32_t line, int32_t column) {
  if (token().kind == T_LPAREN) {
    syntaxErrorSkip("missing.type");
    return DECLARATION_FAILED;
  }
  int32_t result = parseFieldDeclaration(cls, modifiers, type, false);
  if (result != DECLARATION_METHOD && cls->kind == CLASS_KIND_INTERFACE) {
    if (modifiers & M_VOLATILE) errorAt(line, column, "final.volatile.var");
    if (modifiers & M_SYNCHRONIZED) errorAt(line, column, "final.synchronized.var");
    if (modifiers & M_TRANSIENT) errorAt(line, column, "final.transient.var");
  }
  if (result == DECLARATION_VARIABLES) expectSemicolon("missing.sm");
  return result;
}

// One member of a class body; the current token is its first. In this order:
//  1. a lone ";" is warned about ("warn.empty.member");
//  2. the modifiers; a static member of an inner class is reported at once unless it may yet turn
//     out a constant field (static final, no block, no class);
//  3. "{" with no modifier or static alone: an initializer block, skipped and kept for later;
//  4. the class's own name: before "(" a constructor, else the start of a type;
//  5. "class" or "interface": a member class, static when so marked, inside an interface, or itself
//     an interface;
//  6. anything else: a type, then one or more fields or a method.
void parseMember(SourceFile* file, ClassDef* cls, bool* hasConstructor) {
  if (token().kind == T_SEMICOLON) {
    warningAt(global.current, token().line, token().column, "warn.empty.member");
    return;
  }
  int32_t memberLine = token().line;
  int32_t memberColumn = token().column;
  // A deprecated tag counts in the doc comment before the member's first token.
  bool deprecated = scannerState()->deprecatedSeen != 0;
  uint16_t modifiers = parseModifiers(0);
  int32_t kind = token().kind;
  // An inner class may have no static members but constant fields: a static final member waits
  // until it turns out to be a field, and a field until its constant is evaluated
  // (evaluateClassFieldConstants).
  // A static member class is the nested-class check's to report ("static.class.nesting.error").
  bool isClass = kind == T_CLASS || kind == T_INTERFACE;
  bool staticInInner = isInnerClass(cls) && (modifiers & M_STATIC) != 0 && !isClass;
  bool maybeConstant = staticInInner && (modifiers & M_FINAL) != 0 && kind != T_LBRACE;
  if (staticInInner && !maybeConstant) errorAt(memberLine, memberColumn, "static.in.inner.class");
  auto notAField = [&] {
    if (maybeConstant) errorAt(memberLine, memberColumn, "static.in.inner.class");
  };

  if (kind == T_LBRACE && (modifiers == 0 || modifiers == M_STATIC)) {
    int32_t offset = token().start;
    int32_t line = token().line;
    int32_t column = token().column;
    int32_t reportsBefore = global.errorCount + global.warningCount;
    skipInitializer(T_RBRACE);
    bool isStatic = modifiers == M_STATIC;
    if (token().kind != T_RBRACE) {
      reportHere(isStatic ? "static.block.initializer.missing.rc" : "instance.block.initializer.missing.rc");
      noteSkippedText();
    }
    Member* block = isStatic ? newStaticInitializer(offset, line, column, token().start)
                             : newInstanceInitializer(offset, line, column, token().start);
    // What the skip reported (a character or literal the scanner refused) is not reported again.
    if (global.errorCount + global.warningCount != reportsBefore) block->fieldFlags |= FIELD_INITIALIZER_REPORTED;
    block->owner = cls;
    appendToScope(cls->scope, block);
    return;
  }
  if (deprecated) modifiers |= M_DEPRECATED;
  if (kind == T_IDENTIFIER && token().identifier == cls->name && cls->name != nullptr) {
    Identifier* name = token().identifier;
    int32_t line = token().line;
    int32_t column = token().column;
    if (scanToken() == T_LPAREN) {
      notAField();
      parseConstructor(cls, modifiers, line, column, hasConstructor);
      return;
    }
    ClassRef* ref = parseQualifiedName(name, line, column);
    if (ref == nullptr) return;
    scanToken();
    Type* type = parseType(newClassType(ref, ref->name, ref->line, ref->column), nullptr, false);
    if (type != nullptr && parseFieldOrMethod(cls, modifiers, type, memberLine, memberColumn) == DECLARATION_METHOD)
      notAField();
    return;
  }
  if (kind == T_CLASS || kind == T_INTERFACE) {
    uint16_t nesting = NESTED_INNER_MEMBER;
    // A member interface is static wherever it stands: it has no outer instance.
    if ((modifiers & M_STATIC) || cls->kind == CLASS_KIND_INTERFACE || kind == T_INTERFACE) {
      modifiers |= M_STATIC;
      if (cls->kind == CLASS_KIND_INTERFACE) modifiers |= M_PUBLIC;
      nesting = NESTED_STATIC_MEMBER;
    }
    Member* declaration = parseNestedClass(file, cls, nesting, modifiers, nullptr, nullptr, nullptr, nullptr,
                                           token().line, token().column);
    if (declaration != nullptr) appendToScope(cls->scope, declaration);
    return;
  }
  Type* type = parseType(nullptr, nullptr, true);
  if (type == nullptr) return;
  if (parseFieldOrMethod(cls, modifiers, type, memberLine, memberColumn) == DECLARATION_METHOD) notAField();
}

void parseImport(SourceFile* file) {
  Package* package = &rootPackage;
  int32_t kind = scanToken();
  for (;;) {
    if (kind != T_IDENTIFIER) {
      syntaxErrorSkip("import.no.iden");
      return;
    }
    Identifier* name = token().identifier;
    int32_t line = token().line;
    int32_t column = token().column;
    kind = scanToken();
    if (kind != T_DOT) {
      if (expectSemicolon("package.no.dot")) addImport(package, name, file, line, column);
      return;
    }
    package = getPackage(package, name);
    kind = scanToken();
    if (kind == T_STAR) {
      // An import that is not well formed is not looked up.
      int32_t starLine = token().line;
      int32_t starColumn = token().column;
      scanToken();
      if (!expectSemicolon("import.no.sm")) return;
      addImport(package, nullptr, file, starLine, starColumn);
      return;
    }
  }
}

// Returns the package declared, or null after an error.
Package* parsePackage() {
  Package* package = nullptr;
  for (;;) {
    if (scanToken() != T_IDENTIFIER) {
      syntaxErrorSkip("package.no.iden");
      return nullptr;
    }
    package = getPackage(package, token().identifier);
    if (scanToken() != T_DOT) return expectSemicolon("package.no.dot") ? package : nullptr;
  }
}

}  // namespace

void noteSkippedText() {
  global.skippedParts++;
  global.ctx.bodyIncomplete = 1;
}

bool expectSemicolon(const char* key) {
  if (token().kind == T_SEMICOLON) return true;
  ScannerState* scanner = scannerState();
  // Taken once before a token: a level that cannot start with it fails on it and skips.
  if (lineEndsBeforeToken() && scanner->semicolonTakenBefore != token().start + 1) {
    scanner->semicolonTakenBefore = token().start + 1;
    if (!scanner->previousCutShort && !afterLexicalError())
      errorAt(scanner->previousEndLine, scanner->previousEndColumn, key);
    pushBackToken();
    return true;
  }
  syntaxErrorSkip(key);
  return false;
}

void reportMissingBefore(const char* key) {
  if (afterLexicalError()) return;
  ScannerState* scanner = scannerState();
  if (!lineEndsBeforeToken())
    errorAt(token().line, token().column, key);
  else if (!scanner->previousCutShort)
    errorAt(scanner->previousEndLine, scanner->previousEndColumn, key);
}

void syntaxErrorSkip(const char* key) {
  if (key != nullptr && !afterLexicalError()) errorAt(token().line, token().column, key);
  noteSkippedText();
  if (token().kind == T_RBRACE) {
    pushBackToken();
    return;
  }
  ScannerState* scanner = scannerState();
  int32_t collect = scanner->collectNames;
  setNameCollection(0);
  for (int32_t kind = token().kind;; kind = scanToken()) {
    if (kind == T_EOF || kind == T_SEMICOLON) break;
    if (kind == T_RBRACE) {
      pushBackToken();
      break;
    }
    if (kind == T_LBRACE) {
      for (int32_t depth = 1; depth > 0;) {
        int32_t next = scanToken();
        if (next == T_EOF) break;
        if (next == T_LBRACE) depth++;
        if (next == T_RBRACE) depth--;
      }
      break;
    }
  }
  setNameCollection(collect);
}

void skipBalanced(int32_t closer) {
  // Nested groups are kept on a stack of their closers, so deep nesting costs no recursion. The
  // text is taken straight from its bytes as far as it can be (skipGroupsInPlace), token by token
  // from where it cannot.
  CloserStack closers;
  closers.push(closer);
  while (!closers.empty()) {
    if (skipGroupsInPlace(&closers)) return;
    int32_t kind = scanToken();
    if (kind == T_EOF) return;
    if (kind == closers.top()) {
      closers.pop();
      continue;
    }
    if (kind == T_RBRACE) {
      // A brace that closes an outer group: left for the level above.
      if (closers.size() == 1) {
        pushBackToken();
        return;
      }
      closers.pop();
      pushBackToken();
      continue;
    }
    if (isOpener(kind)) closers.push(closerOf(kind));
  }
}

namespace {

// The keyword a name token skipped without collecting names spells, read from the text at its
// start; T_IDENTIFIER for any other name. Keywords are ASCII letters, so no escape is decoded.
int32_t skippedWordKind(int32_t start) {
  const ScannerState* scanner = scannerState();
  int32_t end = start;
  while (end < scanner->length && scanner->text[end] >= 'a' && scanner->text[end] <= 'z') end++;
  if (end < scanner->length) {
    char next = scanner->text[end];
    if (std::isalnum(static_cast<unsigned char>(next)) || next == '_' || next == '$' || next == '\\' ||
        (next & 0x80) != 0)
      return T_IDENTIFIER;
  }
  for (int32_t kind = FIRST_KEYWORD; kind <= LAST_KEYWORD; kind++) {
    const char* spelling = keywordSpellings[kind - FIRST_KEYWORD];
    if (std::strlen(spelling) == static_cast<size_t>(end - start) &&
        std::memcmp(spelling, scanner->text + start, end - start) == 0)
      return kind;
  }
  return T_IDENTIFIER;
}

// Whether `next`, after a line break, cannot go on with an expression that ended with `previous`:
// a name or keyword after a name or literal, and a keyword that begins a declaration or statement
// after ")" (a cast is followed by a name, new, this, super or a literal). instanceof alone goes
// on with any operand.
bool beginsAfterExpression(int32_t previous, int32_t next) {
  switch (previous) {
    case T_IDENTIFIER:
    case T_INTEGER:
    case T_FLOATING:
    case T_STRING:
    case T_RBRACKET:
    case T_RBRACE:
    case T_THIS:
    case T_NULL:
    case T_TRUE:
    case T_FALSE:
      return next == T_IDENTIFIER || (next >= FIRST_KEYWORD && next <= LAST_KEYWORD && next != T_INSTANCEOF);
    case T_RPAREN:
      return next >= FIRST_KEYWORD && next <= LAST_KEYWORD && next != T_INSTANCEOF && next != T_NEW &&
             next != T_THIS && next != T_SUPER && next != T_NULL && next != T_TRUE && next != T_FALSE;
    default:
      return false;
  }
}

void skipInitializerText(int32_t stopToken, bool endsAtLine) {
  ScannerState* scanner = scannerState();
  int32_t collect = scanner->collectNames;
  setNameCollection(0);
  int32_t previous = T_EOF;
  int32_t previousStart = 0;
  for (int32_t kind = token().kind;;) {
    if (endsAtLine && previous != T_EOF && token().line > scanner->previousEndLine) {
      int32_t before = previous == T_IDENTIFIER ? skippedWordKind(previousStart) : previous;
      int32_t next = kind == T_IDENTIFIER ? skippedWordKind(token().start) : kind;
      if (beginsAfterExpression(before, next)) {
        // The declaration that begins here is read as any other: its first token as a name.
        setNameCollection(collect);
        rescanToken();
        return;
      }
    }
    if (isOpener(kind)) {
      skipBalanced(closerOf(kind));
      if (token().kind == stopToken) break;
    } else if (kind == T_EOF || kind == T_COMMA || kind == T_SEMICOLON || kind == T_RBRACE || kind == T_RPAREN ||
               kind == T_RBRACKET || kind == stopToken) {
      break;
    }
    previous = token().kind;
    previousStart = token().start;
    kind = scanToken();
  }
  setNameCollection(collect);
}

}  // namespace

void skipInitializer(int32_t stopToken) {
  skipInitializerText(stopToken, false);
}

void skipVariableInitializer() {
  skipInitializerText(T_COMMA, true);
}

uint16_t parseModifiers(uint16_t initialBits) {
  uint16_t bits = initialBits;
  for (;;) {
    const ModifierWord* word = findModifier(memberModifiers, token().kind);
    if (word == nullptr) return bits;
    if (bits & word->bit) errorAt(token().line, token().column, "dup.decl.mod", tokenName(token().kind));
    if ((word->bit == M_FINAL && (bits & M_VOLATILE)) || (word->bit == M_VOLATILE && (bits & M_FINAL)))
      reportHere("final.volatile.var");
    bits |= word->bit;
    scanToken();
  }
}

// A top-level class's modifiers; a member modifier among them (private, protected, static, ...)
// is named in a report of its own once `class` or `interface` follows, and dropped.
uint16_t parseClassModifiers(uint16_t initialFlags) {
  uint16_t flags = initialFlags;
  ScannerState* scanner = scannerState();
  if (scanner->deprecatedSeen) {
    scanner->deprecatedSeen = 0;
    flags |= CF_DEPRECATED;
  }
  struct Misplaced {
    int32_t kind;
    int32_t line;
    int32_t column;
  };
  Misplaced misplaced[std::size(memberModifiers)];
  int32_t misplacedCount = 0;
  for (;;) {
    const ModifierWord* word = findModifier(classModifiers, token().kind);
    if (word == nullptr) {
      if (findModifier(memberModifiers, token().kind) == nullptr || (initialFlags & CF_NESTED) != 0) break;
      // Each member modifier is named once: a repeated one was a member modifier already.
      bool seen = false;
      for (int32_t i = 0; i < misplacedCount; i++) seen = seen || misplaced[i].kind == token().kind;
      if (!seen) misplaced[misplacedCount++] = Misplaced{token().kind, token().line, token().column};
      scanToken();
      continue;
    }
    if (flags & word->bit) errorAt(token().line, token().column, "dup.class.mod", tokenName(token().kind));
    flags |= word->bit;
    scanToken();
  }
  // One error names them all, at the first: "private static class" is one fault.
  if ((token().kind == T_CLASS || token().kind == T_INTERFACE) && misplacedCount == 1) {
    errorAt(misplaced[0].line, misplaced[0].column, "top.class.modifier", tokenName(misplaced[0].kind));
  } else if ((token().kind == T_CLASS || token().kind == T_INTERFACE) && misplacedCount > 1) {
    std::string leading = tokenName(misplaced[0].kind);
    for (int32_t i = 1; i + 1 < misplacedCount; i++) leading = leading + ", " + tokenName(misplaced[i].kind);
    errorAt(misplaced[0].line, misplaced[0].column, "top.class.modifiers", leading.c_str(),
            tokenName(misplaced[misplacedCount - 1].kind));
  }
  return flags;
}

// The default constructor has the access of a public or protected class (JLS 8.8.7), package
// access otherwise.
Member* makeDefaultConstructor(ClassDef* cls, ExprNode* anonymousArguments) {
  uint16_t access = (cls->flags & CF_PUBLIC) ? M_PUBLIC : (cls->flags & CF_PROTECTED) ? M_PROTECTED : 0;
  Member* constructor = newMember(nullptr, cls->line, cls->column, access, nullptr, 1, 0, 0, nullptr, nullptr);
  constructor->kind = MK_CONSTRUCTOR;
  constructor->methodFlags |= METHOD_DEFAULT_CONSTRUCTOR;
  constructor->owner = cls;
  cls->defaultConstructor = constructor;
  if (cls->flags & CF_ANONYMOUS) {
    constructor->modifiers |= M_SYNTHETIC;
    // The superclass constructor that the creation's arguments select gives the parameters their
    // types (an argument's own type may be null's, or live only as long as the body) and the
    // constructor its thrown types, which its call to it passes on.
    ClassDef* superclass = cls->superclass != nullptr ? cls->superclass->resolved : nullptr;
    Member* chosen = nullptr;
    if (superclass != nullptr && superclass->kind == CLASS_KIND_CLASS)
      chosen = lookupMethod(superclass, nullptr, true, anonymousArguments, nullptr, cls->line, cls->column);
    if (chosen != nullptr) constructor->throwsList = chosen->throwsList;
    Parameter* typed = chosen != nullptr ? chosen->parameters : nullptr;
    while (typed != nullptr && (typed->modifiers & M_SYNTHETIC) != 0) typed = typed->next;
    // One parameter per argument of the instance creation, left to right.
    std::vector<ExprNode*> arguments;
    for (ExprNode* list = anonymousArguments; list != nullptr;) {
      if (list->op == O_ARG) {
        arguments.push_back(list->right);
        list = list->left;
      } else {
        arguments.push_back(list);
        list = nullptr;
      }
    }
    Parameter** tail = &constructor->parameters;
    int32_t number = 1;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
      ExprNode* argument = *it;
      Type* type = typed != nullptr ? typed->type : lastingType(argument->type);
      if (typed != nullptr) typed = typed->next;
      Parameter* parameter = newParameter(joinNames(nullptr, nullptr, "p", number++), type, M_PRIVATE | M_FINAL,
                                          argument->line, argument->column);
      *tail = parameter;
      tail = &parameter->next;
    }
  }
  return constructor;
}

// A class or interface declaration, top-level or nested; the current token is its first modifier
// (an anonymous class: the "{" of its body, with name, superclass and interfaces given). Steps:
//  1. the record is made and becomes the enclosing class (restored on every way out);
//  2. unless anonymous: the class modifiers, "class" or "interface" (an interface may not be
//     final), the name, then "extends" (one class, or for an interface a list) and, for a class,
//     "implements";
//  3. "{", else "class.body.expected" and no class;
//  4. flags, kind, name, position, supertypes, file and outer class are stored; a nested class
//     first looks its simple superclass name up among the outer class's member classes, learns
//     whether it takes over that superclass's synthetic constructor parameters, gets its local
//     number and depth, and joins its outermost class's package; a top-level class joins
//     `package`; both take their binary names;
//  5. the class scope is opened (a top-level class has none around it) and the members are read to
//     the "}" (parseMember); the end of the file first is "class.body.missing.rc";
//  6. a class without a constructor gets the default one; member names are checked for "$"; a
//     class that needs an outer instance gets the field that holds it, and one that takes over its
//     superclass's synthetic parameters copies them; the scope closes.
ClassDef* parseClassDeclaration(SourceFile* file, Package* package, uint16_t classFlags, Identifier* name,
                                ClassDef* outer, ClassRef* superclass, ExprNode* anonymousArguments,
                                ClassRef* interfaces, bool needsOuterInstance) {
  // Kind, name and binary name are set once the header is read.
  ClassDef* cls = newClassDef(CLASS_KIND_CLASS, nullptr);
  ClassDef* savedEnclosing = global.ctx.enclosing;
  Scope* savedScope = global.ctx.scope;
  global.ctx.enclosing = cls;
  auto fail = [&]() -> ClassDef* {
    global.ctx.enclosing = savedEnclosing;
    global.ctx.scope = savedScope;
    return nullptr;
  };

  uint16_t flags = classFlags;
  int32_t kind = CLASS_KIND_CLASS;
  int32_t line;
  int32_t column;
  if ((flags & CF_ANONYMOUS) == 0) {
    flags = parseClassModifiers(flags);
    if (token().kind == T_INTERFACE) {
      if (flags & CF_FINAL) {
        reportHere("interface.not.final");
        flags &= ~CF_FINAL;
      }
      kind = CLASS_KIND_INTERFACE;
    } else if (token().kind != T_CLASS) {
      syntaxErrorSkip("class.interface.expected");
      return fail();
    }
    if (scanToken() != T_IDENTIFIER) {
      syntaxErrorSkip("class.name.expected");
      return fail();
    }
    name = token().identifier;
    line = token().line;
    column = token().column;
    scanToken();
    if (token().kind == T_EXTENDS) {
      if (kind == CLASS_KIND_CLASS) {
        scanToken();
        superclass = parseQualifiedName(nullptr, 0, 0);
        if (superclass == nullptr) return fail();
        scanToken();
      } else if (!parseNameList(&interfaces)) {
        return fail();
      }
    }
    if (kind == CLASS_KIND_CLASS && token().kind == T_IMPLEMENTS && !parseNameList(&interfaces)) return fail();
  } else {
    line = token().line;
    column = token().column;
  }
  // A "{" missing at the end of the header's line is taken as written: the members follow.
  bool braceTaken = false;
  if (token().kind != T_LBRACE) {
    if ((flags & CF_ANONYMOUS) != 0 || token().kind == T_EOF || !lineEndsBeforeToken()) {
      syntaxErrorSkip("class.body.expected");
      return fail();
    }
    reportMissingBefore("class.body.expected");
    noteSkippedText();
    braceTaken = true;
  }

  if (kind == CLASS_KIND_INTERFACE) flags |= CF_INTERFACE;
  cls->flags = flags;
  cls->kind = kind;
  cls->name = name;
  cls->line = line;
  cls->column = column;
  cls->superclass = superclass;
  cls->interfaces = interfaces;
  cls->sourceFile = file;
  cls->outer = outer;

  bool takeSuperParameters = false;
  if (flags & CF_NESTED) {
    // In its outer class's package from the start: the access check below asks for it.
    cls->package = outer->package;
    // Only a simple name may be a member class of the outer class: q.S is the class of package q.
    if (superclass != nullptr && superclass->resolved == nullptr && superclass->package == nullptr) {
      ClassDef* found = findInnerClassUnique(outer, superclass->name, superclass->line, superclass->column, cls);
      if (found != nullptr) {
        // Resolved first: the access check of a protected class walks this class's superclasses.
        superclass->resolved = found;
        checkClassAccess(cls, found, superclass->line, superclass->column);
      }
    }
    if (superclass != nullptr && superclass->resolved != nullptr &&
        (superclass->resolved->outerThisField != nullptr || (superclass->resolved->flags & CF_NESTED) != 0))
      takeSuperParameters = true;
    if (flags & CF_LOCAL) cls->classNumber = localClassNumber(cls, outer);
    cls->depth = outer->outer != nullptr ? outer->depth + 1 : 0;
    computeBinaryName(cls);
    makeBinaryNameUnique(cls);
    // An anonymous class has one name, in messages and files alike: its binary name, whose
    // number may come from a class further out than the one its first name was made from.
    if (flags & CF_ANONYMOUS) cls->name = cls->binaryName;
    // A second member class of the name is reported by the nested-class checks and dropped: it
    // does not meet the first in the package as well.
    if ((flags & CF_LOCAL) == 0 && isMemberClassNameTaken(outer, name))
      cls->package = outer->package;
    else
      addClassToPackage(outer->package, cls);
  } else {
    computeBinaryName(cls);
    addClassToPackage(package, cls);
    addClassToSource(file, cls);
  }

  auto* scope = arenaNew<Scope>(&global.mainArena);
  if ((flags & CF_NESTED) == 0) global.ctx.scope = nullptr;
  pushScope(scope);
  cls->scope = scope;

  bool hasConstructor = false;
  int32_t skippedBefore = global.skippedParts;
  if (braceTaken) pushBackToken();
  for (;;) {
    int32_t next = scanToken();
    if (next == T_RBRACE) break;
    if (next == T_EOF) {
      // A class body cut off by the end of the file (not by a comment or literal left open, which
      // has said so).
      if (!afterLexicalError()) errorAt(token().line, token().column, "class.body.missing.rc", identToString(cls->name));
      noteSkippedText();
      break;
    }
    parseMember(file, cls, &hasConstructor);
    // A member cut off by the end of the file has reported it already.
    if (token().kind == T_EOF) break;
  }
  if (global.skippedParts != skippedBefore) cls->state |= CLASS_DECLARATIONS_CUT;

  if (kind == CLASS_KIND_CLASS && !hasConstructor) appendToScope(scope, makeDefaultConstructor(cls, anonymousArguments));
  checkDollarName(cls, scope->first);
  if (needsOuterInstance) captureOuterLocal(nullptr, cls, line, column, nullptr);
  if (takeSuperParameters) copySuperSyntheticParameters(cls);
  cls->endLine = token().line;
  popScope(scope);
  global.ctx.enclosing = savedEnclosing;
  global.ctx.scope = savedScope;
  return cls;
}

void parseCompilationUnit(SourceFile* file) {
  if (file->flags & SOURCE_PARSED) return;
  file->flags |= SOURCE_PARSED;
  // Until a package declaration says otherwise, the file's classes are in the unnamed package.
  file->package = &rootPackage;
  SourceFile* savedCurrent = global.current;
  setScanSource(file, 0, 1, 0);
  bool classSeen = false;
  bool importSeen = false;
  bool packageSeen = false;
  for (int32_t kind = scanToken(); kind != T_EOF; kind = scanToken()) {
    int32_t skippedBefore = global.skippedParts;
    ClassDef* declared = nullptr;
    switch (kind) {
      case T_SEMICOLON:
        warningAt(global.current, token().line, token().column, "warn.empty.declaration");
        break;
      case T_RBRACE:
        reportHere("unexpected.rc");
        break;
      case T_ABSTRACT:
      case T_CLASS:
      case T_FINAL:
      case T_INTERFACE:
      case T_PUBLIC:
      case T_STRICTFP:
      case T_WIDEFP:
      // Member modifiers, which no top-level class takes: named where a class follows them.
      case T_NATIVE:
      case T_PRIVATE:
      case T_PROTECTED:
      case T_STATIC:
      case T_SYNCHRONIZED:
      case T_TRANSIENT:
      case T_VOLATILE:
        classSeen = true;
        declared = parseClassDeclaration(file, file->package, 0, nullptr, nullptr, nullptr, nullptr, nullptr, false);
        break;
      case T_IMPORT:
        importSeen = true;
        if (classSeen) reportHere("import.before.class");
        parseImport(file);
        break;
      case T_PACKAGE: {
        // A package after a type declaration would split the file's classes across two
        // packages: it is reported and dropped.
        bool dropped = classSeen || packageSeen;
        if (classSeen)
          reportHere("package.after.class");
        else if (importSeen)
          reportHere("package.before.import");
        if (packageSeen) reportHere("extra.package.stmt");
        Package* package = parsePackage();
        if (package != nullptr && !dropped) {
          file->package = package;
          markSourcePackage(package);
        }
        packageSeen = true;
        break;
      }
      default:
        syntaxErrorSkip("syntax.error");
        break;
    }
    // What a class declaration passed over is its own; anything else (an import, a class lost
    // whole) the file's.
    if (global.skippedParts != skippedBefore && declared == nullptr) file->flags |= SOURCE_DECLARATIONS_CUT;
  }
  global.current = savedCurrent;
  if (global.verbose) messageAt(nullptr, 0, 0, "verbose.parsed", file->name);
}
