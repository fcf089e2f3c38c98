// Text forms of types, classes, members, expressions, source files and tokens. They appear
// verbatim in messages, so their shapes are fixed: no blanks between parameter types, "[]" per
// dimension, "unnamed" for the unnamed package, "<null>" for a missing record.
#include "semantic/element_names.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/frame_stack.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/message_file.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/scanner.h"

namespace {

const char* finishString() {
  return nameBufferToNative(&global.tempArena);
}

// The text that `append` builds in the name buffer for the record, or "<null>" for none.
template <class Record>
const char* textOf(const Record* record, void (*append)(const Record*)) {
  if (record == nullptr) return "<null>";
  resetNameBuffer();
  append(record);
  return finishString();
}

void appendDecimal(int64_t n) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(n));
  appendNameCString(text);
}

void appendIndent(int32_t indent) {
  for (int32_t i = 0; i < indent; i++) appendNameChar(' ');
}

// The null literal has a type of its own, which no name denotes: it is written null. A null read
// from the frame by the debugger keeps the type it was declared with.
void appendExpressionType(const ExprNode* node) {
  if (isNullLiteral(node))
    appendNameCString("null");
  else
    appendType(node->type);
}

// The list leans left, O_ARG(O_ARG(a, b), c): its links are taken down to the first argument,
// then each later argument follows, so a list of any length costs no recursion.
void appendArgumentTypes(const ExprNode* node) {
  if (node == nullptr) return;
  FrameStack<const ExprNode*, 16> links;
  for (; node->op == O_ARG; node = node->left) {
    links.push(node);
    if (node->left == nullptr) break;
  }
  if (node->op != O_ARG) appendExpressionType(node);
  while (!links.empty()) {
    const ExprNode* link = links.top();
    links.pop();
    appendNameChar(',');
    if (link->right != nullptr) appendExpressionType(link->right);
  }
}

void appendQualifiedBinaryName(const ClassDef* cls) {
  appendQualifiedName(cls->package, cls->binaryName != nullptr ? cls->binaryName : cls->name);
}

// An anonymous class of a source as its users say it, in the words of the message file's
// "anonymous.class.name": the class it extends or the interface it implements (%1), the
// innermost class around it that has a name (%2) and its line (%3). False where there are no such
// words: no message file, or texts kept in an encoding the name buffer's text would not return to;
// the binary name stands then.
bool appendAnonymousClass(const ClassDef* cls) {
  if ((cls->flags & CF_ANONYMOUS) == 0 || cls->sourceFile == nullptr || cls->line <= 0) return false;
  if (messageTextEncoding() != nullptr) return false;
  const MessageEntry* entry = lookupMessage("anonymous.class.name");
  if (entry == nullptr || entry->text == nullptr || entry->text[0] == '\0') return false;
  const ClassDef* around = cls->outer;
  while (around != nullptr && (around->flags & CF_ANONYMOUS) != 0 && around->outer != nullptr) around = around->outer;
  const ClassRef* extended = cls->interfaces != nullptr ? cls->interfaces : cls->superclass;
  const char* literal = entry->text;
  const char* p = entry->text;
  while (*p != '\0') {
    if (!isChar(p, '%') || p[1] == '\0') {
      p++;
      continue;
    }
    appendNameNative(literal, static_cast<int32_t>(p - literal));
    switch (p[1]) {
      case '1':
        if (extended != nullptr) appendIdentifier(extended->resolved != nullptr ? extended->resolved->name : extended->name);
        break;
      case '2':
        if (around != nullptr) appendClassName(around);
        break;
      case '3':
        appendDecimal(cls->line);
        break;
      default:
        // "%" before any other character stands for that character, as in messages.
        appendNameNative(p + 1, 1);
        break;
    }
    p += 2;
    literal = p;
  }
  appendNameNative(literal, static_cast<int32_t>(p - literal));
  return true;
}

}  // namespace

void appendIdentifier(const Identifier* id) {
  if (id != nullptr) appendNameUtf16(identifierChars(id), id->length);
}

const char* identToString(const Identifier* id) {
  return textOf(id, appendIdentifier);
}

