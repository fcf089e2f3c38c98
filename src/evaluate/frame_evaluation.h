// Evaluation against the stopped frame: the nodes of a debugger expression that name memory (a
// local variable or `this`, a field, an array's length, an array element) are read through the
// machine view and rewritten in place into constants (O_CONST, O_DCONST, O_NULL, or O_OBJECT for
// a reference), so that the ordinary constant folding computes the whole expression. Nothing is
// written to the machine and no method is called.
#pragma once

#include <cstdint>

#include "evaluate/vm_view.h"

struct ExprNode;
struct Identifier;
struct Type;

// The view the next evaluation reads (null: none), and the frame chosen in it.
void setEvaluationView(VmView* view);
VmView* evaluationView();
// Selects the frame at this depth of the view's thread; false (no current frame) when there is
// none there or no view.
bool setCurrentFrame(int32_t depth);
void clearCurrentFrame();

// Rewrites a node that names memory; returns the same node. What fails gets the error type
// after one diagnostic.
ExprNode* foldMemoryReference(ExprNode* node);
// While set, a read that fails for its value alone (an element out of bounds or of a null array,
// at an index not read, the length of a null array) leaves its node unread, of its static type,
// with nothing reported: a parse that asks only for the expression's type.
void setTypesOnly(bool typesOnly);
void loadLocalVariable(const VmLocalEntry* entry, ExprNode* node);
// 1 when the object's class declares a field of that name and it was loaded; 0 when it declares
// none (nothing reported); -1 after an internal error, the node then of the error type.
int32_t loadField(ExprNode* node, Identifier* name, VmObject object);
// Loads the element of an O_SUBSCRIPT node: 1 when loaded.
int32_t accessMember(ExprNode* node);
// A type from a field signature; null for anything else.
Type* typeFromSignature(const char* text);
// The identifier has the characters of this modified UTF-8 text.
bool nameMatches(const Identifier* name, const char* text);
