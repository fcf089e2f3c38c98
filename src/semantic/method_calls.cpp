// Method calls, instance creation and instanceof.
#include "semantic/method_calls.h"

#include <vector>

#include "semantic/access_methods.h"
#include "semantic/binary_operators.h"
#include "semantic/class_lookup.h"
#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/declaration_checks.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/member_index.h"
#include "semantic/name_lookup.h"
#include "semantic/name_resolution.h"
#include "semantic/primary_expressions.h"
#include "semantic/synthetic_members.h"
#include "semantic/tree_walks.h"
#include "semantic/try_clauses.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "semantic/unary_expressions.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/frame_stack.h"
#include "support/global.h"
#include "support/parser_context.h"
#include "syntax/declarators.h"

namespace {

// The argument slots of a list in source order (the O_ARG tree read left before right), found
// with a stack of their own so that a list of any length costs no recursion.
class ArgumentSlots {
 public:
  explicit ArgumentSlots(ExprNode** root) {
    FrameStack<ExprNode**, 64> pending;
    if (*root != nullptr) pending.push(root);
    while (!pending.empty()) {
      ExprNode** slot = pending.top();
      pending.pop();
      ExprNode* node = *slot;
      if (node != nullptr && node->op == O_ARG) {
        pending.push(&node->right);
        pending.push(&node->left);
      } else if (node != nullptr) {
        slots_.push(slot);
      }
    }
  }
  int32_t count() const { return slots_.size(); }
  ExprNode** operator[](int32_t i) const { return slots_[i]; }

