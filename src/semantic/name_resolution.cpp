// Name and member resolution. A dotted name is read left to right with a stack of its own, so a
// name of any length costs no recursion: its first part is a variable, a class or else a package,
// each further part a class of that package, a member class, or a field.
#include "semantic/name_resolution.h"

#include <string>

#include "semantic/access_methods.h"
#include "semantic/class_lookup.h"
#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/declaration_checks.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/java_arithmetic.h"
#include "semantic/method_calls.h"
#include "semantic/name_lookup.h"
#include "semantic/synthetic_members.h"
#include "semantic/tree_walks.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/frame_stack.h"
#include "support/global.h"
#include "support/parser_context.h"
#include "syntax/method_bodies.h"

namespace {

// The O_DOT parts of a dotted name from the innermost (first) outward, and its first O_ID.
class NameParts {
 public:
  explicit NameParts(ExprNode* name) {
    ExprNode* e = name;
    for (; e != nullptr && e->op == O_DOT; e = e->left) parts_.push(e);
    first_ = parts_.empty() ? name : parts_.top()->left;
  }
  ExprNode* first() const { return first_; }
  int32_t count() const { return parts_.size(); }
  // 0 is the part after the first name.
  ExprNode* part(int32_t i) const { return parts_[parts_.size() - 1 - i]; }

 private:
  FrameStack<ExprNode*, 16> parts_;
  ExprNode* first_ = nullptr;
};

ClassRef* boundRef(ClassDef* cls, int32_t line, int32_t column) {
  ClassRef* ref = newClassRefHere(cls->package, cls->name, global.ctx.enclosing, line, column);
  ref->resolved = cls;
  ref->flags = cls->flags;
  return ref;
}

// A class named by a simple name from the current class, without a report when there is none:
// the caller goes on to other meanings of the name.
ClassDef* classNamed(Identifier* name, ClassDef* context) {
  return resolveClassByName(name, context, 0, 0);
}

// The number of classes from the current class out to `outer`.
int32_t levelOf(ClassDef* outer) {
  int32_t level = 0;
  for (ClassDef* c = global.ctx.enclosing; c != nullptr && c != outer; c = c->outer) level++;
  return level;
}

ExprNode* bindVariable(ExprNode* node, Member* variable) {
  variable->variableFlags |= VAR_REFERENCED;
  node->member = variable;
  node->type = variable->type;
  return node;
}

// A name bound to the current class's copy of an outer local. In a constructor it reads the
// parameter that fills the copy, which also serves before the superclass constructor has run
// (in the arguments of super(...)), when no field of the object may be read yet.
ExprNode* bindCopy(ExprNode* node, Member* copy) {
  ensureCapturedAssigned(copy);
  if (copy->original != nullptr && (copy->original->modifiers & M_FINAL) != 0) node->flags |= NAME_FINAL_COPY;
  Parameter* filling = parameterFilling(constructorBeingParsed(), copy);
  if (filling != nullptr && filling->variable != nullptr) {
    copy->variableFlags |= VAR_REFERENCED;
    return bindVariable(node, filling->variable);
  }
  return bindVariable(node, copy);
}

// Around the parse of another field's initializer in the middle of a body: that initializer sees
// none of the body's locals, and builds no statements into the body's list.
class ConstantParseScope {
 public:
  ConstantParseScope() : scope_(global.ctx.scope), jumps_(global.ctx.jumps) {
    global.ctx.scope = nullptr;
    global.ctx.jumps = nullptr;
  }
  ~ConstantParseScope() {
    global.ctx.scope = scope_;
    global.ctx.jumps = jumps_;
  }
  ConstantParseScope(const ConstantParseScope&) = delete;
  ConstantParseScope& operator=(const ConstantParseScope&) = delete;

