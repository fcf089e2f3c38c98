// Statements, lowered as they are read into the flat list of labels, jumps and expression
// statements that flow analysis and code generation walk. A failed statement is reported once and
// abandoned with the scanner resynchronised; what it opened is closed by the guards below.
#include "syntax/statements.h"

#include <vector>

#include "semantic/binary_operators.h"
#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/name_resolution.h"
#include "semantic/statement_lists.h"
#include "semantic/tree_walks.h"
#include "semantic/try_clauses.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/parser_context.h"
#include "syntax/compilation_unit.h"
#include "syntax/declarators.h"
#include "syntax/expressions.h"
#include "syntax/method_bodies.h"
#include "syntax/nested_classes.h"
#include "syntax/parser_state.h"
#include "syntax/scanner.h"
#include "syntax/scopes.h"

namespace {

// A jump context for the life of its statement: the stack is put back as it was on every way out.
class OpenJump {
 public:
  OpenJump() : saved_(global.ctx.jumps) {}
  ~OpenJump() { global.ctx.jumps = saved_; }
  OpenJump(const OpenJump&) = delete;
  OpenJump& operator=(const OpenJump&) = delete;
  JumpContext context{};

 private:
  JumpContext* saved_;
};

struct Position {
  int32_t line;
  int32_t column;
};

Position here() {
  return {token().line, token().column};
}

// The token missing before the current one is reported at the end of its line when the current
// token starts a later line; what follows is skipped.
bool expectCurrent(int32_t kind, const char* key) {
  if (token().kind == kind) return true;
  reportMissingBefore(key);
  syntaxErrorSkip(nullptr);
  return false;
}

// Reads the next token; false after reporting the key (and resynchronising) when it is not `kind`.
bool expectNext(int32_t kind, const char* key) {
  scanToken();
  return expectCurrent(kind, key);
}

// A statement left out of the list (a break or continue that names no statement it may leave, a
// case label outside its switch): flow analysis, which would misjudge what follows it, passes the
// body over.
void leaveOutStatement() {
  global.ctx.bodyIncomplete = 1;
}

// The scope of a block, with every named local's end appended when it closes normally.
int32_t parseBlockIn(int32_t kind, JumpContext* switchContext) {
  Scope scope{};
  OpenScope open(&scope);
  if (switchContext != nullptr) switchContext->switchBody = &scope;
  for (;;) {
    int32_t next = scanToken();
    if (next == T_EOF) {
      if (!afterLexicalError()) reportHere("no.block.close");
      noteSkippedText();
      endScopeVariables(&scope);
      return 0;
    }
    if (next == T_RBRACE) break;
    global.ctx.statementCount++;
    parseStatement(kind, true);
    if (global.ctx.forwardUses != nullptr && global.ctx.initializerPart != nullptr &&
        global.ctx.initializerPart->owner == global.ctx.enclosing)
      reportForwardUses();
  }
  endScopeVariables(&scope);
  return 1;
}

// A case or default label may stand only directly in the body of the innermost switch.
JumpContext* switchOfLabel(bool declarationAllowed) {
  JumpContext* context = global.ctx.jumps;
  if (context == nullptr || context->statement == nullptr || context->statement->kind != ST_SWITCH) return nullptr;
  if (!declarationAllowed || context->switchBody != global.ctx.scope) return nullptr;
  return context;
}

void parseLabelledStatement(int32_t kind, ExprNode* name, Position at) {
  if (name->op != O_ID) {
    syntaxErrorSkip("incorrect.label");
    return;
  }
  scanToken();
  if (findJumpContextByLabel(name->name) != nullptr)
    errorAt(at.line, at.column, "duplicate.label", identToString(name->name));
  OpenJump jump;
  pushLabelContext(&jump.context, name->name);
  // The label's start stands for the labelled statement where it cannot be reached.
  jump.context.statement->line = at.line;
  jump.context.statement->column = at.column;
  int32_t next = token().kind;
  jump.context.labelsLoop = next == T_WHILE || next == T_DO || next == T_FOR;
  parseStatement(kind, false);
  appendStatement(jump.context.breakLabel);
}

// if, with an else-if chain read in one loop: the chain is one level of nesting however long it
// is. Each if: position label; jump-if-false to its else label; the then-part; then the else
// label, or a goto to the end label past the else part.
void parseIfStatement(int32_t kind) {
  std::vector<StmtNode*> endLabels;
  auto closeChain = [&] {
    for (auto it = endLabels.rbegin(); it != endLabels.rend(); ++it) appendStatement(*it);
  };
  for (;;) {
    Position at = here();
    if (!expectNext(T_LPAREN, "if.missing.lp")) return closeChain();
    appendPositionLabel(at.line, at.column);
    scanToken();
    ExprNode* condition = parseExpression(PARSE_EXPRESSION);
    if (condition == nullptr) return closeChain();
    if (!expectCurrent(T_RPAREN, "if.missing.rp")) return closeChain();
    StmtNode* elseLabel = newLabel();
    appendJumpIfFalse(condition, elseLabel, token().line, token().column);
    scanToken();
    parseStatement(kind, false);
    if (scanToken() != T_ELSE) {
      pushBackToken();
      appendStatement(elseLabel);
      return closeChain();
    }
    StmtNode* endLabel = newLabel();
    appendGotoStatement(endLabel, 0, 0);
    appendStatement(elseLabel);
    endLabels.push_back(endLabel);
    if (scanToken() == T_IF) continue;
    parseStatement(kind, false);
    return closeChain();
  }
}

void parseWhileStatement(int32_t kind, Position at) {
  OpenJump jump;
  JumpContext* loop = &jump.context;
  pushLoopContext(loop);
  if (!expectNext(T_LPAREN, "while.missing.lp")) return;
  appendPositionLabel(at.line, at.column);
  scanToken();
  ExprNode* condition = parseExpression(PARSE_EXPRESSION);
  if (condition == nullptr || !expectCurrent(T_RPAREN, "while.missing.rp")) return;
  if (condition->type != nullptr && condition->type->kind == TK_BOOLEAN && isIntConstantValue(condition, 1)) {
    StmtNode* continueLabel = loop->continueLabel;
    continueLabel->line = at.line;
    continueLabel->column = at.column;
    appendStatement(continueLabel);
    scanToken();
    parseStatement(kind, false);
    linkLoopStart(continueLabel, global.ctx.lastStatement);
    appendGotoStatement(continueLabel, 0, 0);
    appendStatement(loop->breakLabel);
    return;
  }
  StmtNode* start = newStatement(ST_LABEL, at.line, at.column);
  StmtNode* conditionLabel = newLabel();
  appendGotoStatement(conditionLabel, 0, 0);
  appendStatement(start);
  beginScopesForLocals(condition);
  scanToken();
  parseStatement(kind, false);
  StmtNode* tail = newLabel();
  appendStatement(tail);
  appendStatement(loop->continueLabel);
  linkLoopStart(start, loop->continueLabel);
  appendStatement(conditionLabel);
  appendLoopTest(condition, start, condition->line, condition->column);
  if (condition->op != O_CONST) markLoopTail(tail);
  appendStatement(loop->breakLabel);
}

void parseDoStatement(int32_t kind, Position at) {
  OpenJump jump;
  JumpContext* loop = &jump.context;
  pushLoopContext(loop);
  appendPositionLabel(at.line, at.column);
  StmtNode* start = newStatement(ST_LABEL, at.line, at.column);
  appendStatement(start);
  scanToken();
  parseStatement(kind, false);
  // A body cut short at the block's end was reported; the brace is the block's.
  if (token().kind == T_RBRACE && scannerState()->pushedBack) return;
  if (!expectNext(T_WHILE, "do.missing.while") || !expectNext(T_LPAREN, "do.missing.lp")) return;
  scanToken();
  ExprNode* condition = parseExpression(PARSE_EXPRESSION);
  if (condition == nullptr || !expectCurrent(T_RPAREN, "do.missing.rp")) return;
  StmtNode* tail = newLabel();
  appendStatement(tail);
  appendStatement(loop->continueLabel);
  linkLoopStart(start, loop->continueLabel);
  appendLoopTest(condition, start, condition->line, condition->column);
  markLoopTail(tail);
  appendStatement(loop->breakLabel);
  scanToken();
  expectSemicolon("do.missing.sm");
}

void parseSwitchStatement(int32_t kind, Position at) {
  if (!expectNext(T_LPAREN, "switch.missing.lp")) return;
  scanToken();
  ExprNode* test = parseExpression(PARSE_EXPRESSION);
  if (test == nullptr || !expectCurrent(T_RPAREN, "switch.missing.rp")) return;
  OpenJump jump;
  beginSwitch(&jump.context, test, at.line, at.column);
  if (!expectNext(T_LBRACE, "switch.missing.lc")) return;
  if (parseBlockIn(kind, &jump.context)) appendStatement(jump.context.breakLabel);
  endSwitch(&jump.context);
}

void parseCaseLabel(bool declarationAllowed, Position at) {
  scanToken();
  ExprNode* value = parseExpression(PARSE_EXPRESSION);
  if (value == nullptr || !expectCurrent(T_COLON, "case.missing.co")) return;
  if (switchOfLabel(declarationAllowed) != nullptr) {
    addCaseLabel(value, at.line, at.column);
  } else {
    errorAt(at.line, at.column, "misplaced.case");
    leaveOutStatement();
  }
}

void parseDefaultLabel(bool declarationAllowed, Position at) {
  if (!expectNext(T_COLON, "default.missing.co")) return;
  JumpContext* context = switchOfLabel(declarationAllowed);
  if (context == nullptr) {
    errorAt(at.line, at.column, "misplaced.default");
    leaveOutStatement();
  } else if (context->statement->target != nullptr) {
    errorAt(at.line, at.column, "duplicate.default");
    leaveOutStatement();
  } else {
    addDefaultLabel();
  }
}

void parseBreakStatement(Position at) {
  if (scanToken() == T_IDENTIFIER) {
    Identifier* name = token().identifier;
    JumpContext* target = findJumpContextByLabel(name);
    if (target == nullptr) {
      errorAt(at.line, at.column, "undefined.break.name", identToString(name));
      leaveOutStatement();
    } else {
      unwindJumpContexts(target);
      appendGotoStatement(target->breakLabel, at.line, at.column);
    }
    scanToken();
  } else {
    JumpContext* target = global.ctx.jumps;
    while (target != nullptr && (target->breakLabel == nullptr || target->label != nullptr)) target = target->outer;
    if (target == nullptr) {
      errorAt(at.line, at.column, "misplaced.break");
      leaveOutStatement();
    } else {
      unwindJumpContexts(target);
      appendGotoStatement(target->breakLabel, at.line, at.column);
    }
  }
  expectSemicolon("break.missing.sm");
}

void parseContinueStatement(Position at) {
  if (scanToken() == T_IDENTIFIER) {
    Identifier* name = token().identifier;
    JumpContext* target = findJumpContextByLabel(name);
    if (target == nullptr) {
      errorAt(at.line, at.column, "undefined.continue.name");
      leaveOutStatement();
    } else if (target->loop == nullptr) {
      errorAt(at.line, at.column, "label.not.loop", identToString(name));
      leaveOutStatement();
    } else {
      unwindJumpContexts(target);
      appendGotoStatement(target->loop->continueLabel, at.line, at.column);
    }
    scanToken();
  } else {
    JumpContext* target = global.ctx.jumps;
    while (target != nullptr && target->continueLabel == nullptr) target = target->outer;
    if (target == nullptr) {
      errorAt(at.line, at.column, "misplaced.continue");
      leaveOutStatement();
    } else {
      unwindJumpContexts(target);
      appendGotoStatement(target->continueLabel, at.line, at.column);
    }
  }
  expectSemicolon("continue.missing.sm");
}

// Whether a return may stand without a value: in no method with a result.
bool takesNoValue() {
  const Member* method = global.ctx.currentMethod;
  return method == nullptr || method->kind != MK_METHOD || method->type == nullptr || method->type->kind == TK_VOID;
}

// A return in an instance initializer is reported and read, but is no return: it would end the
// constructors that run the initializer.
void parseReturnStatement(int32_t kind, Position at) {
  bool allowed = kind != MK_INSTANCE_INITIALIZER;
  if (!allowed) errorAt(at.line, at.column, "return.in.instance.block");
  int32_t next = scanToken();
  // Where no value may follow, a token that begins none means the ";" after return is missing.
  if (next == T_SEMICOLON || (takesNoValue() && !startsExpression(next))) {
    if (expectSemicolon("return.missing.sm") && allowed) checkReturnStatement(nullptr, at.line, at.column);
    return;
  }
  ExprNode* value = parseExpression(PARSE_EXPRESSION);
  if (value == nullptr || !expectSemicolon("return.syntax") || !allowed) return;
  checkReturnStatement(value, at.line, at.column);
}

void parseThrowStatement(Position at) {
  scanToken();
  ExprNode* value = parseExpression(PARSE_EXPRESSION);
  if (value == nullptr || !expectSemicolon("throw.syntax")) return;
  checkThrowStatement(value, at.line, at.column);
}

// The handler that runs when a protected range is left by an exception: a finally call or a
// monitor exit, and the exception thrown on.
TryClause* appendCatchAll(StmtNode* statement, StmtNode* from, StmtNode* to, Member* variable, Position at) {
  TryClause* clause = beginCatchClause(statement, from, to, nullptr, variable, at.line, at.column);
  if (statement->kind == ST_TRY)
    appendCallFinally(statement);
  else
    appendMonitorExit(statement);
  endCatchClause(clause);
  clause->flags |= CLAUSE_CATCH_ALL;
  appendCatchStatement(clause);
  return clause;
}

// A lock must be an object: "sync.type" names its type, or null; an operand that failed already
// is left silent.
bool hasUsableLock(ExprNode* lock) {
  if (lock->type == &errorType || lock->type == nullptr) return false;
  if (lock->op == O_NULL) {
    errorAt(lock->line, lock->column, "sync.type", "null");
    return false;
  }
  if (lock->type->kind != TK_CLASS && lock->type->kind != TK_ARRAY) {
    errorAt(lock->line, lock->column, "sync.type", typeToString(lock->type));
    return false;
  }
  return true;
}

// The current token is "{" after "synchronized (lock)". A lock that is no object, or already
// failed, is reported once and its block parsed as a plain block.
void parseSynchronizedStatement(int32_t kind, ExprNode* lock, Position at) {
  if (!hasUsableLock(lock)) {
    parseBlockIn(kind, nullptr);
    return;
  }
  OpenJump jump;
  beginSynchronized(&jump.context, lock, at.line, at.column);
  StmtNode* monitorEnter = jump.context.statement;
  appendPositionLabel(token().line, token().column);
  StmtNode* start = newLabel();
  appendStatement(start);
  if (!parseBlockIn(kind, nullptr)) return;
  StmtNode* end = newLabel();
  appendStatement(end);
  appendMonitorExit(monitorEnter);
  StmtNode* exit = newLabel();
  appendGotoStatement(exit, 0, 0);
  TryClause* clause = appendCatchAll(monitorEnter, start, end, nullptr, at);
  appendStatement(exit);
  finishTryStatement(nullptr, clause, clause, nullptr);
}

void parseTry(int32_t kind, Position at) {
  if (!expectNext(T_LBRACE, "try.missing.lc")) return;
  StmtNode* start = newLabel();
  appendStatement(start);
  OpenJump jump;
  TrySlots slots;
  beginTryContext(&jump.context, at.line, at.column);
  appendPositionLabel(token().line, token().column);
  if (!parseBlockIn(kind, nullptr)) return;
  StmtNode* end = newLabel();
  appendStatement(end);
  parseTryStatement(kind, start, end);
}

// Step 3 of parseStatement: modifiers, then a local class, an expression statement or a local
// declaration.
void parseModifiedStatement(int32_t kind, bool declarationAllowed, uint16_t initialModifiers, bool misplacedDeclaration,
                            Position at) {
  uint16_t modifiers = parseModifiers(initialModifiers);
  if (token().kind == T_INTERFACE) {
    syntaxErrorSkip("no.local.interfaces");
    return;
  }
  if (token().kind == T_CLASS) {
    // A class declaration is a block statement only: not the body of an if, a loop or a label.
    // Reported, it is still read as a local class.
    if (!declarationAllowed) errorAt(token().line, token().column, "not.expecting.declaration");
    constexpr uint16_t access = M_PUBLIC | M_PRIVATE | M_PROTECTED | M_STATIC;
    if (modifiers & access) {
      errorAt(at.line, at.column, "local.class.access");
      modifiers &= ~access;
    }
    // The declaration is a statement that may be unreachable, and where the locals its body uses
    // must be definitely assigned.
    appendNullStatement(at.line, at.column);
    StmtNode* declarationStatement = global.ctx.lastStatement;
    ClassDef* cls = parseLocalClass(NESTED_LOCAL, nullptr, modifiers, nullptr, nullptr, nullptr, at.line, at.column);
    Member* declared = global.ctx.scope != nullptr ? global.ctx.scope->last : nullptr;
    if (cls != nullptr && declared != nullptr && declared->kind == MK_CLASS_DECLARATION && declared->declaredClass == cls)
      declarationStatement->variable = declared;
    return;
  }
  if (modifiers == 0) {
    ExprNode* expression = parseExpression(PARSE_EXPRESSION);
    if (expression == nullptr || !expectSemicolon("missing.sm")) return;
    appendExpressionStatement(kind, expression, at.line, at.column);
    if (!isStatementExpression(expression) && expression->type != &errorType && !misplacedDeclaration)
      errorAt(at.line, at.column, "not.stmt");
    return;
  }
  Type* type = nullptr;
  ExprNode* name = nullptr;
  int32_t classified = parseParenthesisOrCast(&type, &name);
  if (classified == CLASSIFY_FAILED) return;
  if (classified == CLASSIFY_NAME && token().kind == T_IDENTIFIER) {
    type = resolveTypeName(name);
    if (type == nullptr) {
      syntaxErrorSkip(nullptr);
      return;
    }
    classified = CLASSIFY_TYPE;
  }
  if (classified == CLASSIFY_TYPE && declarationAllowed) {
    if (parseLocalVariableDeclaration(global.ctx.enclosing, modifiers, type, at.line, at.column))
      appendDeclarationStatement(at.line, at.column);
    return;
  }
  syntaxErrorSkip("not.expecting.declaration");
}

}  // namespace