void appendType(const Type* type) {
  if (type == nullptr) {
    appendNameCString("<nullType>");
    return;
  }
  static const char* const primitives[] = {nullptr, nullptr, "void", "boolean", "char", "byte",
                                           "short", "int",   "long", "float",   "double"};
  switch (type->kind) {
    case TK_ERROR:
      appendNameCString("<error>");
      return;
    case TK_CLASS: {
      const ClassRef* ref = type->classRef;
      if (ref != nullptr && ref->resolved != nullptr && appendAnonymousClass(ref->resolved)) return;
      const Identifier* name = ref == nullptr ? nullptr : ref->resolved != nullptr ? ref->resolved->name : ref->name;
      if (ref != nullptr && ref->resolved == nullptr) appendNameChar('~');
      if (name == nullptr)
        appendNameCString("<noname>");
      else
        appendIdentifier(name);
      return;
    }
    case TK_ARRAY:
      appendType(type->element);
      appendNameCString("[]");
      return;
    default:
      if (type->kind >= TK_VOID && type->kind <= TK_DOUBLE)
        appendNameCString(primitives[type->kind]);
      else
        appendNameCString("<unknown>");
  }
}

const char* typeToString(const Type* type) {
  return textOf(type, appendType);
}

const char* expressionTypeToString(const ExprNode* node) {
  return textOf(node, appendExpressionType);
}

void appendPackageName(const Package* package) {
  std::vector<const Package*> outward;
  for (const Package* p = package; !isUnnamedPackage(p); p = p->parent) outward.push_back(p);
  for (auto component = outward.rbegin(); component != outward.rend(); ++component) {
    if (component != outward.rbegin()) appendNameChar('.');
    appendIdentifier((*component)->name);
  }
}

void appendQualifiedName(const Package* package, const Identifier* name) {
  if (!isUnnamedPackage(package)) {
    appendPackageName(package);
    appendNameChar('.');
  }
  appendIdentifier(name);
}

void appendClassName(const ClassDef* cls) {
  if (cls == nullptr) {
    appendNameCString("<null>");
    return;
  }
  if (appendAnonymousClass(cls)) return;
  appendQualifiedBinaryName(cls);
}

void appendClassRef(const ClassRef* ref) {
  if (ref == nullptr) {
    appendNameCString("<null>");
    return;
  }
  if (ref->resolved != nullptr)
    appendClassName(ref->resolved);
  else
    appendQualifiedName(ref->package, ref->name);
}

const char* classToString(ClassDef* cls) {
  if (cls != nullptr) computeBinaryName(cls);
  return textOf<ClassDef>(cls, appendClassName);
}

const char* binaryClassToString(ClassDef* cls) {
  if (cls != nullptr) computeBinaryName(cls);
  return textOf<ClassDef>(cls, appendQualifiedBinaryName);
}

const char* classRefToString(ClassRef* ref) {
  if (ref != nullptr && ref->resolved != nullptr) computeBinaryName(ref->resolved);
  return textOf<ClassRef>(ref, appendClassRef);
}

const char* packageToString(const Package* package) {
  if (isUnnamedPackage(package)) return "unnamed";
  resetNameBuffer();
  appendPackageName(package);
  return finishString();
}

