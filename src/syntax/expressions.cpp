// The expression parser. Operands are handed to the typed node constructors as soon as they are
// complete, so the tree that comes back is resolved, typed and folded; a constructor may return an
// operand in place of the node it would make. Every failure is reported once, at the offending
// token, and leaves the scanner resynchronised for the statement parser.
#include "semantic/name_lookup.h"
#include "syntax/expressions.h"

#include "semantic/binary_operators.h"
#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/declaration_checks.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/method_calls.h"
#include "semantic/name_resolution.h"
#include "semantic/primary_expressions.h"
#include "semantic/tree_walks.h"
#include "semantic/type_records.h"
#include "semantic/unary_expressions.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "syntax/compilation_unit.h"
#include "syntax/declarators.h"
#include "syntax/nested_classes.h"
#include "syntax/parser_state.h"
#include "syntax/scanner.h"

namespace {

struct OperatorEntry {
  int32_t op;
  int32_t precedence;
};

// Token kinds T_ASSIGN (7) to T_XOR_ASSIGN (38); instanceof is the one keyword with an entry.
constexpr int32_t FIRST_OPERATOR_TOKEN = T_ASSIGN;
constexpr int32_t LAST_OPERATOR_TOKEN = T_XOR_ASSIGN;
constexpr OperatorEntry operatorTable[LAST_OPERATOR_TOKEN - FIRST_OPERATOR_TOKEN + 1] = {
    {O_ASG, 2},   // =
    {O_EQ, 10},   // ==
    {O_LT, 11},   // <
    {O_LE, 11},   // <=
    {O_LSH, 12},  // <<
    {O_LSA, 2},   // <<=
    {O_GT, 11},   // >
    {O_GE, 11},   // >=
    {O_RSH, 12},  // >>
    {O_RSA, 2},   // >>=
    {O_RSSH, 12}, // >>>
    {O_RSSA, 2},  // >>>=
    {O_DIV, 14},  // /
    {O_DVA, 2},   // /=
    {O_REM, 14},  // %
    {O_RMA, 2},   // %=
    {O_AND, 9},   // &
    {O_LAND, 6},  // &&
    {O_ANA, 2},   // &=
    {O_SUB, 13},  // -
    {O_SBA, 2},   // -=
    {O_NE, 10},   // !=
    {O_OR, 7},    // |
    {O_ORA, 2},   // |=
    {O_LOR, 5},   // ||
    {O_ADD, 13},  // +
    {O_ADA, 2},   // +=
    {O_MUL, 14},  // *
    {O_MUA, 2},   // *=
    {O_XOR, 8},   // ^
    {O_QUES, 3},  // ?
    {O_XRA, 2},   // ^=
};

constexpr int32_t INSTANCEOF_PRECEDENCE = 11;
constexpr int32_t ARGUMENT_PRECEDENCE = 1;

// Assignments and ?: group to the right; everything else, the argument comma included, to the
// left, so a long chain of one operator is read by the loop and not by recursion.
bool groupsToTheRight(int32_t precedence) {
  return precedence == 2 || precedence == 3;
}

int32_t prefixOperatorOf(int32_t token) {
  switch (token) {
    case T_TILDE: return O_COMP;
    case T_MINUS: return O_NEG;
    case T_PLUS: return O_UPLUS;
    case T_DECREMENT: return O_DEB;
    case T_NOT: return O_NOT;
    case T_INCREMENT: return O_INB;
    default: return 0;
  }
}

bool isPrimitiveTypeKeyword(int32_t token) {
  switch (token) {
    case T_BOOLEAN:
    case T_BYTE:
    case T_CHAR:
    case T_DOUBLE:
    case T_FLOAT:
    case T_INT:
    case T_LONG:
    case T_SHORT:
      return true;
    default:
      return false;
  }
}

// After "(name)", these tokens make the parentheses a cast; any other, "-" and "+" among them, a
// parenthesised name.
bool startsCastOperand(int32_t token) {
  switch (token) {
    case T_IDENTIFIER:
    case T_INTEGER:
    case T_FLOATING:
    case T_STRING:
    case T_TILDE:
    case T_NOT:
    case T_LPAREN:
    case T_FALSE:
    case T_NEW:
    case T_NULL:
    case T_SUPER:
    case T_THIS:
    case T_TRUE:
      return true;
    default:
      return false;
  }
}

// Where `this` and `super` name no instance: a static context or a static method.
// this(...) or super(...) as the body's explicit constructor call: the prologue then adds no
// implicit super().
void markExplicitConstructorCall() {
  if (global.ctx.currentMethod != nullptr) global.ctx.currentMethod->methodFlags |= METHOD_EXPLICIT_CONSTRUCTOR_CALL;
}

// The arguments of this(...) or super(...), read with the flag that keeps the classes declared in
// them from taking the object under construction as their outer instance.
ExprNode* parseConstructorCallArguments(ExprNode* node, int32_t line, int32_t column) {
  uint32_t flags = global.ctx.flags;
  global.ctx.flags |= CTX_CONSTRUCTOR_CALL_ARGUMENTS;
  ExprNode* call = parseArguments(node, nullptr, line, column);
  global.ctx.flags = (global.ctx.flags & ~CTX_CONSTRUCTOR_CALL_ARGUMENTS) | (flags & CTX_CONSTRUCTOR_CALL_ARGUMENTS);
  return call;
}

// A class type bound to the class already.
Type* resolvedClassType(ClassDef* cls, int32_t line, int32_t column) {
  ClassRef* ref = newClassRefIn(global.currentArena, cls->package, cls->name, cls, 0, global.ctx.enclosing, line, column);
  return newClassType(ref, cls->name, line, column);
}

// Past the nesting limit (reported): the rest of the statement is passed over as one group,
// without recursion.
ExprNode* skipTooDeep() {
  syntaxErrorSkip(nullptr);
  return nullptr;
}

// A type followed by "." and class, new, super or this: the primary after a primitive type, or
// after a class name with brackets. The current token is the one after the type.
ExprNode* parseTypeSelector(Type* type, int32_t line, int32_t column) {
  if (token().kind != T_DOT) {
    syntaxErrorSkip("expression.syntax");
    return nullptr;
  }
  int32_t kind = scanToken();
  int32_t keywordLine = token().line;
  int32_t keywordColumn = token().column;
  switch (kind) {
    case T_CLASS: {
      ExprNode* literal = makeClassLiteral(type, keywordLine, keywordColumn);
      scanToken();
      return literal;
    }
    case T_NEW:
      return parseNewExpression(type, nullptr);
    case T_SUPER: {
      ExprNode* node = makeSuperSelector(type, line, column);
      if (scanToken() == T_LPAREN && node != nullptr) {
        markExplicitConstructorCall();
        return parseConstructorCallArguments(node, line, column);
      }
      if (node == nullptr) syntaxErrorSkip(nullptr);
      return node;
    }
    case T_THIS: {
      ExprNode* node = makeThisSelector(type, line, column);
      scanToken();
      if (node == nullptr) syntaxErrorSkip(nullptr);
      return node;
    }
    default:
      syntaxErrorSkip("dot.syntax");
      return nullptr;
  }
}

// The leaves of an O_ARG chain, the element count of an array initializer.
int32_t countElements(const ExprNode* list) {
  if (list == nullptr) return 0;
  int32_t count = 1;
  for (; list->op == O_ARG; list = list->left) count++;
  return count;
}

// A name inside parentheses is an expression name (JLS 15.8.5): one that denotes a class is no
// value, whatever follows it ((Object).class, (Outer).this and (Sub).super.x are no primaries).
// Such a name is reported at its first part and stands as an error node.
ExprNode* parenthesisedName(ExprNode* name) {
  ExprNode* first = name;
  while (first->op == O_DOT && first->left != nullptr) first = first->left;
  int32_t line = first->line;
  int32_t column = first->column;
  ExprNode* resolved = resolveName(name);
  if (resolved->op != O_CLASSREF) return resolved;
  errorAt(line, column, "paren.class.name", classToString(resolved->classDef));
  ExprNode* failed = newExprNode(O_ERROR, line, column);
  failed->type = &errorType;
  return failed;
}

// The type of a cast whose operand's first token has been read. Class lookup builds its paths
// in the name buffer, which holds the text of a string literal token: that text is kept aside
// and put back, or a literal after a qualified type would read as a part of the path.
Type* resolveCastTypeName(ExprNode* name) {
  if (token().kind != T_STRING) return resolveTypeName(name);
  int32_t length = global.nameLength;
  auto* text = static_cast<uint16_t*>(arenaCopy(global.currentArena, global.nameBuffer, length * sizeof(uint16_t)));
  Type* type = resolveTypeName(name);
  resetNameBuffer();
  appendNameUtf16(text, length);
  return type;
}

// "(" has been read; the current token is the first inside the parentheses.
ExprNode* parseParenthesisedOrCast(int32_t line, int32_t column) {
  Type* type = nullptr;
  ExprNode* expression = nullptr;
  int32_t classified = parseParenthesisOrCast(&type, &expression);
  if (classified == CLASSIFY_FAILED) return nullptr;
  if (classified == CLASSIFY_TYPE && token().kind == T_DOT) {
    // (int.class), (String[].class): a type followed by a selector is a primary, not a cast.
    expression = parseTypeSelector(type, line, column);
    if (expression == nullptr) return nullptr;
    type = nullptr;
  } else if (classified == CLASSIFY_TYPE) {
    if (token().kind != T_RPAREN) {
      syntaxErrorSkip("cast.syntax");
      return nullptr;
    }
    scanToken();
  } else if (classified == CLASSIFY_NAME) {
    if (token().kind == T_RPAREN) {
      if (startsCastOperand(scanToken())) {
        type = resolveCastTypeName(expression);
        if (type == nullptr) {
          syntaxErrorSkip(nullptr);
          return nullptr;
        }
      } else {
        // A name in parentheses is the name itself, not marked as parenthesised.
        return parenthesisedName(expression);
      }
    } else {
      expression = parenthesisedName(expression);
      classified = CLASSIFY_EXPRESSION;
    }
  }
  if (type != nullptr) {
    // A cast's operand may be another cast: a level of its own.
    ParseNesting nesting;
    if (nesting.tooDeep(token().line, token().column)) return skipTooDeep();
    ExprNode* operand = parseUnaryExpression();
    if (operand == nullptr) return nullptr;
    return makeCast(type, operand, line, column);
  }
  ExprNode* inner = parseBinaryExpression(0, expression, PARSE_EXPRESSION);
  if (inner == nullptr) return nullptr;
  if (token().kind != T_RPAREN) {
    syntaxErrorSkip("expression.syntax");
    return nullptr;
  }
  inner->parenthesised = 1;
  scanToken();
  return inner;
}

// A name at the current token, its dotted continuation read in name mode and resolved; a class
// goes on as a class type (its brackets, then .class, .new, .super or .this).
ExprNode* parseNamePrimary(Identifier* name, int32_t line, int32_t column) {
  if (scanToken() == T_LPAREN) return parseArguments(nullptr, name, line, column);
  ExprNode* node = makeIdentifier(name, line, column);
  if (token().kind == T_DOT) {
    node = parseSelector(node, 1);
    if (node == nullptr) return nullptr;
  }
  node = resolveName(node);
  if (node->op != O_CLASSREF || node->classDef == nullptr) return node;
  Type* type = parseType(resolvedClassType(node->classDef, node->line, node->column), nullptr, false);
  if (type == nullptr) return nullptr;
  return parseTypeSelector(type, line, column);
}

// `this` or `super` where no instance exists is reported at the keyword and read on as a value
// that failed, so that what follows it (a field, a call) is read without a further report. Only
// their calls this(...) and super(...) go on to the checks of explicit constructor calls.
ExprNode* reportNoInstance(ExprNode* keyword, const char* key) {
  errorAt(keyword->line, keyword->column, key);
  keyword->type = &errorType;
  return keyword;
}

// The debugger reads `this` in a static frame as a name, which it finds no variable for.
ExprNode* keywordAsName(int32_t line, int32_t column) {
  Identifier* name = token().identifier;
  token().kind = T_IDENTIFIER;
  return parseNamePrimary(name, line, column);
}

}  // namespace