int32_t parseBlock(int32_t kind) {
  return parseBlockIn(kind, nullptr);
}

namespace {

// Classifies the start of a statement: a labelled statement, a local variable declaration or an
// expression statement is parsed whole (true); else the statement goes on at the current token,
// with *misplacedDeclaration set after a declaration where none may stand.
bool parseClassifiedStart(int32_t kind, bool declarationAllowed, Position at, bool* misplacedDeclaration) {
  Type* type = nullptr;
  ExprNode* expression = nullptr;
  int32_t classified = parseParenthesisOrCast(&type, &expression);
  if (classified == CLASSIFY_FAILED) return true;
  if (classified == CLASSIFY_NAME) {
    if (token().kind == T_COLON) {
      parseLabelledStatement(kind, expression, at);
      return true;
    }
    if (token().kind == T_IDENTIFIER) {
      type = resolveTypeName(expression);
      if (type == nullptr) {
        syntaxErrorSkip(nullptr);
        return true;
      }
      classified = CLASSIFY_TYPE;
    } else {
      expression = resolveName(expression);
      classified = CLASSIFY_EXPRESSION;
    }
  }
  if (classified == CLASSIFY_TYPE) {
    if (declarationAllowed) {
      if (parseLocalVariableDeclaration(global.ctx.enclosing, 0, type, at.line, at.column))
        appendDeclarationStatement(at.line, at.column);
      return true;
    }
    syntaxErrorSkip("not.expecting.declaration");
    *misplacedDeclaration = true;
    // What the skip stopped at is read as a statement of its own; a "}" is left to the block.
    if (token().kind == T_RBRACE) return true;
  } else if (expression != nullptr) {
    expression = parseBinaryExpression(0, expression, PARSE_EXPRESSION);
    if (expression == nullptr || !expectSemicolon("missing.sm")) return true;
    appendExpressionStatement(kind, expression, at.line, at.column);
    if (!isStatementExpression(expression) && expression->type != &errorType)
      errorAt(expression->line, expression->column, "not.stmt");
    return true;
  }
  return false;
}

}  // namespace