 private:
  FrameStack<ExprNode**, 16> slots_;
};

bool anyArgumentError(ExprNode* arguments) {
  if (arguments == nullptr) return false;
  if (hasErrorType(arguments)) return true;
  ExprNode* root = arguments;
  ArgumentSlots slots(&root);
  for (int32_t i = 0; i < slots.count(); i++)
    if (hasErrorType(*slots[i])) return true;
  return false;
}

Type* objectType(int32_t line, int32_t column) {
  initJavaLang();
  return objectClass != nullptr ? classTypeFor(objectClass, line, column) : nullptr;
}

bool isConstructor(const Member* m) {
  return m != nullptr && m->kind == MK_CONSTRUCTOR;
}

// A this(...) call of `current` reaching `called`: the chain of this(...) calls from there comes
// back to `current`.
bool callsBack(Member* current, Member* called) {
  int32_t steps = 0;
  for (Member* m = called; m != nullptr && steps < 65536; m = m->calledConstructor, steps++)
    if (m == current) return true;
  return false;
}

ExprNode* copyNode(const ExprNode* node) {
  ExprNode* copy = newExprNode(node->op, node->line, node->column);
  *copy = *node;
  return copy;
}

// The checks of an explicit superclass constructor call on the enclosing instance its superclass
// needs: one must be given (outer.super(...)) or be reachable from the current class, and a given
// one must be of the superclass's outer class; a superclass that takes none takes no qualifier
// either. False after a report.
bool checkSuperOuterInstance(ExprNode* q, ClassDef* current, int32_t line, int32_t column) {
  ClassDef* superclass = superclassOf(current);
  ExprNode* explicitOuter = q->left;
  if (q->line != 0 && explicitOuter != nullptr && superclass != nullptr) {
    if (!takesEnclosingInstance(superclass)) {
      errorAt(explicitOuter->line, explicitOuter->column, "outer.qualifier.not.inner", classToString(superclass));
      return false;
    }
    // A class file's inner class has no outer-instance field here: its outer class is the type.
    Type* outerType = superclass->outerThisField != nullptr ? superclass->outerThisField->type
                      : superclass->outer != nullptr    ? classTypeFor(superclass->outer, line, column)
                                                        : nullptr;
    if (outerType != nullptr && !isSubclassType(explicitOuter->type, outerType)) {
      errorAt(explicitOuter->line, explicitOuter->column, "outer.qualifier.type", typeToString(explicitOuter->type),
              typeToString(outerType));
      return false;
    }
  }
  if (superclass == nullptr || superclass->outer == nullptr || superclass->outerThisField == nullptr) return true;
  ClassDef* needed = superclass->outer;
  if ((current->flags & CF_ANONYMOUS) == 0 && explicitOuter == nullptr) {
    if (!outerInstanceAround(current, needed)) {
      errorAt(line, column, "super.missing.outer.instance");
      if (q->line == 0)
        errorAt(line, column, "constructor.missing.outer", classToString(needed), classToString(current));
      return false;
    }
  }
  return true;
}

ClassDef* throwsClass(const ThrowsEntry* entry) {
  ClassRef* ref = entry->classRef;
  if (ref == nullptr) return nullptr;
  if (ref->resolved == nullptr) resolveRef(ref);
  return usable(ref->resolved);
}

// Every abstract method of the class and its supertypes with the chosen one's name and parameter
// types that the current class may call, each supertype once.
std::vector<Member*> equallySpecificAbstract(ClassDef* cls, Member* chosen) {
  std::vector<Member*> found;
  std::vector<ClassDef*> stack{cls};
  uint32_t walk = beginSupertypeWalk();
  while (!stack.empty()) {
    ClassDef* c = stack.back();
    stack.pop_back();
    if (c == nullptr || c->kind == CLASS_KIND_ERROR || supertypeWalkSaw(c, walk)) continue;
    MembersNamed named(c, chosen->name);
    for (Member* m = named.next(); m != nullptr; m = named.next())
      if (m->kind == MK_METHOD && (m->modifiers & (M_ABSTRACT | M_PRIVATE)) == M_ABSTRACT &&
          isAccessible(global.ctx.enclosing, m) && methodsMatch(m, chosen))
        found.push_back(m);
    stack.push_back(superclassOf(c));
    for (ClassRef* i = c->interfaces; i != nullptr; i = i->next) {
      if (i->resolved == nullptr) resolveRef(i);
      stack.push_back(i->resolved);
    }
  }
  return found;
}

// The checked exceptions a call of an abstract method throws: when several abstract methods of
// one signature are equally specific, only those that each of them declares (one declared by one
// and covered by a superclass in each of the others counts).
std::vector<ThrowsEntry*> thrownByAll(ClassDef* cls, Member* chosen) {
  std::vector<ThrowsEntry*> thrown;
  for (ThrowsEntry* t = chosen->throwsList; t != nullptr; t = t->next) thrown.push_back(t);
  if ((chosen->modifiers & M_ABSTRACT) == 0 || thrown.empty()) return thrown;
  auto covered = [](ClassDef* c, const std::vector<ThrowsEntry*>& by) {
    for (ThrowsEntry* t : by)
      if (reachesClass(c, throwsClass(t))) return true;
    return false;
  };
  for (Member* other : equallySpecificAbstract(cls, chosen)) {
    if (other == chosen) continue;
    std::vector<ThrowsEntry*> declared;
    for (ThrowsEntry* t = other->throwsList; t != nullptr; t = t->next) declared.push_back(t);
    std::vector<ThrowsEntry*> both;
    auto keep = [&both](ThrowsEntry* t) {
      for (ThrowsEntry* kept : both)
        if (throwsClass(kept) == throwsClass(t)) return;
      both.push_back(t);
    };
    for (ThrowsEntry* t : thrown)
      if (ClassDef* c = throwsClass(t); c != nullptr && covered(c, declared)) keep(t);
    for (ThrowsEntry* t : declared)
      if (ClassDef* c = throwsClass(t); c != nullptr && covered(c, thrown)) keep(t);
    thrown.swap(both);
  }
  return thrown;
}

// A call for which the lookup in `cls` chose nothing: ambiguous, or of a method (constructor) that
// exists but cannot be used here, or of none that matches.
void reportNoMethod(ClassDef* cls, Identifier* name, ExprNode* arguments, const MethodMiss& miss, int32_t line,
                    int32_t column) {
  const char* call = methodSignatureToString(name != nullptr ? name : cls->name, arguments);
  if (miss.ambiguous != nullptr && name == nullptr)
    errorAt(line, column, "ambig.constructor", call, miss.ambiguous);
  else if (miss.ambiguous != nullptr)
    errorAt(line, column, "ambig.method", call, miss.ambiguous);
  else if (miss.hiddenEnclosing != nullptr && name != nullptr)
    errorAt(line, column, "inner.method.hidden", call, classToString(cls), classToString(miss.hiddenEnclosing));
  else if (miss.notMember != nullptr)
    reportNotMember(miss.notMember, line, column);
  else if (name == nullptr)
    errorAt(line, column, "undef.constructor", classToString(cls), call);
  else if (!hasMissingSupertype(cls))
    errorAt(line, column, "undef.method", call);
  else
    global.ctx.bodyFailed = 1;
}

void checkThrown(Identifier* name, ThrowsEntry* entry, int32_t line, int32_t column) {
  ClassDef* cls = throwsClass(entry);
  if (cls == nullptr) return;
  ThrownReport report{THROWN_BY_CALL, entry->classRef, name};
  noteThrownException(cls, line, column, &report);
}

// The class a call searches (step 2 of makeMethodCall) and what its qualifier allows.
struct CallTarget {
  ClassDef* cls = nullptr;
  bool staticOnly = false;  // qualified by a class name
  bool arrayClone = false;  // clone() of an array
};

// The placement of this(...) and super(...): in a constructor, as its first statement; reported
// when not.
bool constructorCallPlaced(Member* method, bool superCall, int32_t line, int32_t column) {
  if (method == nullptr || method->kind != MK_CONSTRUCTOR) {
    if (superCall)
      errorAt(line, column, "super.not.constructor");
    else
      errorAt(line, column, "this.not.constructor");
    return false;
  }
  if (global.ctx.statementCount != 1) {
    if (superCall)
      errorAt(line, column, "super.not.first");
    else
      errorAt(line, column, "this.not.first");
    return false;
  }
  return true;
}

// super.m() and super(...): not in a static context or an instance initializer block, and
// super(...) where a constructor call may stand; reported when not.
bool superCallAllowed(ExprNode* q, Identifier* name, ExprNode* arguments, ClassDef* current, int32_t line,
                      int32_t column) {
  Member* method = global.ctx.currentMethod;
  bool staticInit = method == nullptr ? (global.ctx.flags & CTX_STATIC) != 0 : method->kind == MK_STATIC_INITIALIZER;
  if (staticInit) {
    errorAt(line, column, "super.in.static.init");
    return false;
  }
  if (method != nullptr && method->kind == MK_INSTANCE_INITIALIZER) {
    errorAt(line, column, "super.in.instance.block");
    return false;
  }
  if (method != nullptr && method->kind == MK_METHOD && (method->modifiers & M_STATIC) != 0) {
    errorAt(line, column, "super.in.static");
    return false;
  }
  if (current == nullptr) return false;
  if (name == nullptr) {
    if (!constructorCallPlaced(method, true, line, column)) return false;
    if (!checkSuperOuterInstance(q, current, line, column)) return false;
    walkExpression(arguments, superCallArgumentCheck, nullptr, nullptr, nullptr);
  }
  if (current->superclass == nullptr) {
    errorAt(line, column, "no.super", classToString(current));
    return false;
  }
  return true;
}

// Step 2 of makeMethodCall, for the qualifier *qualifier (an array's becomes a cast to Object):
// null when the call goes on with *target, else what the call is instead (reported, or an error
// passed up).
ExprNode* findCallTarget(ExprNode* node, ExprNode** qualifier, Identifier* name, ExprNode* arguments,
                         CallTarget* target, int32_t line, int32_t column) {
  ClassDef* current = global.ctx.enclosing;
  ExprNode* q = *qualifier;
  switch (q->op) {
    case O_THIS:
      if (name == nullptr) {
        if (!constructorCallPlaced(global.ctx.currentMethod, false, line, column)) return markError(node);
        walkExpression(arguments, thisCallArgumentCheck, nullptr, nullptr, nullptr);
      }
      target->cls = usable(classOfType(q->type));
      if (target->cls == nullptr) target->cls = current;
      return nullptr;
    case O_SUPER:
      if (!superCallAllowed(q, name, arguments, current, line, column)) return markError(node);
      target->cls = name == nullptr ? usable(current->superclass->resolved) : usable(classOfType(q->type));
      if (target->cls == nullptr) target->cls = usable(current->superclass->resolved);
      return target->cls == nullptr ? markError(node) : nullptr;
    case O_CLASSREF:
      target->cls = q->classDef;
      target->staticOnly = true;
      return nullptr;
    default:
      break;
  }
  if (isNullLiteral(q)) {
    errorAt(line, column, "null.member");
    return markError(node);
  }
  // A member of a value's type is used only where the type may be named: an array's where
  // its element class may.
  if (!checkReachedClassAccess(current, elementClassOf(q->type), line, column)) return markError(node);
  if (q->type != nullptr && q->type->kind == TK_ARRAY) {
    target->arrayClone = name == global.cloneName;
    Type* object = objectType(q->line, q->column);
    if (object == nullptr) return markError(node);
    q = makeCast(object, q, q->line, q->column);
    node->left = q;
    *qualifier = q;
    if (hasErrorType(q)) return q;
  }
  if (q->type == nullptr || q->type->kind != TK_CLASS) {
    errorAt(q->line, q->column, "not.class.type");
    return markError(node);
  }
  target->cls = usable(classOfType(q->type));
  return target->cls == nullptr ? markError(node) : nullptr;
}

// Step 3: the method the call names in the class, or null when none is (reported). An interface
// type has the public methods of Object, not its protected clone() and finalize().
Member* chooseMethod(ClassDef* cls, Identifier* name, bool qualified, ExprNode* arguments, ClassDef** outside,
                     int32_t line, int32_t column) {
  MethodMiss miss;
  Member* chosen = lookupMethod(cls, name, qualified, arguments, outside, line, column, &miss);
  if (chosen == nullptr && cls->kind == CLASS_KIND_INTERFACE) {
    initJavaLang();
    chosen = lookupMethod(objectClass, name, true, arguments, nullptr, line, column);
    if (chosen != nullptr && (chosen->modifiers & M_PUBLIC) == 0) chosen = nullptr;
  }
  if (chosen == nullptr) reportNoMethod(cls, name, arguments, miss, line, column);
  return chosen;
}

// Step 4: the chosen method's access through the class it was reached in, an instance method
// where there is no instance, a constructor that calls itself, an instance method through a
// class name; false when reported.
bool callAllowed(Member* chosen, ExprNode* q, Identifier* name, const CallTarget& target, ClassDef* outside,
                 ClassDef* reachedThrough, int32_t line, int32_t column) {
  Member* method = global.ctx.currentMethod;
  if (!target.arrayClone && checkProtectedAccess(reachedThrough, chosen, q, line, column)) return false;
  bool isStaticMethod = (chosen->modifiers & M_STATIC) != 0;
  if (!isStaticMethod && !isConstructor(chosen) && q->op == O_THIS) {
    if (inStaticContext() || (outside != nullptr && !enclosingInstanceAvailable(outside))) {
      errorAt(line, column, "instance.call.in.static", methodToString(chosen), classToString(chosen->owner));
      return false;
    }
  }
  if (q->op == O_THIS && name == nullptr && isConstructor(method)) {
    if (chosen == method || callsBack(method, chosen)) {
      errorAt(line, column, "constructor.calls.itself", methodToString(method));
      return false;
    }
    method->calledConstructor = chosen;
  }
  if (target.staticOnly && !isStaticMethod) {
    errorAt(line, column, "not.static.method", methodToString(chosen));
    return false;
  }
  return true;
}

}  // namespace