bool startsExpression(int32_t token) {
  return startsCastOperand(token) || isPrimitiveTypeKeyword(token) || prefixOperatorOf(token) != 0 ||
         token == T_VOID;
}

int32_t binaryOperatorOf(int32_t token) {
  if (token == T_INSTANCEOF) return O_INSTANCEOF;
  if (token < FIRST_OPERATOR_TOKEN || token > LAST_OPERATOR_TOKEN) return 0;
  return operatorTable[token - FIRST_OPERATOR_TOKEN].op;
}

int32_t precedenceOf(int32_t token) {
  if (token == T_INSTANCEOF) return INSTANCEOF_PRECEDENCE;
  if (token < FIRST_OPERATOR_TOKEN || token > LAST_OPERATOR_TOKEN) return 0;
  return operatorTable[token - FIRST_OPERATOR_TOKEN].precedence;
}

ExprNode* parseExpression(int32_t mode) {
  return parseBinaryExpression(0, nullptr, mode);
}

// Precedence climbing: an operator binds here when its precedence passes the minimum (or equals
// it and groups to the right); its right operand is read at its own precedence.
ExprNode* parseBinaryExpression(int32_t minimumPrecedence, ExprNode* leftPrimary, int32_t mode) {
  ParseNesting nesting;
  if (nesting.tooDeep(token().line, token().column)) return skipTooDeep();
  ExprNode* left = leftPrimary != nullptr ? parsePostfixExpression(leftPrimary) : parseUnaryExpression();
  while (left != nullptr) {
    int32_t kind = token().kind;
    int32_t op;
    int32_t precedence;
    if (mode == PARSE_CONDITIONAL_MIDDLE && kind == T_COLON) break;
    if (mode == PARSE_ARGUMENTS && kind == T_COMMA) {
      op = O_ARG;
      precedence = ARGUMENT_PRECEDENCE;
    } else {
      op = binaryOperatorOf(kind);
      precedence = precedenceOf(kind);
    }
    if (precedence == 0) break;
    if (minimumPrecedence > precedence || (minimumPrecedence == precedence && !groupsToTheRight(precedence))) break;
    int32_t line = token().line;
    int32_t column = token().column;
    if (kind == T_MINUS) token().flags &= ~TOKEN_PREFIX;
    scanToken();
    if (op == O_QUES) {
      ExprNode* middle = parseExpression(PARSE_CONDITIONAL_MIDDLE);
      if (middle == nullptr) return nullptr;
      if (token().kind != T_COLON) {
        syntaxErrorSkip("expression.syntax");
        return nullptr;
      }
      scanToken();
      ExprNode* right = parseBinaryExpression(precedence, nullptr, mode);
      if (right == nullptr) return nullptr;
      left = makeConditional(left, middle, right, line, column);
      continue;
    }
    if (op == O_INSTANCEOF) {
      Type* type = parseType(nullptr, nullptr, false);
      if (type == nullptr) return nullptr;
      left = makeInstanceOf(left, type, line, column);
      continue;
    }
    if (op == O_ASG && token().kind == T_LBRACE) {
      syntaxErrorSkip("cant.assign.array.constant");
      return nullptr;
    }
    ExprNode* right = parseBinaryExpression(precedence, nullptr, mode);
    if (right == nullptr) return nullptr;
    left = makeBinaryExpression(op, left, right, line, column);
  }
  return left;
}