// Steps: the start is classified (a label, a declaration, an expression, or none of them); then
// the statement keywords; then modifiers with a local class, declaration or expression.
void parseStatement(int32_t kind, bool declarationAllowed) {
  ParseNesting nesting;
  if (nesting.tooDeep(token().line, token().column)) {
    // Passed over as one group, the statements inside it included, without recursion.
    syntaxErrorSkip(nullptr);
    return;
  }
  Position at = here();
  bool misplacedDeclaration = false;
  if (parseClassifiedStart(kind, declarationAllowed, at, &misplacedDeclaration)) return;
  switch (token().kind) {
    case T_SEMICOLON:
      appendNullStatement(at.line, at.column);
      return;
    case T_LBRACE:
      // A block, empty or not, is a statement that may be unreachable.
      appendNullStatement(at.line, at.column);
      parseBlockIn(kind, nullptr);
      return;
    case T_RBRACE:
      // A statement must stand before the block's end (at the end of the line that lacks it);
      // the brace is left to the block.
      reportMissingBefore("statement.expected");
      noteSkippedText();
      pushBackToken();
      return;
    case T_EOF:
      return;
    case T_IF:
      parseIfStatement(kind);
      return;
    case T_WHILE:
      parseWhileStatement(kind, at);
      return;
    case T_DO:
      parseDoStatement(kind, at);
      return;
    case T_FOR: {
      OpenJump jump;
      pushLoopContext(&jump.context);
      appendPositionLabel(token().line, token().column);
      parseForStatement(kind, &jump.context);
      return;
    }
    case T_SWITCH:
      parseSwitchStatement(kind, at);
      return;
    case T_CASE:
      parseCaseLabel(declarationAllowed, at);
      return;
    case T_DEFAULT:
      parseDefaultLabel(declarationAllowed, at);
      return;
    case T_BREAK:
      parseBreakStatement(at);
      return;
    case T_CONTINUE:
      parseContinueStatement(at);
      return;
    case T_RETURN:
      parseReturnStatement(kind, at);
      return;
    case T_THROW:
      parseThrowStatement(at);
      return;
    case T_TRY:
      parseTry(kind, at);
      return;
    case T_ELSE:
      reportHere("misplaced.else");
      noteSkippedText();
      return;
    case T_SYNCHRONIZED: {
      if (scanToken() != T_LPAREN) {
        parseModifiedStatement(kind, declarationAllowed, M_SYNCHRONIZED, misplacedDeclaration, at);
        return;
      }
      scanToken();
      ExprNode* lock = parseExpression(PARSE_EXPRESSION);
      if (lock == nullptr || !expectCurrent(T_RPAREN, "synch.missing.rp") || !expectNext(T_LBRACE, "synch.missing.lc"))
        return;
      parseSynchronizedStatement(kind, lock, at);
      return;
    }
    default:
      parseModifiedStatement(kind, declarationAllowed, 0, misplacedDeclaration, at);
      return;
  }
}