// Steps, after the node is made:
//  1. the qualifier: none is this; an error in it or the arguments is passed up;
//  2. the class to search, by the qualifier: this(...) and super(...) with their placement rules
//     and the checks of their arguments, the superclass for super, a class name (static methods
//     only), else the class of the qualifier's type (an array's is Object's);
//  3. the method, through the lookup and, for an interface, Object;
//  4. its access, the static context, the this(...) cycle, the static-only rule;
//  5. the implicit arguments, the access method, the enclosing instance of an outer method;
//  6. its result type and the checked exceptions it throws.
ExprNode* makeMethodCall(ExprNode* qualifier, Identifier* name, ExprNode* arguments, int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_CALL, line, column);
  node->left = qualifier;
  node->name = name;
  node->list = arguments;
  if (global.evaluating) {
    errorAt(line, column, "evalexpr.no.calls");
    return markError(node);
  }
  ClassDef* current = global.ctx.enclosing;
  ExprNode* callerQualifier = qualifier;
  ExprNode* q = qualifier;
  if (q == nullptr) {
    if (current == nullptr) return markError(node);
    q = makeKeywordExpression(O_THIS, current, line, column);
    node->left = q;
  }
  if (hasErrorType(q)) return q;
  // this(...) and super(...) stay what they are, whose place in the constructor counts (the
  // instance initializers follow super(...)).
  if (arguments != nullptr && hasErrorType(arguments)) return name == nullptr ? markError(node) : arguments;
  CallTarget target;
  if (ExprNode* instead = findCallTarget(node, &q, name, arguments, &target, line, column)) return instead;
  ClassDef* cls = target.cls;

  ClassDef* outside = nullptr;
  Member* chosen = chooseMethod(cls, name, callerQualifier != nullptr, arguments, &outside, line, column);
  if (chosen == nullptr) return markError(node);
  // An unqualified call found in an enclosing class is made on that class's instance.
  ClassDef* reachedThrough = outside != nullptr ? outside : cls;
  if (!callAllowed(chosen, q, name, target, outside, reachedThrough, line, column)) return markError(node);
  bool isStaticMethod = (chosen->modifiers & M_STATIC) != 0;
  bool staticOnly = target.staticOnly;
  if (isStaticMethod && (q->op == O_ID || q->op == O_THIS || q->op == O_SUPER)) {
    if (callerQualifier != nullptr && callerQualifier->op == O_ID) node->savedQualifier = copyNode(callerQualifier);
    makeClassRefNode(q, chosen->owner);
    staticOnly = true;
  }
  ExprNode* outerInstance = q->op == O_SUPER ? q->left : nullptr;
  node->list = innerConstructorArgs(outerInstance, q, arguments, chosen, line, column);
  if (anyArgumentError(node->list)) return markError(node);
  if ((chosen->modifiers & M_PRIVATE) != 0 && chosen->owner != current) addAccessor(chosen);
  // Outer.super.m() inside a class within Outer: invokespecial may name only the calling class's
  // own superclass, so Outer makes the call for it.
  if (q->op == O_SUPER && name != nullptr && !isStaticMethod && q->classDef != nullptr && current != nullptr &&
      q->classDef != current) {
    captureOuterLocal(nullptr, current, line, column, nullptr);
    hostedAccessor(q->classDef, chosen, true);
  } else if (!target.arrayClone) {
    requestProtectedAccessor(chosen, q->op == O_SUPER ? nullptr : reachedThrough);
  }
  if (q->op == O_THIS && !staticOnly && outside != nullptr && current != nullptr && (current->flags & CF_NESTED) != 0 &&
      current->outer != nullptr) {
    captureOuterLocal(nullptr, current, line, column, nullptr);
    setQualifiedThisType(q, classTypeFor(outside, line, column));
  }
  node->member = chosen;
  node->type = isConstructor(chosen) || chosen->type == nullptr ? &voidType : chosen->type;
  if (!target.arrayClone)
    for (ThrowsEntry* entry : thrownByAll(cls, chosen)) checkThrown(name != nullptr ? name : cls->name, entry, line, column);
  return node;
}