ExprNode* parseUnaryExpression() {
  int32_t op = prefixOperatorOf(token().kind);
  if (op == 0) return parsePostfixExpression(nullptr);
  ParseNesting nesting;
  if (nesting.tooDeep(token().line, token().column)) return skipTooDeep();
  int32_t line = token().line;
  int32_t column = token().column;
  // Set before the operand is scanned: the literal after a prefix minus may be 2147483648.
  token().flags |= TOKEN_PREFIX;
  scanToken();
  ExprNode* operand = parseUnaryExpression();
  if (operand == nullptr) return nullptr;
  return makeUnaryExpression(op, operand, line, column);
}

ExprNode* parsePostfixExpression(ExprNode* primary) {
  ExprNode* expression = primary != nullptr ? primary : parsePrimary();
  while (expression != nullptr) {
    int32_t line = token().line;
    int32_t column = token().column;
    switch (token().kind) {
      case T_DOT:
        expression = parseSelector(expression, 0);
        break;
      case T_INCREMENT:
      case T_DECREMENT:
        expression = makeUnaryExpression(token().kind == T_INCREMENT ? O_INA : O_DEA, expression, line, column);
        scanToken();
        break;
      case T_LBRACKET: {
        if (scanToken() == T_RBRACKET) {
          syntaxErrorSkip("subscript.missing");
          return nullptr;
        }
        ExprNode* index = parseExpression(PARSE_EXPRESSION);
        if (index == nullptr) return nullptr;
        if (token().kind != T_RBRACKET) {
          syntaxErrorSkip("subscript.missing.rb");
          return nullptr;
        }
        expression = makeSubscript(expression, index, line, column);
        scanToken();
        break;
      }
      default:
        return expression;
    }
  }
  return nullptr;
}