int32_t parseLocalVariableDeclaration(ClassDef* cls, uint16_t modifiers, Type* type, int32_t line, int32_t column) {
  if (modifiers & ~M_FINAL) {
    errorAt(line, column, "illegal.local.modifier");
    modifiers &= M_FINAL;
  }
  type = parseType(type, nullptr, false);
  if (type == nullptr) return 0;
  if (parseFieldDeclaration(cls, modifiers, type, true) == DECLARATION_FAILED) return 0;
  return expectSemicolon("missing.sm") ? 1 : 0;
}

// for (init; condition; update) body, in a scope of its own. With a condition: goto the test,
// the body, the update, the test jumping back; without: the body, the update, a goto back.
void parseForStatement(int32_t kind, JumpContext* loop) {
  Position at = here();
  Scope scope{};
  OpenScope open(&scope);
  auto finish = [&] { endScopeVariables(&scope); };
  if (!expectNext(T_LPAREN, "for.missing.lp")) return finish();
  if (scanToken() != T_SEMICOLON) {
    Position init = here();
    uint16_t modifiers = parseModifiers(0);
    Type* type = nullptr;
    ExprNode* expression = nullptr;
    int32_t classified = parseParenthesisOrCast(&type, &expression);
    if (classified == CLASSIFY_FAILED) return finish();
    if (classified == CLASSIFY_NAME && token().kind == T_IDENTIFIER) {
      type = resolveTypeName(expression);
      if (type == nullptr) {
        syntaxErrorSkip(nullptr);
        return finish();
      }
      classified = CLASSIFY_TYPE;
    }
    if (classified == CLASSIFY_TYPE) {
      if (!parseLocalVariableDeclaration(global.ctx.enclosing, modifiers, type, init.line, init.column)) return finish();
      appendDeclarationStatement(init.line, init.column);
    } else {
      if (classified == CLASSIFY_NAME) expression = resolveName(expression);
      for (;;) {
        ExprNode* item = parseBinaryExpression(0, expression, PARSE_EXPRESSION);
        if (item == nullptr) return finish();
        if (!isStatementExpression(item) && item->type != &errorType)
          errorAt(init.line, init.column, "for.init.not.stmt");
        appendExpressionStatement(kind, item, init.line, init.column);
        if (token().kind == T_COMMA) {
          scanToken();
          init = here();
          expression = nullptr;
          continue;
        }
        if (token().kind == T_SEMICOLON) break;
        syntaxErrorSkip("for.missing.sm");
        return finish();
      }
    }
  }
  ExprNode* condition = nullptr;
  Position conditionAt{};
  if (scanToken() != T_SEMICOLON) {
    conditionAt = here();
    condition = parseExpression(PARSE_EXPRESSION);
    if (condition == nullptr || !expectCurrent(T_SEMICOLON, "for.missing.sm")) return finish();
  }
  ExprNode* update = nullptr;
  Position updateAt = {0, 0};
  if (scanToken() != T_RPAREN) {
    updateAt = here();
    for (;;) {
      Position itemAt = here();
      ExprNode* item = parseExpression(PARSE_EXPRESSION);
      if (item == nullptr) return finish();
      if (isStatementExpression(item))
        update = update == nullptr ? item : makeBinaryExpression(O_SEQ, update, item, 0, 0);
      else if (item->type != &errorType)
        errorAt(itemAt.line, itemAt.column, "for.update.not.stmt");
      if (token().kind != T_COMMA) break;
      scanToken();
    }
    if (!expectCurrent(T_RPAREN, "for.missing.rp")) return finish();
  }
  StmtNode* start = newStatement(ST_LABEL, at.line, at.column);
  StmtNode* tail = newLabel();
  if (condition != nullptr) {
    StmtNode* conditionLabel = newLabel();
    appendGotoStatement(conditionLabel, 0, 0);
    appendStatement(start);
    scanToken();
    parseStatement(kind, false);
    appendStatement(tail);
    appendStatement(loop->continueLabel);
    if (update != nullptr) appendExpressionStatement(kind, update, updateAt.line, updateAt.column);
    // An update that the body never reaches is no statement of the language: only a warning,
    // unless the condition is constant false, when it stands for the unreachable body.
    if (!isIntConstantValue(condition, 0)) markLoopTail(tail);
    appendStatement(conditionLabel);
    linkLoopStart(start, loop->continueLabel);
    appendLoopTest(condition, start, conditionAt.line, conditionAt.column);
  } else {
    appendStatement(start);
    scanToken();
    parseStatement(kind, false);
    appendStatement(tail);
    appendStatement(loop->continueLabel);
    if (update != nullptr) appendExpressionStatement(kind, update, updateAt.line, updateAt.column);
    markLoopTail(tail);
    linkLoopStart(start, loop->continueLabel);
    appendGotoStatement(start, 0, 0);
  }
  appendStatement(loop->breakLabel);
  finish();
}