// Steps, after the node is made: an error in the arguments, dimensions or outer instance is passed
// up; a qualified creation needs a member class of the outer instance's class; the type must
// resolve; a class gets its constructor, its implicit arguments and its checked exceptions; an
// array its dimensions, given from the first on and converted to int; anything else cannot be
// created.
ExprNode* makeNewExpression(ExprNode* outer, Type* type, ExprNode* arguments, ArrayDimension* dimensions,
                            int32_t line, int32_t column) {
  ExprNode* node = newExprNode(O_NEW, line, column);
  node->operandType = type;
  node->list = arguments;
  node->dimensions = dimensions;
  if (arguments != nullptr && hasErrorType(arguments)) return arguments;
  for (ArrayDimension* d = dimensions; d != nullptr; d = d->next)
    if (hasErrorType(d->size)) return d->size;
  if (outer != nullptr && hasErrorType(outer)) return outer;
  if (type == nullptr || type->kind == TK_ERROR) return markError(node);
  if (outer != nullptr) {
    // o.new S() {...} names S, the anonymous class's superclass, as a member of o's class.
    Type* named = type;
    ClassDef* created = type->kind == TK_CLASS ? usable(classOfType(type)) : nullptr;
    if (created != nullptr && (created->flags & CF_ANONYMOUS) != 0 && created->superclass != nullptr &&
        created->superclass->resolved != nullptr)
      named = classTypeFor(created->superclass->resolved, line, column);
    if (!checkQualifiedNewOuter(outer->type, named, line, column)) return markError(node);
    outer->flags |= EXPR_EXPLICIT_OUTER;
  }
  if (!isResolvedType(type)) return markError(node);
  if (type->kind == TK_CLASS) {
    ClassDef* cls = usable(classOfType(type));
    if (cls == nullptr) return markError(node);
    // A class that may not be used here was reported where its name was resolved.
    if (!isClassAccessible(global.ctx.enclosing, cls)) return markError(node);
    if ((cls->flags & CF_ABSTRACT) != 0 || cls->kind == CLASS_KIND_INTERFACE) {
      errorAt(line, column, "cannot.new");
      return markError(node);
    }
    MethodMiss miss;
    Member* constructor = lookupMethod(cls, nullptr, outer != nullptr, arguments, nullptr, line, column, &miss);
    if (constructor == nullptr) {
      reportNoMethod(cls, nullptr, arguments, miss, line, column);
      return markError(node);
    }
    ClassDef* from = global.ctx.enclosing;
    Package* here = from != nullptr && from->package != nullptr ? from->package : &rootPackage;
    Package* there = cls->package != nullptr ? cls->package : &rootPackage;
    if (here != there && (constructor->modifiers & M_PUBLIC) == 0) {
      errorAt(line, column, "unreach.constructor", methodToString(constructor), classToString(cls));
      return markError(node);
    }
    node->list = innerConstructorArgs(outer, nullptr, arguments, constructor, line, column);
    if (anyArgumentError(node->list)) return markError(node);
    if ((constructor->modifiers & M_PRIVATE) != 0 && constructor->owner != from) addAccessor(constructor);
    node->member = constructor;
    node->type = type;
    checkThrowsCaught(cls->name, constructor->throwsList, line, column);
    return node;
  }
  if (type->kind == TK_ARRAY) {
    if (dimensions == nullptr || dimensions->size == nullptr) {
      errorAt(line, column, "array.new.missing.bounds");
      return markError(node);
    }
    bool empty = false;
    for (ArrayDimension* d = dimensions; d != nullptr; d = d->next) {
      if (d->size == nullptr) {
        empty = true;
        continue;
      }
      if (empty) {
        errorAt(d->size->line, d->size->column, "omitted.bound");
        markError(d->size);
        break;
      }
      Type* converted = convertForAssignment(&intType, &d->size, d->size->line, d->size->column);
      if (converted == nullptr || converted->kind == TK_ERROR) markError(d->size);
    }
    node->type = type;
    return node;
  }
  errorAt(line, column, "cannot.new");
  return markError(node);
}