ExprNode* parseSelector(ExprNode* expression, int32_t nameMode) {
  while (expression != nullptr && token().kind == T_DOT) {
    int32_t kind = scanToken();
    int32_t line = token().line;
    int32_t column = token().column;
    switch (kind) {
      case T_IDENTIFIER: {
        Identifier* name = token().identifier;
        if (scanToken() == T_LPAREN) {
          ExprNode* target = nameMode ? resolveName(expression) : expression;
          return parseArguments(target, name, line, column);
        }
        expression = nameMode ? makeDot(expression, name, line, column) : makeFieldAccess(expression, name, line, column);
        break;
      }
      case T_CLASS: {
        ExprNode* literal = makeClassLiteralFromName(expression, line, column);
        scanToken();
        return literal;
      }
      case T_NEW:
        return parseNewExpression(nullptr, expression);
      case T_SUPER: {
        ExprNode* superNode = makeSuperFromName(expression, line, column);
        if (superNode == nullptr) {
          syntaxErrorSkip(nullptr);
          return nullptr;
        }
        if (scanToken() == T_LPAREN) {
          markExplicitConstructorCall();
          return parseConstructorCallArguments(superNode, expression->line, expression->column);
        }
        // An object before super serves only outer.super(...); a member through super takes a
        // class name (null.super.m(), x.super.f and super.super.m() are no expressions).
        if (superNode->left != nullptr) {
          errorAt(line, column, "invalid.super.selector");
          syntaxErrorSkip(nullptr);
          return nullptr;
        }
        return superNode;
      }
      case T_THIS: {
        ExprNode* thisNode = makeThisFromName(expression, line, column);
        scanToken();
        if (thisNode == nullptr) syntaxErrorSkip(nullptr);
        return thisNode;
      }
      default:
        syntaxErrorSkip("dot.syntax");
        return nullptr;
    }
  }
  return expression;
}