void appendMember(const Member* m) {
  if (m == nullptr) {
    appendNameCString("<null>");
    return;
  }
  if (m->kind == MK_VARIABLE || m->kind == MK_METHOD || m->kind == MK_CONSTRUCTOR) {
    uint16_t bits = m->modifiers;
    if (bits & M_PUBLIC)
      appendNameCString("public ");
    else if (bits & M_PROTECTED)
      appendNameCString("protected ");
    else if (bits & M_PRIVATE)
      appendNameCString("private ");
    static const struct {
      uint16_t bit;
      const char* word;
    } words[] = {{M_ABSTRACT, "abstract "}, {M_STATIC, "static "},       {M_NATIVE, "native "},
                 {M_FINAL, "final "},       {M_SYNCHRONIZED, "synchronized "}, {M_TRANSIENT, "transient "},
                 {M_VOLATILE, "volatile "}};
    for (const auto& w : words)
      if (bits & w.bit) appendNameCString(w.word);
  }
  if (m->type != nullptr) {
    appendType(m->type);
    appendNameChar(' ');
  }
  if (m->name != nullptr)
    appendIdentifier(m->name);
  else if (m->owner != nullptr && m->owner->name != nullptr)
    appendIdentifier(m->owner->name);
  else
    appendNameCString("<init>");
  if (m->kind != MK_METHOD && m->kind != MK_CONSTRUCTOR) return;
  appendNameChar('(');
  for (const Parameter* p = m->parameters; p != nullptr; p = p->next) {
    appendType(p->type);
    if (p->next != nullptr) appendNameChar(',');
  }
  appendNameChar(')');
  if (m->throwsList != nullptr) {
    appendNameCString(" throws ");
    for (const ThrowsEntry* t = m->throwsList; t != nullptr; t = t->next) {
      appendClassRef(t->classRef);
      if (t->next != nullptr) appendNameChar(',');
    }
  }
}

const char* memberToString(const Member* member) {
  return textOf(member, appendMember);
}

const char* methodToString(const Member* member) {
  return memberToString(member);
}

// The name of a field; a method's or constructor's name and the types of the parameters written
// in the source (not those the compiler adds), as a call would name them.
void appendMemberSignature(const Member* m) {
  if (m->name != nullptr)
    appendIdentifier(m->name);
  else if (m->owner != nullptr)
    appendIdentifier(m->owner->name);
  if (m->kind != MK_METHOD && m->kind != MK_CONSTRUCTOR) return;
  appendNameChar('(');
  bool first = true;
  for (const Parameter* p = m->parameters; p != nullptr; p = p->next) {
    if (p->modifiers & M_SYNTHETIC) continue;
    if (!first) appendNameChar(',');
    appendType(p->type);
    first = false;
  }
  appendNameChar(')');
}

const char* memberSignatureToString(const Member* member) {
  return textOf(member, appendMemberSignature);
}

const char* candidatesToString(Member* const* candidates, int32_t count) {
  resetNameBuffer();
  for (int32_t i = 0; i < count; i++) {
    const Member* m = candidates[i];
    if (i > 0) appendNameCString(", ");
    if (m->kind == MK_METHOD && m->owner != nullptr) {
      appendClassName(m->owner);
      appendNameChar('.');
    }
    appendMemberSignature(m);
  }
  return finishString();
}

const char* methodSignatureToString(const Identifier* name, const ExprNode* arguments) {
  resetNameBuffer();
  if (name != nullptr)
    appendIdentifier(name);
  else
    appendNameCString("<init>");
  appendNameChar('(');
  appendArgumentTypes(arguments);
  appendNameChar(')');
  return finishString();
}

void appendExprTree(const ExprNode* node, int32_t indent) {
  appendIndent(indent);
  if (node == nullptr) {
    appendNameCString("[<null>] ");
    return;
  }
  appendNameCString(exprOpName(node->op));
  appendNameCString(" [");
  appendType(node->type);
  appendNameCString("] ");
  indent += 2;
  switch (node->op) {
    case O_CONST: {
      char text[24];
      uint64_t value = static_cast<uint64_t>(node->integerValue);
      std::snprintf(text, sizeof text, "%08x%08x", static_cast<unsigned>(value >> 32), static_cast<unsigned>(value));
      appendIndent(indent);
      appendNameCString(text);
      appendNameCString(", ");
      break;
    }
    case O_STRING:
      appendIndent(indent);
      appendNameChar('"');
      if (node->string != nullptr) appendNameUtf16(stringValueChars(node->string), node->string->length);
      appendNameCString("\", ");
      break;
    case O_DOT:
      appendExprTree(node->left, indent);
      [[fallthrough]];
    case O_ID:
      appendIndent(indent);
      if (node->member != nullptr)
        appendMember(node->member);
      else
        appendIdentifier(node->name);
      appendNameCString(", ");
      break;
    case O_CALL:
      appendIndent(indent);
      appendMember(node->member);
      appendNameCString("  ");
      appendIdentifier(node->name);
      appendNameCString(", ");
      appendExprTree(node->left, indent);
      appendExprTree(node->list, indent);
      break;
    case O_NEW:
      appendIndent(indent);
      appendMember(node->member);
      appendNameCString(", ");
      appendExprTree(node->list, indent);
      break;
    case O_INIT:
      appendExprTree(node->right, indent);
      break;
    case O_AINIT:
    case O_NOT:
    case O_NEG:
    case O_COMP:
      appendExprTree(node->left, indent);
      break;
    case O_ARG:
    case O_SUB:
    case O_ADD:
    case O_SCONCAT:
      appendExprTree(node->left, indent);
      appendExprTree(node->right, indent);
      break;
    default:
      break;
  }
}