namespace {

// The class an instanceof tests while evaluating: a simple name is a class the frame's
// signatures declared in the unnamed package, else one of java.lang, else declared in the
// unnamed package.
void declareTestedClass(ClassRef* ref) {
  if (ref == nullptr || ref->resolved != nullptr) return;
  if (ref->package == nullptr) {
    ClassDef* found = findClassInPackage(&rootPackage, ref->name, 0, 0);
    if (found == nullptr && javaLangPackage != nullptr) found = findClassInPackage(javaLangPackage, ref->name, 0, 0);
    if (found != nullptr) {
      ref->resolved = found;
      return;
    }
  }
  declareClass(ref);
}

}  // namespace

ExprNode* makeInstanceOf(ExprNode* expression, Type* type, int32_t line, int32_t column) {
  if (expression == nullptr) return nullptr;
  // While the debugger evaluates, the operand is read from the stopped frame, and the classes
  // compared are made sure to be known.
  if (global.evaluating) {
    expression = foldEvaluatedOperand(expression);
    if (expression == nullptr) return nullptr;
    if (expression->type != nullptr && expression->type->kind == TK_CLASS) declareClass(expression->type->classRef);
    if (type != nullptr && type->kind == TK_CLASS) declareTestedClass(type->classRef);
  }
  if (expression->type == nullptr || hasErrorType(expression)) return markError(expression);
  ExprNode* node = newExprNode(O_INSTANCEOF, line, column);
  node->operandType = type;
  node->right = expression;
  if (type == nullptr || (type->kind != TK_CLASS && type->kind != TK_ARRAY)) {
    errorAt(line, column, "disallowed.type", typeToString(type));
    return markError(node);
  }
  if (expression->type->kind != TK_CLASS && expression->type->kind != TK_ARRAY) {
    errorAt(line, column, "disallowed.type", expressionTypeToString(expression));
    return markError(node);
  }
  if (!isResolvedType(type) || (type->kind == TK_CLASS && usable(classOfType(type)) == nullptr)) return markError(node);
  node->type = &booleanType;
  if (!global.evaluating && !isCastable(expression->type, type)) {
    errorAt(line, column, "cant.instanceof", typeToString(type), expressionTypeToString(expression));
    return markError(node);
  }
  // A null read from the frame is an instance of nothing, whatever its declared type.
  if (global.evaluating && expression->op == O_NULL) return makeBooleanConstant(0);
  // Every other value is an Object, whatever the frame declared of its class.
  if (global.evaluating && type->kind == TK_CLASS && usable(classOfType(type)) == objectClass) return makeBooleanConstant(1);
  if (global.evaluating && isSameOrWidening(expression->type, type)) return makeBooleanConstant(1);
  return node;
}