namespace {

// The statements from the body's start label to its end label can throw nothing: labels, scope
// ends, nested try markers, empty statements, declaration marks, and finally calls of this try
// (counted apart).
bool bodyThrowsNothing(StmtNode* start, StmtNode* end, StmtNode* tryStatement, bool* callsOwnFinally) {
  *callsOwnFinally = false;
  for (StmtNode* s = start->next; s != nullptr && s != end; s = s->next) {
    switch (s->kind) {
      case ST_LABEL:
      case ST_RETURN_FINISH:
      case ST_LEAVE_SCOPE:
      case ST_TRY:
      case ST_NULL:
      case ST_DECLARATION:
        break;
      case ST_CALL_FINALLY:
        if (s->target != tryStatement) return false;
        *callsOwnFinally = true;
        break;
      default:
        return false;
    }
  }
  return true;
}

// The class a catch clause takes; none for a class not found or no Throwable ("catch.type" said so).
ClassDef* catchTypeClass(Type* type) {
  if (type == nullptr || type->kind != TK_CLASS || type->classRef == nullptr) return nullptr;
  ClassDef* cls = type->classRef->resolved;
  if (cls == nullptr || cls->kind == CLASS_KIND_ERROR || !reachesClass(cls, throwableClass())) return nullptr;
  return cls;
}

}  // namespace