 private:
  Scope* scope_;
  JumpContext* jumps_;
};

// A simple name: the variable or class it denotes, else null, telling in *notMember (when nothing is
// found) a field of the name that was met but cannot be used here.
ExprNode* findSimpleName(ClassDef* cls, Scope* scope, ExprNode* expression, bool searchOuter, Member** notMember);
// A dotted name: null when it denotes nothing (a package is no value), with *notMember as above
// for its first part.
ExprNode* resolveDotted(ExprNode* expression, Member** notMember);

}  // namespace

ClassDef* elementClassOf(Type* type) {
  while (type != nullptr && type->kind == TK_ARRAY) type = type->element;
  return usable(classOfType(type));
}

bool enclosingInstanceAvailable(ClassDef* outer) {
  for (ClassDef* c = global.ctx.enclosing; c != nullptr && c != outer; c = c->outer)
    if ((c->flags & CF_STATIC) != 0 || c->kind == CLASS_KIND_INTERFACE || c->outerThisField == nullptr) return false;
  return true;
}

Type* classTypeFor(ClassDef* cls, int32_t line, int32_t column) {
  return newClassType(boundRef(cls, line, column), cls->name, line, column);
}

ExprNode* makeClassRefNode(ExprNode* expression, ClassDef* cls) {
  expression->op = O_CLASSREF;
  expression->classDef = cls;
  expression->type = &classNameType;
  return expression;
}

// A name that denotes nothing is reported by reportUnresolvedName, unless its first part is a field
// of the current class's supertypes or enclosing classes that cannot be used here: that field is
// reported, saying why. A name already reported (a failed qualifier that a call handed back) is
// not reported again.
ExprNode* resolveName(ExprNode* expression) {
  if (expression == nullptr || (expression->op != O_ID && expression->op != O_DOT) || global.evaluating ||
      hasErrorType(expression))
    return expression;
  Member* notMember = nullptr;
  ExprNode* result = expression->op == O_ID
                         ? findSimpleName(global.ctx.enclosing, global.ctx.scope, expression, true, &notMember)
                         : resolveDotted(expression, &notMember);
  if (result != nullptr) return result;
  if (notMember != nullptr) {
    NameParts parts(expression);
    reportNotMember(notMember, parts.first()->line, parts.first()->column);
  } else {
    reportUnresolvedName(expression);
  }
  return markError(expression);
}

// A name that is no variable, class or field: the class that the longest run of parts from the
// start naming an existing package leads to and does not hold; when no such run is there, its
// last part as a variable. Either at the name's first part.
void reportUnresolvedName(ExprNode* expression) {
  NameParts parts(expression);
  ExprNode* first = parts.first();
  Package* existing = nullptr;
  int32_t missing = 0;
  if (first != nullptr && first->op == O_ID) {
    Package* package = getPackage(&rootPackage, first->name);
    if (packageExists(package)) existing = package;
    for (int32_t i = 0; i < parts.count() - 1; i++) {
      package = getPackage(package, parts.part(i)->name);
      if (!packageExists(package)) continue;
      existing = package;
      missing = i + 1;
    }
  }
  if (existing == nullptr || parts.count() == 0) {
    ExprNode* at = first != nullptr ? first : expression;
    errorAt(at->line, at->column, "undef.variable", identToString(expression->name));
    return;
  }
  std::string name = packageToString(existing);
  name += '.';
  name += identToString(parts.part(missing)->name);
  errorAt(first->line, first->column, "undef.class", name.c_str());
}

