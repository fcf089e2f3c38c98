// Member declarators: fields and local variables, method and constructor headers with their
// parameters and throws lists, types with brackets, and dotted names. A field's initializer and a
// method's body are skipped here with their positions kept; a local's initializer is parsed now.
#include "syntax/declarators.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "semantic/binary_operators.h"
#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/primary_expressions.h"
#include "semantic/statement_lists.h"
#include "semantic/type_records.h"
#include "semantic/unary_expressions.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/parser_context.h"
#include "syntax/compilation_unit.h"
#include "syntax/expressions.h"
#include "syntax/method_bodies.h"
#include "syntax/parser_state.h"
#include "syntax/scanner.h"

namespace {

// Skips a field's array initializer from its "{" to the "}" that closes it. A ";" at the
// initializer's own level (not in an anonymous class body inside it) ends the skip there: the
// initializer was left open and the declaration ends, so the fields after it are read as such.
void skipFieldArrayInitializer() {
  ScannerState* scanner = scannerState();
  int32_t collect = scanner->collectNames;
  setNameCollection(0);
  for (int32_t depth = 1; depth > 0;) {
    int32_t kind = scanToken();
    if (kind == T_EOF || (kind == T_SEMICOLON && depth == 1)) break;
    if (kind == T_LBRACE) depth++;
    if (kind == T_RBRACE) depth--;
  }
  setNameCollection(collect);
}

Type* primitiveTypeOf(int32_t kind) {
  switch (kind) {
    case T_BOOLEAN: return &booleanType;
    case T_BYTE: return &byteType;
    case T_CHAR: return &charType;
    case T_DOUBLE: return &doubleType;
    case T_FLOAT: return &floatType;
    case T_INT: return &intType;
    case T_LONG: return &longType;
    case T_SHORT: return &shortType;
    case T_VOID: return &voidType;
    default: return nullptr;
  }
}

// "[]" pairs after a name; the current token is the token after the name, and on return the one
// after the last pair. False after "rb.expected".
// No descriptor has more than 255 dimensions, and no virtual machine loads one that has.
constexpr int32_t MAX_ARRAY_DIMENSIONS = 255;

int32_t dimensionsOf(const Type* type) {
  int32_t n = 0;
  for (; type != nullptr && type->kind == TK_ARRAY; type = type->element) n++;
  return n;
}

// One more dimension, made at its "]": the one past the limit is reported, once.
Type* addDimension(Type* type, int32_t* dimensions) {
  if (++*dimensions == MAX_ARRAY_DIMENSIONS + 1) reportHere("array.type.dimensions");
  return arrayTypeOf(type);
}

bool parseEmptyBrackets(Type** type) {
  int32_t dimensions = dimensionsOf(*type);
  while (token().kind == T_LBRACKET) {
    if (scanToken() != T_RBRACKET) {
      syntaxErrorSkip("rb.expected");
      return false;
    }
    *type = addDimension(*type, &dimensions);
    scanToken();
  }
  return true;
}

}  // namespace

Type* arrayTypeOf(Type* type) {
  return newArrayType(type);
}

ClassRef* parseQualifiedName(Identifier* first, int32_t line, int32_t column) {
  Package* package = nullptr;
  Identifier* name = first;
  if (name == nullptr) {
    if (token().kind != T_IDENTIFIER) {
      syntaxErrorSkip("class.name.expected");
      return nullptr;
    }
    name = token().identifier;
    line = token().line;
    column = token().column;
    scanToken();
  }
  while (token().kind == T_DOT) {
    if (scanToken() != T_IDENTIFIER) {
      syntaxErrorSkip("class.name.expected");
      return nullptr;
    }
    package = getPackage(package, name);
    name = token().identifier;
    line = token().line;
    column = token().column;
    scanToken();
  }
  pushBackToken();
  return newClassRef(package, name, nullptr, 0, global.ctx.enclosing, line, column);
}

Type* parseType(Type* base, ArrayDimension** dimensions, bool sizeRequired) {
  Type* type = base;
  if (type == nullptr) {
    if (token().kind == T_IDENTIFIER) {
      ClassRef* ref = parseQualifiedName(nullptr, 0, 0);
      if (ref == nullptr) return nullptr;
      scanToken();
      type = newClassType(ref, ref->name, ref->line, ref->column);
    } else {
      type = primitiveTypeOf(token().kind);
      if (type == nullptr) {
        syntaxErrorSkip("type.expected");
        return nullptr;
      }
      scanToken();
    }
  }
  ArrayDimension** tail = dimensions;
  bool first = true;
  int32_t count = dimensionsOf(type);
  while (token().kind == T_LBRACKET) {
    int32_t kind = scanToken();
    if (dimensions == nullptr) {
      if (kind != T_RBRACKET) {
        syntaxErrorSkip("rb.expected");
        return nullptr;
      }
    } else {
      auto* dimension = arenaNew<ArrayDimension>(&global.tempArena);
      if (kind == T_RBRACKET) {
        if (first && sizeRequired) {
          reportHere("array.size.needed");
          dimension->size = makeIntegerConstant(T_INT, 1, token().line, token().column);
        }
      } else {
        dimension->size = parseExpression(PARSE_EXPRESSION);
        if (token().kind != T_RBRACKET) {
          syntaxErrorSkip("rb.expected");
          return nullptr;
        }
      }
      *tail = dimension;
      tail = &dimension->next;
    }
    first = false;
    type = addDimension(type, &count);
    scanToken();
  }
  return type;
}