const char* exprToString(const ExprNode* node) {
  return textOf<ExprNode>(node, [](const ExprNode* root) { appendExprTree(root, 0); });
}

const char* statementKindName(int32_t kind) {
  static const char* const names[] = {
      "ST_EXPR",          "ST_RETURN",      "ST_THROW",       "ST_LABEL",    "ST_GOTO",         "ST_IF",
      "ST_IF_TRUE",       "ST_SWITCH",      "ST_MON_ENTER",   "ST_MON_EXIT", "ST_CALL_FINALLY", "ST_ENTER_FINALLY",
      "ST_ENTER_CATCH",   "ST_RETURN_FINISH", "ST_LEAVE_SCOPE", "ST_TRY",    "ST_CATCH",        "ST_FINALLY",
      "ST_BEGIN_SCOPE",   "ST_NULL",        "ST_DECLARATION",
  };
  return kind >= 0 && kind <= 20 ? names[kind] : "BAD_StatementKind";
}

const char* sourceFileToString(const SourceFile* file) {
  return textOf<SourceFile>(file, [](const SourceFile* f) {
    appendNameCString("filename: ");
    appendNameCString(f->name);
    appendNameCString(", \tfileLength: ");
    appendDecimal(f->contentLength);
    appendNameCString("   package: ");
    appendPackageName(f->package);
  });
}

const char* tokenToString(const Token* token) {
  return textOf<Token>(token, [](const Token* t) {
    appendNameCString("id: ");
    if (t->kind != T_EOF) appendNameCString(tokenName(t->kind));
    appendNameCString("  line: ");
    appendDecimal(t->line);
    appendNameCString("  column: ");
    appendDecimal(t->column);
    appendNameCString("  offset: ");
    appendDecimal(t->start);
    appendNameCString("  identifier: ");
    appendIdentifier(t->identifier);
  });
}

void dumpScope(const Scope* scope) {
  std::printf("SCOPE FOR: %s\n", classToString(scope->owner));
  std::printf(" \t maxSlots = %d, allocSlots = %d\n", scope->maxSlots, scope->nextSlot);
  std::printf(" \t Variables: ");
  for (const Member* m = scope->first; m != nullptr; m = m->next) std::printf("%s, ", identToString(m->name));
  std::printf("\n");
}

void dumpScopes() {
  // Outermost first: count the chain, then print from its far end.
  int32_t depth = 0;
  for (const Scope* s = global.ctx.scope; s != nullptr; s = s->outer) depth++;
  for (int32_t level = depth - 1; level >= 0; level--) {
    const Scope* s = global.ctx.scope;
    for (int32_t i = 0; i < level; i++) s = s->outer;
    dumpScope(s);
  }
}

const char* dumpGlobalContext() {
  static char text[4096];
  // The to-string results live in the temporary arena; copy them out one by one.
  char file[1024];
  char token[1024];
  char enclosing[1024];
  std::snprintf(file, sizeof file, "%s", sourceFileToString(global.current));
  std::snprintf(token, sizeof token, "%s", tokenToString(currentToken()));
  std::snprintf(enclosing, sizeof enclosing, "%s", classToString(global.ctx.enclosing));
  std::snprintf(text, sizeof text,
                "global.current = %s\ntoken = %s\nglobal.ctx.enclosing = %s\nglobal.ctx.currentMethod = %s\n",
                file, token, enclosing, methodToString(global.ctx.currentMethod));
  return text;
}