namespace {

// Steps, for an O_ID not bound yet:
//  1. a variable: a local, a field, or a local of a method around the current local class;
//  2. else a class of that name, which the node becomes a reference to; else nothing;
//  3. a variable is bound and typed, and a constant variable folded to its value;
//  4. a local of a method around the current class is replaced by the current class's copy of it
//     (a captured value), a field of an enclosing instance reached through the outer-instance
//     fields; either records the class it was found in.
ExprNode* findSimpleName(ClassDef* cls, Scope* scope, ExprNode* expression, bool searchOuter, Member** notMember) {
  if (expression == nullptr || expression->op != O_ID || expression->member != nullptr || expression->type != nullptr)
    return expression;
  int32_t line = expression->line;
  int32_t column = expression->column;
  ClassDef* outside = nullptr;
  bool staticReported = false;
  Member* variable =
      findVariable(scope, cls, expression->name, searchOuter, &outside, line, column, &staticReported, notMember);
  if (variable == nullptr) {
    ClassDef* named = classNamed(expression->name, cls);
    if (named == nullptr) return nullptr;
    checkClassAccess(global.ctx.enclosing, named, line, column);
    return makeClassRefNode(expression, named);
  }
  bindVariable(expression, variable);
  if (staticReported) return markError(expression);
  if (variable->kind == MK_VARIABLE && variable->slot < 0) requestProtectedAccessor(variable, nullptr);
  ExprNode* node = resolveVariableUse(expression);
  if (outside == nullptr) noteForwardUse(node);
  if (node->op != O_ID || hasErrorType(node) || outside == nullptr) return node;
  ClassDef* current = global.ctx.enclosing;
  bool local = variable->kind == MK_PARAMETER || variable->slot >= 0;
  if (current == nullptr || (current->flags & CF_NESTED) == 0 || (!local && (variable->modifiers & M_STATIC) != 0))
    return node;
  if (local) {
    if (current->flags & CF_STATIC) {
      errorAt(line, column, "static.class.cannot.access", identToString(variable->name));
      return markError(node);
    }
    bindCopy(node, captureOuterLocal(variable, current, line, column, nullptr));
  } else {
    if (!enclosingInstanceAvailable(outside)) {
      errorAt(line, column, "illegal.static.reference", identToString(variable->name), classToString(outside));
      return markError(node);
    }
    captureOuterLocal(variable, current, line, column, nullptr);
    // The field is read from the instance of the class it was found in.
    node->classDef = outside;
  }
  node->level = levelOf(outside);
  return node;
}

// What the name parts read so far denote: a value or class reference, a package, or, after a
// report, nothing more to read. A first part taken for a package may have been a field that
// is no member here (notMember).
struct NameMeaning {
  ExprNode* value;
  Package* package;
  bool failed;
  Member* notMember;
};

// Reads the parts of a dotted name left to right, up to and including part `last`.
NameMeaning readName(const NameParts& parts, int32_t last) {
  NameMeaning meaning{nullptr, nullptr, false, nullptr};
  ExprNode* first = parts.first();
  if (first == nullptr || first->op != O_ID) {
    meaning.value = resolveName(first);
  } else if (first->member != nullptr || first->type != nullptr) {
    meaning.value = first;
  } else {
    meaning.value = findSimpleName(global.ctx.enclosing, global.ctx.scope, first, true, &meaning.notMember);
    if (meaning.value == nullptr) meaning.package = getPackage(&rootPackage, first->name);
  }
  for (int32_t i = 0; i <= last; i++) {
    ExprNode* part = parts.part(i);
    if (meaning.value != nullptr && hasErrorType(meaning.value)) {
      meaning.failed = true;
      return meaning;
    }
    if (meaning.package != nullptr) {
      Package* package = meaning.package;
      ClassDef* cls = loadClass(package, part->name, part->line, part->column);
      if (cls != nullptr) {
        meaning.package = nullptr;
        meaning.value = resolveFieldAccess(makeClassRefNode(part, cls));
      } else {
        meaning.package = getPackage(package, part->name);
      }
      continue;
    }
    part->left = meaning.value;
    // After a class name a field of the name comes before a member class of it.
    if (meaning.value->op == O_CLASSREF && !hasFieldMember(meaning.value->classDef, part->name)) {
      ClassDef* inner = findInnerClassUnique(meaning.value->classDef, part->name, part->line, part->column, global.ctx.enclosing);
      if (inner != nullptr) {
        meaning.value = resolveFieldAccess(makeClassRefNode(part, inner));
        continue;
      }
    }
    meaning.value = resolveFieldAccess(part);
  }
  if (meaning.value != nullptr && hasErrorType(meaning.value)) meaning.failed = true;
  return meaning;
}

ExprNode* resolveDotted(ExprNode* expression, Member** notMember) {
  NameParts parts(expression);
  NameMeaning meaning = readName(parts, parts.count() - 1);
  if (meaning.failed) return markError(expression);
  if (meaning.value == nullptr && notMember != nullptr) *notMember = meaning.notMember;
  return meaning.value;
}

}  // namespace