int32_t parseFormalParameters(Parameter** list) {
  *list = nullptr;
  if (scanToken() == T_RPAREN) return 1;
  Parameter** tail = list;
  for (;;) {
    uint16_t modifiers = parseModifiers(0);
    if (modifiers & ~M_FINAL) reportHere("illegal.parameter.modifier");
    if (token().kind == T_EOF) {
      reportHere("no.close.params");
      return 0;
    }
    Type* type = parseType(nullptr, nullptr, false);
    if (type == nullptr) return 0;
    if (type->kind == TK_VOID) {
      reportHere("void.param");
      type = &errorType;
    }
    if (token().kind != T_IDENTIFIER) {
      syntaxErrorSkip("param.name.expected");
      return 0;
    }
    Identifier* name = token().identifier;
    int32_t line = token().line;
    int32_t column = token().column;
    scanToken();
    if (!parseEmptyBrackets(&type)) return 0;
    for (Parameter* earlier = *list; earlier != nullptr; earlier = earlier->next)
      if (earlier->name == name) errorAt(line, column, "dup.parameter.name", identToString(name));
    Parameter* parameter = newParameter(name, type, modifiers, line, column);
    *tail = parameter;
    tail = &parameter->next;
    if (token().kind == T_RPAREN) return 1;
    if (token().kind != T_COMMA) {
      reportMissingBefore("param.missing.comma");
      syntaxErrorSkip(nullptr);
      return 0;
    }
    scanToken();
  }
}

Member* parseMethodDeclaration(Identifier* name, int32_t line, int32_t column, uint16_t modifiers, Type* resultType) {
  bool isMethod = resultType != nullptr;
  if (modifiers & M_VOLATILE) errorAt(token().line, token().column, "volatile.method", identToString(name));
  if (modifiers & M_TRANSIENT) errorAt(token().line, token().column, "transient.method", identToString(name));
  Parameter* parameters = nullptr;
  if (!parseFormalParameters(&parameters)) return nullptr;
  scanToken();
  if (isMethod && !parseEmptyBrackets(&resultType)) return nullptr;
  ThrowsEntry* throwsList = nullptr;
  if (token().kind == T_THROWS) {
    ThrowsEntry** tail = &throwsList;
    do {
      scanToken();
      ClassRef* ref = parseQualifiedName(nullptr, 0, 0);
      if (ref == nullptr) return nullptr;
      ThrowsEntry* entry = newThrowsEntry(ref, line, column);
      *tail = entry;
      tail = &entry->next;
      scanToken();
    } while (token().kind == T_COMMA);
  }
  int32_t bodyOffset = 0;
  int32_t bodyLine = 0;
  int32_t bodyColumn = 0;
  bool bodyReported = false;
  bool bodySkipReported = false;
  if (token().kind == T_LBRACE) {
    bodyOffset = token().start;
    bodyLine = token().line;
    bodyColumn = token().column;
    int32_t errorsBefore = global.errorCount;
    skipInitializer(T_RBRACE);
    if (token().kind != T_RBRACE) {
      if (!afterLexicalError()) reportHere("method.body.missing.rc");
      noteSkippedText();
    }
    bodySkipReported = global.errorCount != errorsBefore;
  } else if (!isMethod) {
    syntaxErrorSkip("constructor.body.expected");
    return nullptr;
  } else if (token().kind != T_SEMICOLON) {
    // Neither a body nor ";": reported once, here, also for a method that needs a body.
    if (!expectSemicolon("method.body.expected")) return nullptr;
    bodyReported = true;
  }
  Member* method = newMember(name, line, column, modifiers, resultType, bodyOffset, bodyLine, bodyColumn, throwsList,
                             parameters);
  if (bodyReported) method->methodFlags |= METHOD_BODY_REPORTED;
  if (bodySkipReported) method->methodFlags |= METHOD_SKIP_REPORTED;
  method->owner = global.ctx.enclosing;
  // A body's parameters are counted when it is parsed, with the compiler's own; a method without
  // one (abstract, native, of an interface) is counted here.
  if (bodyOffset == 0 && countParameterSlots(method) > MAX_PARAMETER_SLOTS)
    errorAt(line, column, "exceeded.max.arguments", methodToString(method));
  return method;
}