// The clauses after a try body: each catch with its parameter in a scope of its own and its
// handler in the clause's list; then a finally as a catch-all handler that calls it and the finally
// part itself (or, after a body that can throw nothing and calls no finally, the finally block in
// line); a try with neither is reported.
void parseTryStatement(int32_t kind, StmtNode* startLabel, StmtNode* endLabel) {
  StmtNode* tryStatement = global.ctx.jumps->statement;
  StmtNode* exitLabel = newLabel();
  StmtNode* afterCatches = newLabel();
  tryStatement->clause = nullptr;
  tryStatement->flags |= STMT_TRY_BODY_DONE;
  TryClause* first = nullptr;
  TryClause* last = nullptr;
  bool callsOwnFinally = false;
  bool trivialBody = bodyThrowsNothing(startLabel, endLabel, tryStatement, &callsOwnFinally);
  bool anyCatch = false;
  // What the catch clauses throw waits for the finally part, which may discard it.
  tryStatement->flags |= STMT_TRY_IN_HANDLERS;
  while (scanToken() == T_CATCH) {
    Position at = here();
    if (!anyCatch) appendGotoStatement(afterCatches, 0, 0);
    if (!expectNext(T_LPAREN, "catch.missing.lp")) return;
    scanToken();
    uint16_t modifiers = parseModifiers(0);
    if (modifiers & ~M_FINAL) reportHere("illegal.parameter.modifier");
    Type* type = parseType(nullptr, nullptr, false);
    if (type == nullptr || !expectCurrent(T_IDENTIFIER, "catch.missing.name")) return;
    Identifier* name = token().identifier;
    Position nameAt = here();
    if (!expectNext(T_RPAREN, "catch.missing.rp") || !expectNext(T_LBRACE, "catch.missing.lc")) return;
    Scope scope{};
    OpenScope open(&scope);
    Member* parameter = newVariable(modifiers, type, name, true, nameAt.line, nameAt.column);
    parameter->owner = global.ctx.enclosing;
    parameter->constantState = FIELD_CONSTANT_NONE;
    parameter->variableFlags |= VAR_CATCH_PARAMETER;
    appendToScope(&scope, parameter);
    declareMember(global.ctx.enclosing, parameter);
    TryClause* clause = beginCatchClause(tryStatement, startLabel, endLabel, type, parameter, at.line, at.column);
    clause->continueLabel = afterCatches;
    parseBlockIn(kind, nullptr);
    endScopeVariables(&scope);
    open.close();
    endCatchClause(clause);
    appendCatchStatement(clause);
    // A catch that nothing can reach: after a body that throws nothing, one of a class that only a
    // thrown checked exception brings; or one whose class an earlier catch takes already.
    ClassDef* caught = catchTypeClass(type);
    bool unreached = false;
    if (!anyCatch)
      unreached = trivialBody && caught != nullptr && isCheckedException(caught) && !isAlwaysCatchable(caught);
    else if (caught != nullptr)
      unreached = clausesCatch(caught, first, last) != nullptr;
    if (unreached) {
      errorAt(at.line, at.column, "catch.not.reached");
      clause->flags |= CLAUSE_UNREACHED;
    }
    if (first == nullptr)
      first = clause;
    else
      last->next = clause;
    last = clause;
    anyCatch = true;
  }
  tryStatement->flags &= ~STMT_TRY_IN_HANDLERS;
  if (last != nullptr) last->flags |= CLAUSE_LAST_CATCH;
  StmtNode* afterHandlers = newLabel();
  appendStatement(afterHandlers);
  appendStatement(afterCatches);
  TryClause* finallyClause = nullptr;
  bool finallyCompletes = true;
  if (token().kind == T_FINALLY) {
    Position at = here();
    if (!expectNext(T_LBRACE, "finally.missing.lc")) return;
    TryClause* clausesBefore = global.ctx.lastClause;
    if (trivialBody && !callsOwnFinally) {
      StmtNode* before = global.ctx.lastStatement;
      parseBlockIn(kind, nullptr);
      StmtNode* inlined = before != nullptr ? before->next : global.ctx.firstStatement;
      bool completes = inlined == nullptr || statementsCanComplete(inlined, global.ctx.lastStatement, clausesBefore);
      appendStatement(exitLabel);
      finishTryStatement(tryStatement, first, last, nullptr, completes);
      return;
    }
    appendCallFinally(tryStatement);
    appendGotoStatement(exitLabel, 0, 0);
    TryClause* catchAll = appendCatchAll(tryStatement, startLabel, afterHandlers, tryStatement->catchAllVariable, at);
    if (first == nullptr)
      first = catchAll;
    else
      last->next = catchAll;
    last = catchAll;
    Scope scope{};
    OpenScope open(&scope);
    finallyClause = beginFinallyClause(tryStatement, at.line, at.column);
    skipUsedSlots();
    parseBlockIn(kind, nullptr);
    endScopeVariables(&scope);
    open.close();
    endFinallyClause(finallyClause);
    appendFinallyStatement(finallyClause);
    finallyCompletes = statementsCanComplete(finallyClause->first, finallyClause->last, clausesBefore);
  } else {
    // Reported at the try, which the fault is of, not at the token that follows the block.
    if (!anyCatch) errorAt(tryStatement->line, tryStatement->column, "try.missing.catch");
    pushBackToken();
  }
  appendStatement(exitLabel);
  finishTryStatement(tryStatement, first, last, finallyClause, finallyCompletes);
}