Package* qualifiedPackageOf(ExprNode* expression) {
  if (expression == nullptr || (expression->op != O_ID && expression->op != O_DOT)) return nullptr;
  NameParts parts(expression);
  if (parts.first() == nullptr || parts.first()->op != O_ID) return nullptr;
  Package* package = getPackage(&rootPackage, parts.first()->name);
  for (int32_t i = 0; i < parts.count(); i++) package = getPackage(package, parts.part(i)->name);
  return package;
}

ClassRef* resolveQualifiedClass(ExprNode* expression) {
  if (expression == nullptr) return nullptr;
  if (expression->op == O_CLASSREF) return boundRef(expression->classDef, expression->line, expression->column);
  if (expression->op != O_ID && expression->op != O_DOT) return nullptr;
  NameParts parts(expression);
  ExprNode* first = parts.first();
  if (first == nullptr) return nullptr;
  ClassDef* cls = first->op == O_CLASSREF ? first->classDef
                  : first->op == O_ID     ? classNamed(first->name, global.ctx.enclosing)
                                          : nullptr;
  if (cls == nullptr) return nullptr;
  for (int32_t i = 0; i < parts.count(); i++) {
    ExprNode* part = parts.part(i);
    ClassDef* inner = findInnerClassUnique(cls, part->name, part->line, part->column, global.ctx.enclosing);
    if (inner == nullptr) return nullptr;
    checkClassAccess(global.ctx.enclosing, inner, part->line, part->column);
    cls = inner;
  }
  return boundRef(cls, expression->line, expression->column);
}

ClassDef* classOfName(ExprNode* expression) {
  if (expression == nullptr) return nullptr;
  if (expression->op == O_CLASSREF) return expression->classDef;
  if ((expression->op != O_ID && expression->op != O_DOT) || expression->type != nullptr ||
      expression->member != nullptr)
    return nullptr;
  if (ClassRef* ref = resolveQualifiedClass(expression)) return ref->resolved;
  // A class of a package: each part before it names a package, none a class.
  NameParts parts(expression);
  ExprNode* first = parts.first();
  if (first == nullptr || first->op != O_ID || parts.count() == 0) return nullptr;
  Package* package = getPackage(&rootPackage, first->name);
  ClassDef* cls = nullptr;
  for (int32_t i = 0; i < parts.count(); i++) {
    ExprNode* part = parts.part(i);
    if (cls != nullptr) {
      cls = findInnerClassUnique(cls, part->name, part->line, part->column, global.ctx.enclosing);
      if (cls == nullptr) return nullptr;
      checkClassAccess(global.ctx.enclosing, cls, part->line, part->column);
      continue;
    }
    cls = loadClass(package, part->name, part->line, part->column);
    if (cls != nullptr)
      checkClassAccess(global.ctx.enclosing, cls, part->line, part->column);
    else
      package = getPackage(package, part->name);
  }
  return cls;
}

Type* resolveTypeName(ExprNode* expression) {
  if (expression == nullptr) return nullptr;
  if (expression->op == O_ID) return newClassType(nullptr, expression->name, expression->line, expression->column);
  if (expression->op == O_CLASSREF) return classTypeFor(expression->classDef, expression->line, expression->column);
  if (expression->op != O_DOT) return nullptr;
  ClassRef* ref = resolveQualifiedClass(expression);
  if (ref == nullptr)
    ref = newClassRefHere(qualifiedPackageOf(expression->left), expression->name, global.ctx.enclosing,
                          expression->line, expression->column);
  return newClassType(ref, ref->name, expression->line, expression->column);
}