void checkThrowsCaught(Identifier* name, ThrowsEntry* throwsList, int32_t line, int32_t column) {
  for (ThrowsEntry* entry = throwsList; entry != nullptr; entry = entry->next) checkThrown(name, entry, line, column);
}

int32_t checkQualifiedNewOuter(Type* outerType, Type* createdType, int32_t, int32_t) {
  if (outerType == nullptr || createdType == nullptr || outerType->kind != TK_CLASS || createdType->kind != TK_CLASS)
    return 0;
  if (!isResolvedType(outerType)) return 0;
  ClassDef* outerClass = usable(classOfType(outerType));
  if (outerClass == nullptr || createdType->classRef == nullptr) return 0;
  ClassDef* foundIn = nullptr;
  ClassDef* inner = findInnerClass(outerClass, createdType->classRef->name, &foundIn);
  if (inner == nullptr) return 0;
  checkClassAccess(global.ctx.enclosing, inner, createdType->classRef->line, createdType->classRef->column);
  return 1;
}

ExprNode* convertArgument(Parameter* parameter, ExprNode* argument) {
  if (parameter == nullptr || argument == nullptr || parameter->type == nullptr || argument->type == nullptr ||
      hasErrorType(argument) || argument->type->kind == parameter->type->kind)
    return argument;
  return makeCast(parameter->type, argument, argument->line, argument->column);
}

ExprNode* convertArguments(Parameter* parameters, ExprNode* arguments) {
  ExprNode* root = arguments;
  ArgumentSlots slots(&root);
  Parameter* p = parameters;
  for (int32_t i = 0; i < slots.count() && p != nullptr; i++, p = p->next) *slots[i] = convertArgument(p, *slots[i]);
  return root;
}