ExprNode* parseArguments(ExprNode* target, Identifier* name, int32_t line, int32_t column) {
  ExprNode* arguments = nullptr;
  if (scanToken() != T_RPAREN) {
    arguments = parseExpression(PARSE_ARGUMENTS);
    if (arguments == nullptr) return nullptr;
    if (token().kind != T_RPAREN) {
      reportMissingBefore("missing.call.rp");
      syntaxErrorSkip(nullptr);
      return nullptr;
    }
  }
  scanToken();
  return makeMethodCall(target, name, arguments, line, column);
}

ExprNode* parsePrimary() {
  int32_t line = token().line;
  int32_t column = token().column;
  ExprNode* node;
  switch (token().kind) {
    case T_IDENTIFIER:
      return parseNamePrimary(token().identifier, line, column);
    case T_INTEGER:
      node = makeIntegerConstant(token().literalType, token().integerValue, line, column);
      scanToken();
      return node;
    case T_FLOATING:
      node = makeFloatingConstant(token().literalType, token().floatingValue, line, column);
      scanToken();
      return node;
    case T_STRING:
      node = makeStringConstant(global.nameBuffer, global.nameLength, line, column);
      scanToken();
      return node;
    case T_TRUE:
    case T_FALSE:
      node = makeBooleanConstant(token().kind == T_TRUE ? 1 : 0);
      node->line = line;
      node->column = column;
      scanToken();
      return node;
    case T_NULL:
      node = makeKeywordExpression(O_NULL, global.ctx.enclosing, line, column);
      scanToken();
      return node;
    case T_NEW:
      return parseNewExpression(nullptr, nullptr);
    case T_THIS: {
      if (global.evaluating != 0 && inStaticContext()) return keywordAsName(line, column);
      bool noInstance = inStaticContext();
      node = makeKeywordExpression(O_THIS, global.ctx.enclosing, line, column);
      if (scanToken() == T_LPAREN) {
        markExplicitConstructorCall();
        return parseConstructorCallArguments(node, line, column);
      }
      if (noInstance) reportNoInstance(node, "static.this.conflict");
      return node;
    }
    case T_SUPER: {
      if ((global.evaluating != 0 && inStaticContext()) || global.ctx.enclosing == nullptr)
        return keywordAsName(line, column);
      bool noInstance = inStaticContext();
      node = makeSuperSelector(resolvedClassType(global.ctx.enclosing, line, column), line, column);
      if (node == nullptr) {
        syntaxErrorSkip(nullptr);
        return nullptr;
      }
      if (scanToken() == T_LPAREN) {
        markExplicitConstructorCall();
        return parseConstructorCallArguments(node, line, column);
      }
      if (noInstance) return reportNoInstance(node, "static.super.conflict");
      if (token().kind != T_DOT) {
        reportHere("improper.super");
        node->type = &errorType;
      }
      return node;
    }
    case T_LPAREN:
      scanToken();
      return parseParenthesisedOrCast(token().line, token().column);
    default: {
      // Only a primitive type can start a primary here (int.class); anything else is no
      // expression, reported once. A token that only closes (a brace, parenthesis, bracket or
      // ';' that starts a later line) says the operand was left off the end of the line before.
      if (!isPrimitiveTypeKeyword(token().kind) && token().kind != T_VOID) {
        int32_t kind = token().kind;
        if (kind == T_RBRACE || kind == T_RPAREN || kind == T_RBRACKET || kind == T_SEMICOLON) {
          reportMissingBefore("expression.syntax");
          syntaxErrorSkip(nullptr);
        } else {
          syntaxErrorSkip("expression.syntax");
        }
        return nullptr;
      }
      Type* type = parseType(nullptr, nullptr, false);
      if (type == nullptr) return nullptr;
      return parseTypeSelector(type, line, column);
    }
  }
}