namespace {

// A final field read through an object or an expression (t.k, this.k, t.S) is no constant
// expression: the node stays a field read. Its constant, when the field has one, goes into
// `right`, which the code generator pushes after evaluating the qualifier (an object checked for
// null), as the peers do.
ExprNode* keepConstantValue(ExprNode* expression) {
  Member* field = expression->member;
  if (field == nullptr || (field->modifiers & M_FINAL) == 0) return expression;
  // The copy keeps the qualifier while it is folded, so that it counts as a qualified name.
  ExprNode* value = newExprNode(expression->op, expression->line, expression->column);
  *value = *expression;
  value = resolveVariableUse(value);
  if (isConstantValue(value)) {
    value->left = nullptr;
    expression->right = value;
  }
  return expression;
}

}  // namespace

// Steps, for a selection q.name on a resolved qualifier:
//  1. a class reference is checked for access and is the answer;
//  2. length of an array is O_ALENGTH;
//  3. the qualifier's class: a class name's (only static fields, access checked at the
//     qualifier), else that of its class type (access checked at the selection);
//  4. the field, its protected access, its type;
//  5. a static field becomes an O_ID bound to it that keeps the qualifier; an instance field stays
//     a selection bound to it; either is folded when it is a constant.
ExprNode* resolveFieldAccess(ExprNode* expression) {
  if (expression == nullptr) return nullptr;
  ClassDef* from = global.ctx.enclosing;
  if (expression->op == O_CLASSREF) {
    checkClassAccess(from, expression->classDef, expression->line, expression->column);
    return expression;
  }
  if (expression->op != O_DOT) return expression;
  ExprNode* q = expression->left;
  if (q == nullptr || hasErrorType(q)) return markError(expression);
  int32_t line = expression->line;
  int32_t column = expression->column;
  if (isNullLiteral(q)) {
    errorAt(line, column, "null.member");
    return markError(expression);
  }
  if (q->type != nullptr && q->type->kind == TK_ARRAY && expression->name == global.lengthName) {
    if (!checkReachedClassAccess(from, elementClassOf(q->type), line, column)) return markError(expression);
    expression->op = O_ALENGTH;
    expression->type = &intType;
    return expression;
  }
  ClassDef* cls;
  bool staticOnly = q->op == O_CLASSREF;
  if (staticOnly) {
    cls = q->classDef;
    checkClassAccess(from, cls, q->line, q->column);
  } else {
    if (q->type == nullptr || q->type->kind != TK_CLASS) {
      errorAt(q->line, q->column, "not.class.type");
      return markError(expression);
    }
    cls = usable(classOfType(q->type));
    if (cls == nullptr) return markError(expression);
    if (!checkReachedClassAccess(from, cls, line, column)) return markError(expression);
  }
  bool staticReported = false;
  Member* notMember = nullptr;
  Member* field =
      lookupVariable(cls, expression->name, staticOnly, false, nullptr, line, column, &staticReported, &notMember);
  if (field == nullptr) {
    if (notMember != nullptr)
      reportNotMember(notMember, line, column);
    else if (!hasMissingSupertype(cls))
      errorAt(line, column, "undef.field", identToString(expression->name));
    else
      global.ctx.bodyFailed = 1;
    return markError(expression);
  }
  bindVariable(expression, field);
  if (staticReported || checkProtectedAccess(cls, field, q, line, column)) return markError(expression);
  requestProtectedAccessor(field, staticOnly || q->op == O_SUPER ? nullptr : cls);
  if ((field->modifiers & M_STATIC) != 0) {
    expression->op = O_ID;
    return q->op == O_CLASSREF ? resolveVariableUse(expression) : keepConstantValue(expression);
  }
  // An instance field stays a selection; through its class name a constant is folded.
  if (q->op == O_CLASSREF) {
    expression->left = makeThisSelectorForClass(q->classDef, q->line, q->column);
    if ((field->modifiers & M_FINAL) != 0) return resolveVariableUse(expression);
    return expression;
  }
  return keepConstantValue(expression);
}