int32_t parseFieldDeclaration(ClassDef* cls, uint16_t modifiers, Type* type, bool isLocal) {
  for (;;) {
    if (token().kind != T_IDENTIFIER) {
      syntaxErrorSkip(token().kind == T_LPAREN ? "wrong.constructor" : "var.name.expected");
      return DECLARATION_FAILED;
    }
    Identifier* name = token().identifier;
    int32_t line = token().line;
    int32_t column = token().column;
    scanToken();
    if (!isLocal && token().kind == T_LPAREN) {
      Member* method = parseMethodDeclaration(name, line, column, modifiers, type);
      if (method != nullptr) appendToScope(global.ctx.scope, method);
      return DECLARATION_METHOD;
    }
    Type* variableType = type;
    if (variableType->kind == TK_VOID) {
      errorAt(line, column, "void.variable");
      variableType = &errorType;
    }
    if (!parseEmptyBrackets(&variableType)) return DECLARATION_FAILED;
    // A local's name followed on its line by a token that no declarator takes (`assert x > 0;`,
    // `assert` being a name at this language level) makes the statement a syntax error, reported
    // alone: its type is not looked up and its name is not checked against the others (it is
    // entered nameless, then named), but it is in scope, typed error, so that its uses stay silent.
    // A token on a later line is a missing ";", which the statement reports.
    bool malformed = isLocal && token().line == line && token().kind != T_ASSIGN && token().kind != T_COMMA &&
                     token().kind != T_SEMICOLON;
    Member* variable =
        newVariable(modifiers, malformed ? &errorType : variableType, malformed ? nullptr : name, isLocal, line, column);
    variable->name = name;
    variable->owner = cls;
    if (isLocal) {
      declareMember(cls, variable);
      // A local of a class that does not exist is reported once, where its type is named: its
      // initializer is passed over and its uses, typed error, stay silent.
      if (namesMissingClass(variable->type)) variable->type = &errorType;
    }
    appendToScope(global.ctx.scope, variable);
    if (malformed) {
      syntaxErrorSkip("missing.sm");
      return DECLARATION_FAILED;
    }
    variable->constantState = FIELD_CONSTANT_NONE;
    if (isLocal) appendLocalDeclaration(variable);
    if (token().kind == T_ASSIGN) {
      variable->variableFlags |= VAR_HAS_INITIALIZER;
      int32_t assignLine = token().line;
      int32_t assignColumn = token().column;
      int32_t reportsBefore = global.errorCount + global.warningCount;
      scanToken();
      if (isLocal && variable->type == &errorType) {
        skipVariableInitializer();
      } else if (isLocal) {
        ExprNode* initializer = parseVariableInitializer((modifiers & M_STATIC) != 0);
        if (initializer == nullptr) return DECLARATION_FAILED;
        ExprNode* init = makeVariableInit(variable, initializer, assignLine, assignColumn);
        recordConstantValue(variable, init);
        // Checked like an expression statement of the body it stands in.
        const Member* body = global.ctx.currentMethod;
        appendExpressionStatement(body != nullptr ? body->kind : 0, init, line, column);
      } else {
        variable->bodyOffset = token().start;
        variable->bodyLine = token().line;
        variable->bodyColumn = token().column;
        variable->constantState = FIELD_CONSTANT_PENDING;
        if (token().kind == T_LBRACE) {
          skipFieldArrayInitializer();
          if (token().kind != T_RBRACE) {
            reportHere("static.initializer.missing.rc");
            noteSkippedText();
          }
          if (variableType->kind != TK_ARRAY)
            errorAt(variable->bodyLine, variable->bodyColumn, "unexpected.array.init");
          // A ";" that ended an unclosed initializer ends the declaration.
          if (token().kind == T_RBRACE) scanToken();
        } else {
          skipVariableInitializer();
        }
        // What its scan reported, a second scan for its constant would report again.
        if (global.errorCount + global.warningCount != reportsBefore) variable->fieldFlags |= FIELD_INITIALIZER_REPORTED;
      }
    }
    if (token().kind != T_COMMA) return DECLARATION_VARIABLES;
    scanToken();
  }
}