// new T(args) [body], new T[n]..., new T[] {...}, or q.new Inner(args) with an outer instance (or
// outer type) given. The creation's position is the token after "new".
ExprNode* parseNewExpression(Type* type, ExprNode* outer) {
  scanToken();
  int32_t line = token().line;
  int32_t column = token().column;
  Type* created;
  ArrayDimension* dimensions = nullptr;
  if (outer != nullptr || type != nullptr) {
    Type* outerType = type;
    if (outer != nullptr) {
      outer = resolveName(outer);
      outerType = outer->type;
    }
    bool outerFailed = outerType != nullptr && outerType->kind == TK_ERROR;
    if (token().kind != T_IDENTIFIER ||
        (!outerFailed && (outerType == nullptr || outerType->kind != TK_CLASS || !isResolvedType(outerType)))) {
      syntaxErrorSkip("missing.id.in.new.new.syntax");
      return nullptr;
    }
    Identifier* name = token().identifier;
    // A qualifier that already failed leaves the creation silent: it is read on and typed error.
    created = &errorType;
    if (!outerFailed) {
      ClassDef* inner = findInnerClass(outerType->classRef->resolved, name, nullptr);
      if (inner == nullptr) {
        errorAt(line, column, "undef.class", identToString(name));
      } else {
        created = resolvedClassType(inner, line, column);
        // A static member class, or an interface an anonymous class would implement, takes no
        // enclosing instance: reported, the creation goes on without the qualifier.
        if ((inner->flags & CF_STATIC) != 0 || inner->kind == CLASS_KIND_INTERFACE) {
          errorAt(line, column, "outer.qualifier.not.inner", classToString(inner));
          outer = nullptr;
        }
      }
    }
    scanToken();
  } else {
    created = parseType(nullptr, &dimensions, false);
    if (created == nullptr) return nullptr;
  }
  if (created->kind == TK_ARRAY) {
    if (token().kind == T_LBRACE) {
      ExprNode* initializer = parseVariableInitializer(false);
      if (initializer == nullptr) return nullptr;
      if (initializer->op != O_AINIT) {
        syntaxErrorSkip("anon.array.initializer");
        return nullptr;
      }
      for (ArrayDimension* d = dimensions; d != nullptr; d = d->next)
        if (d->size != nullptr) errorAt(d->size->line, d->size->column, "anon.array.initializer");
      if (dimensions != nullptr)
        dimensions->size = makeIntegerConstant(T_INT, countElements(initializer->left), line, column);
      ExprNode* checked = checkArrayInitializer(created->element, initializer);
      if (checked != nullptr && checked->type == &errorType) return checked;
      initializer->type = created;
      return initializer;
    }
    // With no size at all it is no creation; a size after an empty first pair is the
    // constructor's to report ("array.new.missing.bounds").
    bool sized = false;
    for (ArrayDimension* d = dimensions; d != nullptr; d = d->next) sized = sized || d->size != nullptr;
    if (!sized) {
      syntaxErrorSkip("array.initializer");
      return nullptr;
    }
    return makeNewExpression(outer, created, nullptr, dimensions, line, column);
  }
  if (token().kind != T_LPAREN) {
    syntaxErrorSkip("constructor.missing.args");
    return nullptr;
  }
  ExprNode* arguments = nullptr;
  if (scanToken() != T_RPAREN) {
    arguments = parseExpression(PARSE_ARGUMENTS);
    if (arguments == nullptr) return nullptr;
    if (token().kind != T_RPAREN) {
      reportMissingBefore("missing.call.rp");
      syntaxErrorSkip(nullptr);
      return nullptr;
    }
  }
  if (scanToken() == T_LBRACE) {
    int32_t bodyLine = token().line;
    int32_t bodyColumn = token().column;
    Type* anonymous = parseAnonymousClass(created, arguments, outer != nullptr, bodyLine, bodyColumn);
    // An anonymous class that was not parsed leaves its body to be passed over whole.
    if (token().kind == T_LBRACE && token().line == bodyLine && token().column == bodyColumn) skipBalanced(T_RBRACE);
    if (token().kind != T_RBRACE) {
      syntaxErrorSkip("nested.anon.class.missing.rc");
      return nullptr;
    }
    scanToken();
    if (anonymous == nullptr) return nullptr;
    if (anonymous->kind == TK_ERROR) {
      // Reported with the class (or its missing superclass): the creation is silent.
      ExprNode* failed = newExprNode(O_NEW, line, column);
      failed->type = &errorType;
      return failed;
    }
    created = anonymous;
  }
  return makeNewExpression(outer, created, arguments, nullptr, line, column);
}