// A final variable whose constant is known becomes that constant, typed by its variable, which
// the node keeps. A final field whose initializer is still to be read has it read now (the body
// being parsed is set aside meanwhile); naming that field by its simple name while its initializer
// is read is "circular.init".
ExprNode* resolveVariableUse(ExprNode* expression) {
  if (expression == nullptr) return nullptr;
  Member* v = expression->member;
  if (v == nullptr) return expression;
  v->variableFlags |= VAR_REFERENCED;
  if (v->kind != MK_VARIABLE) return expression;
  bool field = v->slot < 0;
  if (v->constantState == FIELD_CONSTANT_PARSING && field) {
    // A field named in its own initializer is an error; a cycle of constants through qualified
    // names, within a class or across classes, is only no constant (the classes' initialization
    // gives the values at run time).
    if (expression->left != nullptr || v->owner != global.ctx.enclosing) return expression;
    errorAt(expression->line, expression->column, "circular.init");
    return markError(expression);
  }
  if (field && v->constantState == FIELD_CONSTANT_PENDING && (v->modifiers & M_FINAL) != 0 && v->bodyOffset != 0 &&
      (v->fieldFlags & FIELD_INITIALIZER_REPORTED) == 0 && v->owner != nullptr && v->owner->sourceFile != nullptr) {
    checkFieldInitForwardRefs(expression);
    ConstantParseScope aside;
    parseFieldInitializerNested(v);
  }
  if (v->constantState != FIELD_CONSTANT_KEPT || v->constantValue == nullptr || (v->modifiers & M_FINAL) == 0 ||
      v->type == nullptr)
    return expression;
  switch (v->type->kind) {
    case TK_CLASS:
      expression->op = O_STRING;
      expression->string = static_cast<StringValue*>(v->constantValue);
      break;
    case TK_BOOLEAN:
    case TK_BYTE:
    case TK_SHORT:
    case TK_INT:
      expression->op = O_CONST;
      expression->integerValue = *static_cast<const int32_t*>(v->constantValue);
      break;
    case TK_CHAR:
      expression->op = O_CONST;
      expression->integerValue = static_cast<uint16_t>(*static_cast<const int32_t*>(v->constantValue));
      break;
    case TK_LONG:
      expression->op = O_CONST;
      expression->integerValue = *static_cast<const int64_t*>(v->constantValue);
      break;
    case TK_FLOAT:
      expression->op = O_DCONST;
      expression->doubleValue = doubleToFloat(*static_cast<const double*>(v->constantValue));
      break;
    case TK_DOUBLE:
      expression->op = O_DCONST;
      expression->doubleValue = *static_cast<const double*>(v->constantValue);
      break;
    default:
      errorAt(expression->line, expression->column, "internal.tree.error", "compile-time constant 1");
      return markError(expression);
  }
  expression->type = v->type;
  return expression;
}

// A protected instance member of a class of another package is reached only through an object
// of a class whose body (or a body nested in it) the code is in, or of a subclass of that class:
// through this, super, or a qualifier of such a class. A static one belongs to no object, so any
// qualifier reaches it where it is accessible at all; an array's clone is public.
int32_t checkProtectedAccess(ClassDef* qualifierClass, Member* member, ExprNode* qualifier, int32_t line,
                             int32_t column) {
  if (member == nullptr || (member->modifiers & M_PROTECTED) == 0 || (member->modifiers & M_STATIC) != 0 ||
      member->owner == nullptr)
    return 0;
  ClassDef* from = global.ctx.enclosing;
  Package* owner = member->owner->package != nullptr ? member->owner->package : &rootPackage;
  Package* here = from != nullptr && from->package != nullptr ? from->package : &rootPackage;
  if (from == nullptr || owner == here) return 0;
  if (qualifier == nullptr || qualifier->op == O_SUPER || qualifier->type == nullptr ||
      qualifier->type->kind != TK_CLASS || qualifierClass == nullptr)
    return 0;
  if (protectedAccessClass(from, member, qualifierClass) != nullptr) return 0;
  errorAt(line, column, "protected.access", memberToString(member));
  return 1;
}

