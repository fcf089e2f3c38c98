// The leaves of expressions: typed literals, names and selections (resolved by name resolution),
// and the keywords this, null and super typed by the current class.
#include "semantic/primary_expressions.h"

#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/java_arithmetic.h"
#include "semantic/name_resolution.h"
#include "semantic/type_records.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "syntax/scanner.h"

namespace {

// A class type of the class, in the current arena, named by its simple name at the position.
Type* boundClassType(ClassDef* cls, int32_t line, int32_t column) {
  ClassRef* ref = newClassRefIn(global.currentArena, cls->package, cls->name, cls, 0, cls, line, column);
  return newClassType(ref, cls->name, line, column);
}

}  // namespace

ExprNode* makeIdentifier(Identifier* name, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_ID, line, column);
  node->name = name;
  return node;
}

ExprNode* makeDot(ExprNode* qualifier, Identifier* name, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_DOT, line, column);
  node->left = qualifier;
  node->name = name;
  return node;
}

ExprNode* makeFieldAccess(ExprNode* qualifier, Identifier* name, int32_t line, int32_t column) {
  if (qualifier == nullptr) return nullptr;
  // The evaluator resolves the selection against the stopped frame itself.
  if (global.evaluating != 0) return makeDot(foldEvaluatedOperand(qualifier), name, line, column);
  if (hasErrorType(qualifier)) return qualifier;
  return resolveFieldAccess(makeDot(qualifier, name, line, column));
}

ExprNode* makeIntegerConstant(int32_t literalKind, int64_t value, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_CONST, line, column);
  node->literalKind = literalKind;
  switch (literalKind) {
    case T_CHAR: node->type = &charType; break;
    case T_INT: node->type = &intType; break;
    case T_LONG: node->type = &longType; break;
    default:
      errorAt(line, column, "internal.tree.error", "unfinished 5");
      node->type = &errorType;
      return node;
  }
  node->integerValue = value;
  normalizeIntConstant(node);
  return node;
}

ExprNode* makeFloatingConstant(int32_t literalKind, double value, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_DCONST, line, column);
  bool isFloat = literalKind == T_FLOAT;
  node->type = isFloat ? &floatType : &doubleType;
  node->doubleValue = isFloat ? doubleToFloat(value) : value;
  node->literalKind = literalKind;
  return node;
}

ExprNode* makeStringConstant(const uint16_t* units, int32_t length, int32_t line, int32_t column) {
  initStringType();
  ExprNode* node = newExprNode(O_STRING, line, column);
  node->string = newStringValue(global.currentArena, units, length);
  node->type = stringType;
  return node;
}

ExprNode* makeBooleanConstant(int32_t value) {
  ExprNode* node = newExprNode(O_CONST, 0, 0);
  node->type = &booleanType;
  node->integerValue = value != 0 ? 1 : 0;
  node->literalKind = T_BOOLEAN;
  return node;
}

ExprNode* makeKeywordExpression(int32_t op, ClassDef* cls, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(op, line, column);
  switch (op) {
    case O_THIS:
      // While evaluating, the value and its type come from the stopped frame.
      if (global.evaluating == 0 && cls != nullptr) node->type = boundClassType(cls, line, column);
      return node;
    case O_NULL:
      initJavaLang();
      if (objectClass != nullptr) node->type = boundClassType(objectClass, line, column);
      node->integerValue = 0;
      return node;
    case O_SUPER: {
      if (global.evaluating != 0 || cls == nullptr) return node;
      if (cls->superclass == nullptr) {
        errorAt(line, column, "no.super", classToString(cls));
        node->type = &errorType;
        return node;
      }
      ClassDef* superclass = cls->superclass->resolved;
      node->type = superclass != nullptr ? boundClassType(superclass, line, column) : &errorType;
      return node;
    }
    default:
      errorAt(line, column, "internal.tree.error", "unfinished 4");
      return node;
  }
}