// What starts at the current token: a type (a primitive type, or a name followed by "[]" pairs),
// a plain or dotted name that may still be either, or an expression (a call, a subscript, a
// selector chain that is no plain dotted name; or nothing returned, for any other token).
int32_t parseParenthesisOrCast(Type** type, ExprNode** expression) {
  *type = nullptr;
  *expression = nullptr;
  int32_t kind = token().kind;
  if (isPrimitiveTypeKeyword(kind)) {
    *type = parseType(nullptr, nullptr, false);
    return *type != nullptr ? CLASSIFY_TYPE : CLASSIFY_FAILED;
  }
  if (kind != T_IDENTIFIER) return CLASSIFY_EXPRESSION;
  Identifier* name = token().identifier;
  int32_t line = token().line;
  int32_t column = token().column;
  if (scanToken() == T_LPAREN) {
    *expression = parseArguments(nullptr, name, line, column);
    return *expression != nullptr ? CLASSIFY_EXPRESSION : CLASSIFY_FAILED;
  }
  ExprNode* node = makeIdentifier(name, line, column);
  if (token().kind == T_DOT) {
    node = parseSelector(node, 1);
    if (node == nullptr) return CLASSIFY_FAILED;
    if (node->op != O_DOT) {
      *expression = node;
      return CLASSIFY_EXPRESSION;
    }
  }
  if (token().kind != T_LBRACKET) {
    *expression = node;
    return CLASSIFY_NAME;
  }
  int32_t bracketLine = token().line;
  int32_t bracketColumn = token().column;
  if (scanToken() != T_RBRACKET) {
    ExprNode* index = parseExpression(PARSE_EXPRESSION);
    if (index == nullptr) return CLASSIFY_FAILED;
    if (token().kind != T_RBRACKET) {
      syntaxErrorSkip("expression.syntax");
      return CLASSIFY_FAILED;
    }
    scanToken();
    *expression = makeSubscript(resolveName(node), index, bracketLine, bracketColumn);
    return CLASSIFY_EXPRESSION;
  }
  Type* element = resolveTypeName(node);
  if (element == nullptr) {
    syntaxErrorSkip(nullptr);
    return CLASSIFY_FAILED;
  }
  Type* array = arrayTypeOf(element);
  while (scanToken() == T_LBRACKET) {
    if (scanToken() != T_RBRACKET) {
      syntaxErrorSkip("rb.expected");
      return CLASSIFY_FAILED;
    }
    array = arrayTypeOf(array);
  }
  *type = array;
  return CLASSIFY_TYPE;
}