void requestProtectedAccessor(Member* member, ClassDef* through) {
  if (ClassDef* host = protectedAccessHost(global.ctx.enclosing, member, through)) hostedAccessor(host, member, false);
}

namespace {

ExprNode* joinArguments(ExprNode* list, ExprNode* argument) {
  if (list == nullptr) return argument;
  if (argument == nullptr) return list;
  ExprNode* node = newExprNode(O_ARG, argument->line, argument->column);
  node->left = list;
  node->right = argument;
  node->type = &voidType;
  return node;
}

// The variable that a synthetic parameter carries the value of: the captured local of the field
// it fills (*copy), followed through the superclass constructor parameters it was copied from.
Member* capturedVariable(const Parameter* parameter, const Member** copy) {
  const Member* field = nullptr;
  for (const Parameter* p = parameter; p != nullptr && field == nullptr; p = p->origin) {
    field = p->capturedField;
    if (p->origin == p) break;
  }
  if (field == nullptr || field->original == nullptr) return nullptr;
  *copy = field;
  // The variable is in scope wherever its class is created. A body parsed again (an initializer in
  // each constructor) reuses the class its first parse made, whose variable went with that parse:
  // the variable of this parse is the one declared at the same place. Pointers are only compared
  // until one is known to be live.
  Member* original = field->original;
  for (Scope* s = global.ctx.scope; s != nullptr; s = s->outer)
    for (Member* m = s->first; m != nullptr; m = m->next)
      if (m == original) return original;
  for (Scope* s = global.ctx.scope; s != nullptr; s = s->outer)
    for (Member* m = s->first; m != nullptr; m = m->next)
      if ((m->kind == MK_PARAMETER || (m->kind == MK_VARIABLE && m->slot >= 0)) && m->line == field->originalLine &&
          m->column == field->originalColumn)
        return m;
  return original;
}

// The constructor's synthetic parameter copied from `parameter` of the superclass constructor.
Parameter* passedOnParameter(Member* method, const Parameter* parameter) {
  if (method == nullptr || method->kind != MK_CONSTRUCTOR) return nullptr;
  for (Parameter* p = method->parameters; p != nullptr && (p->modifiers & M_SYNTHETIC) != 0; p = p->next)
    if (p->origin == parameter) return p;
  return nullptr;
}

Parameter* syntheticParameterAt(Member* method, int32_t index) {
  if (method == nullptr || method->kind != MK_CONSTRUCTOR) return nullptr;
  Parameter* p = method->parameters;
  for (int32_t i = 0; p != nullptr && (p->modifiers & M_SYNTHETIC) != 0; p = p->next, i++)
    if (i == index) return p;
  return nullptr;
}

}  // namespace

ExprNode* localValue(Member* variable, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_ID, line, column);
  node->name = variable->name;
  ClassDef* current = global.ctx.enclosing;
  // A local of the current method is named directly; one of a method around the current class
  // is reached through the current class's copy.
  for (Scope* s = global.ctx.scope; s != nullptr && s->owner == current; s = s->outer)
    for (Member* m = s->first; m != nullptr; m = m->next)
      if (m == variable) return bindVariable(node, variable);
  if (current != nullptr && (current->flags & CF_NESTED) != 0 && (variable->slot >= 0 || variable->kind == MK_PARAMETER))
    return bindCopy(node, captureOuterLocal(variable, current, line, column, nullptr));
  return bindVariable(node, variable);
}