namespace {

// An initializer, or an element of an array initializer (nested set: a failure is left to the
// enclosing initializer to skip).
ExprNode* parseInitializer(bool staticContext, bool nested) {
  if (token().kind == T_LBRACE) {
    ParseNesting nesting;
    if (nesting.tooDeep(token().line, token().column)) {
      if (!nested) syntaxErrorSkip(nullptr);
      return nullptr;
    }
    int32_t line = token().line;
    int32_t column = token().column;
    ExprNode* elements = nullptr;
    bool failed = false;
    if (scanToken() == T_COMMA) {
      // "{ , }": an initializer with no elements may still have its trailing comma.
      int32_t commaLine = token().line;
      int32_t commaColumn = token().column;
      if (scanToken() != T_RBRACE) {
        errorAt(commaLine, commaColumn, "expression.syntax");
        failed = true;
      }
    } else if (token().kind != T_RBRACE) {
      for (;;) {
        int32_t elementLine = token().line;
        int32_t elementColumn = token().column;
        ExprNode* element = parseInitializer(staticContext, true);
        if (element == nullptr) {
          failed = true;
          break;
        }
        elements = elements == nullptr ? element
                                       : makeBinaryExpression(O_ARG, elements, element, elementLine, elementColumn);
        if (token().kind == T_RBRACE) break;
        if (token().kind == T_SEMICOLON) {
          syntaxErrorSkip("initializer.syntax");
          failed = true;
          break;
        }
        if (token().kind != T_COMMA) {
          failed = true;
          break;
        }
        if (scanToken() == T_RBRACE) break;
      }
    }
    if (failed) {
      // Skip on to the closing brace, passing over each ";" so that every step advances.
      while (token().kind != T_RBRACE && token().kind != T_EOF) {
        syntaxErrorSkip(nullptr);
        if (token().kind == T_SEMICOLON || token().kind == T_RBRACE) scanToken();
      }
      if (token().kind == T_RBRACE) scanToken();
      return nullptr;
    }
    scanToken();
    return makeUnaryExpression(O_AINIT, elements, line, column);
  }
  uint32_t savedFlags = global.ctx.flags;
  if (staticContext) global.ctx.flags |= CTX_STATIC;
  ExprNode* expression = parseExpression(PARSE_EXPRESSION);
  global.ctx.flags = savedFlags;
  if (expression == nullptr) return nullptr;
  int32_t kind = token().kind;
  // A token on a later line ends the declaration: the ";" missing before it is the declaration's
  // to report.
  bool lineEnded = !nested && lineEndsBeforeToken();
  if (kind != T_COMMA && kind != T_SEMICOLON && kind != T_RBRACE && !lineEnded) {
    syntaxErrorSkip("initializer.syntax");
    return nullptr;
  }
  return expression;
}

}  // namespace

ExprNode* parseVariableInitializer(bool staticContext) {
  return parseInitializer(staticContext, false);
}

// The constant of a variable of primitive or String type whose attributed initializer folded to
// a constant of that type: a 32-bit value for boolean, char, byte, short and int, 64 bits for
// long, a double for float and double, the text for String. An initializer that failed was
// reported where it failed.
void recordConstantValue(Member* variable, ExprNode* node) {
  if (node == nullptr || node->type == &errorType) return;
  if (node->op != O_INIT) {
    errorAt(node->line, node->column, "init.parse");
    return;
  }
  ExprNode* value = node->right;
  if (value == nullptr) return;
  if (value->type == nullptr) {
    value->type = &errorType;
    errorAt(value->line, value->column, "init.parse");
    return;
  }
  Type* type = variable->type;
  if (value->type->kind == TK_ERROR || type == nullptr || type->kind != value->type->kind) return;
  switch (type->kind) {
    case TK_ARRAY:
      return;
    case TK_CLASS:
      // Only a String variable is a constant variable: an Object one keeps its own type.
      if (value->op == O_STRING && value->string != nullptr && stringClass() != nullptr &&
          isClassType(type, stringClass()))
        variable->constantValue =
            newStringValue(&global.mainArena, stringValueChars(value->string), value->string->length);
      break;
    case TK_BOOLEAN:
    case TK_CHAR:
    case TK_BYTE:
    case TK_SHORT:
    case TK_INT:
      if (value->op == O_CONST) {
        int32_t v = static_cast<int32_t>(value->integerValue);
        variable->constantValue = arenaCopy(&global.mainArena, &v, sizeof v);
      }
      break;
    case TK_LONG:
      if (value->op == O_CONST || value->op == O_LCONST)
        variable->constantValue = arenaCopy(&global.mainArena, &value->integerValue, sizeof value->integerValue);
      break;
    case TK_FLOAT:
    case TK_DOUBLE:
      if (value->op == O_DCONST)
        variable->constantValue = arenaCopy(&global.mainArena, &value->doubleValue, sizeof value->doubleValue);
      break;
    default:
      errorAt(value->line, value->column, "init.parse");
      return;
  }
  if (variable->constantValue != nullptr) variable->constantState = FIELD_CONSTANT_KEPT;
}
