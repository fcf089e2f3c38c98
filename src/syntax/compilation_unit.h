// The parser of compilation units and class declarations: package, imports, classes and their
// member headers. Bodies, initializer blocks and field initializers are skipped with their
// positions kept, to be parsed one at a time later; the helpers that skip them are here too.
#pragma once

#include <cstdint>

struct ClassDef;
struct ClassRef;
struct ExprNode;
struct Identifier;
struct Member;
struct Package;
struct SourceFile;

// Parses the file's declarations once (SOURCE_PARSED), with the file as global.current meanwhile.
void parseCompilationUnit(SourceFile* file);
// The class whose declaration starts at the current token (the steps are at its definition); null
// after a syntax error in its header. An anonymous class comes with its name, supertypes and
// instance-creation arguments given.
ClassDef* parseClassDeclaration(SourceFile* file, Package* package, uint16_t classFlags, Identifier* name,
                                ClassDef* outer, ClassRef* superclass, ExprNode* anonymousArguments,
                                ClassRef* interfaces, bool needsOuterInstance);
// Member modifiers (ModifierBits) and class modifiers (ClassFlags) from the current token on,
// ORed into the bits given; a repeated modifier is reported.
uint16_t parseModifiers(uint16_t initialBits);
uint16_t parseClassModifiers(uint16_t initialFlags);
// Reports the key (null: nothing) at the current token and skips past the next ";", or to a "}",
// which is left for the level above; a "{" on the way is skipped with its whole block.
void syntaxErrorSkip(const char* key);
// Reports the key for a part missing before the current token: where the token starts a later
// line, the part was left off the end of the line before and is reported there (not at all when
// that line ended in a literal cut short, which was reported). Nothing is skipped.
void reportMissingBefore(const char* key);
// Notes that text was passed over unparsed (noteSkippedText): the class declarations being read
// miss members, and the body being parsed is no whole body, which flow analysis passes over.
void noteSkippedText();
// True when the current token is ";". A ";" missing at a line's end (the current token starts a
// later line) is reported with the key at the end of the token before it, and taken as written:
// true, and the current token is pushed back for the level above to read again. Otherwise the key
// is a syntax error at the current token, which is skipped (syntaxErrorSkip), and false.
bool expectSemicolon(const char* key);
// Skips an initializer from the current token, bracketed groups whole, to the first ",", ";" or
// closing bracket of its own level, or to `stopToken`; names are not entered meanwhile.
void skipInitializer(int32_t stopToken);
// As skipInitializer(T_COMMA), and a line that begins with what no expression goes on with after
// the last token of the line before (a declaration after `int a = 1`) ends the initializer there:
// the ";" is missing at the end of that line.
void skipVariableInitializer();
// Skips to the token that closes the bracket just opened; a "}" of an outer group is left there.
void skipBalanced(int32_t closer);
// The constructor a class without one gets: public when the class is; an anonymous class's takes
// one parameter per argument of its instance creation.
Member* makeDefaultConstructor(ClassDef* cls, ExprNode* anonymousArguments);