// One implicit argument per synthetic parameter of the constructor, in order, those after the
// declared parameters (captured values of an anonymous class) after the arguments:
//  1. the explicit outer instance of q.new, for the parameter that takes it;
//  2. in this(...) and super(...), the current constructor's own synthetic parameter passed on
//     from this one, else the one at the same place and of the same type;
//  3. for a captured value, the variable it copies;
//  4. else the enclosing instance of the parameter's class ("inner.needs.this" in a static
//     context).
ExprNode* buildImplicitArgs(ExprNode* outer, ExprNode* qualifier, ExprNode* arguments, Member* constructor,
                            int32_t line, int32_t column) {
  noteCapturesUsed(constructor->owner);
  ExprNode* leading = nullptr;
  ExprNode* trailing = nullptr;
  Parameter* outerParameter = outer != nullptr ? explicitOuterParameter(constructor) : nullptr;
  bool outerUsed = outer == nullptr;
  bool constructorCall =
      qualifier != nullptr && (qualifier->op == O_THIS || qualifier->op == O_SUPER) && constructor != nullptr;
  Member* current = global.ctx.currentMethod;
  int32_t index = 0;
  bool declaredSeen = false;
  for (Parameter* p = constructor->parameters; p != nullptr; p = p->next) {
    if ((p->modifiers & M_SYNTHETIC) == 0) {
      declaredSeen = true;
      continue;
    }
    ExprNode* argument = nullptr;
    if (!outerUsed && outer->type != nullptr &&
        (outerParameter != nullptr ? p == outerParameter : isSubclassType(outer->type, p->type))) {
      argument = outer;
      outerUsed = true;
    }
    if (argument == nullptr && constructorCall) {
      Parameter* own = passedOnParameter(current, p);
      if (own == nullptr && !declaredSeen) own = syntheticParameterAt(current, index);
      if (own != nullptr && own->variable != nullptr && sameType(own->type, p->type)) {
        argument = newExprNode(O_ID, line, column);
        argument->name = own->name;
        bindVariable(argument, own->variable);
      }
    }
    if (argument == nullptr) {
      const Member* copy = nullptr;
      if (Member* variable = capturedVariable(p, &copy)) {
        // The value is read where the class first used it, which a definite assignment report
        // names, and which a class around this one that must copy the value too takes as its use.
        // A local not final, or a final that the class only assigns, was reported there.
        if ((variable->modifiers & M_FINAL) == 0 || (copy->fieldFlags & FIELD_CAPTURE_ASSIGNED) != 0) {
          argument = markError(newExprNode(O_ID, copy->line, copy->column));
          argument->name = variable->name;
        } else {
          argument = localValue(variable, copy->line, copy->column);
        }
      }
    }
    if (argument == nullptr) {
      if (inStaticContext()) {
        errorAt(line, column, "inner.needs.this", methodToString(constructor));
        argument = markError(newExprNode(O_THIS, line, column));
      } else {
        ClassDef* cls = usable(classOfType(p->type));
        argument = cls != nullptr ? makeThisSelectorForClass(cls, line, column) : nullptr;
        if (argument == nullptr) argument = markError(newExprNode(O_THIS, line, column));
      }
    }
    if (declaredSeen)
      trailing = joinArguments(trailing, argument);
    else
      leading = joinArguments(leading, argument);
    index++;
  }
  return joinArguments(joinArguments(leading, arguments), trailing);
}

ExprNode* innerConstructorArgs(ExprNode* outer, ExprNode* qualifier, ExprNode* arguments, Member* constructor,
                               int32_t line, int32_t column) {
  if (constructor == nullptr) return arguments;
  ClassDef* cls = constructor->owner;
  ExprNode* list = arguments;
  if (constructor->kind == MK_CONSTRUCTOR && cls != nullptr && (cls->flags & CF_NESTED) != 0 &&
      (cls->flags & CF_STATIC) == 0)
    list = buildImplicitArgs(outer, qualifier, arguments, constructor, line, column);
  return convertArguments(constructor->parameters, list);
}
