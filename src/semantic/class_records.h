// The records the class environment rests on: packages, classes and interfaces (from source or
// from class files), and their members. All live in the main arena and are never freed singly;
// every field is zero until set.
#pragma once

#include <cstdint>

struct AssignSets;
struct ClassDef;
struct ClassGenState;
struct ClassRef;
struct ForeignAccessTable;
struct Identifier;
struct LocalVariableEntry;
struct Utf8Entry;
struct MemberIndex;
struct JumpContext;
struct ParserContext;
struct Member;
struct Scope;
struct SourceFile;
struct ThrownEntry;
struct Type;

struct PathEntryList;

struct Package {
  Package* next;        // sibling in the parent's child list
  Identifier* name;     // last component only; null for the unnamed root
  Package* child;       // new children go to the head
  Package* parent;
  ClassDef* firstClass; // in the order added
  ClassDef* lastClass;
  uint8_t outputDirectoryMade;
  uint8_t outputDirectoryFailed;
  char* nativeName;     // `name` in the host encoding, made at its first use in a path
  int64_t nameLength;   // characters of the dotted name with a separator after each component
  // The entries of the class path and of the source path that hold the package, made at its
  // first lookup (class lookup's own record).
  PathEntryList* classEntries;
  PathEntryList* sourceEntries;
  uint8_t inSources;  // a source file of the compile declares it or one of its sub-packages
};

// ClassFlags: the compiler's own numbering, not the class file's.
enum : uint16_t {
  CF_PUBLIC = 0x0001,
  CF_ABSTRACT = 0x0002,
  CF_FINAL = 0x0004,
  CF_DEPRECATED = 0x0008,
  CF_NESTED = 0x0010,
  CF_ANONYMOUS = 0x0020,
  CF_LOCAL = 0x0040,
  CF_STATIC = 0x0080,
  CF_INNER_MEMBER = 0x0100,
  CF_PRIVATE = 0x0200,
  CF_PROTECTED = 0x0400,
  CF_INTERFACE = 0x0800,
  CF_WIDEFP = 0x1000,
  CF_STRICTFP = 0x2000,
};

// ModifierBits of members.
enum : uint16_t {
  M_PUBLIC = 0x0001,
  M_PRIVATE = 0x0002,
  M_PROTECTED = 0x0004,
  M_WIDEFP = 0x0008,
  M_NATIVE = 0x0010,
  M_STATIC = 0x0020,
  M_FINAL = 0x0040,
  M_SYNCHRONIZED = 0x0080,
  M_ABSTRACT = 0x0100,
  M_TRANSIENT = 0x0200,
  M_VOLATILE = 0x0400,
  M_STRICTFP = 0x0800,
  M_DEPRECATED = 0x1000,
  M_SYNTHETIC = 0x2000,
  M_COPIED_INTERFACE_METHOD = 0x8000,
};

enum MemberKind : int32_t {
  MK_STATIC_INITIALIZER = 1,
  MK_VARIABLE = 2,  // field or local variable
  MK_METHOD = 3,
  MK_CONSTRUCTOR = 4,
  MK_PARAMETER = 5,
  MK_INSTANCE_INITIALIZER = 6,
  MK_CLASS_DECLARATION = 7,  // a member or local class recorded in a scope
};

// ClassDef kinds are token kinds.
constexpr int32_t CLASS_KIND_CLASS = 58;
constexpr int32_t CLASS_KIND_INTERFACE = 77;
constexpr int32_t CLASS_KIND_ERROR = 103;  // placeholder of a class that could not be found or read

// ClassDef state bits.
constexpr uint8_t CLASS_WRITTEN = 0x1;
constexpr uint8_t CLASS_SUPERTYPES_RESOLVED = 0x2;
constexpr uint8_t CLASS_CHECKED = 0x4;
constexpr uint8_t CLASS_UNREADABLE = 0x8;  // kind 103: its class file was found but cannot be used, as reported
constexpr uint8_t CLASS_CONSTANTS_EVALUATED = 0x10;
constexpr uint8_t CLASS_SUPERTYPES_ACYCLIC = 0x20;  // class files: no supertype cycle through class files
constexpr uint8_t CLASS_ON_SUPERTYPE_PATH = 0x40;  // on the path of the class reader's cycle search
// A creation, a superclass constructor call or the class's own generation has used its synthetic
// members (outer instance and captured values) as they stood.
constexpr uint8_t CLASS_CAPTURES_USED = 0x80;
constexpr uint16_t CLASS_GENERATION_RAN = 0x100;  // a top-level class from source: generateClass ran for it
// A syntax error passed over part of its declarations: members may be missing, so its bodies are
// not checked (they would report what the missing part declares).
constexpr uint16_t CLASS_DECLARATIONS_CUT = 0x400;
// The code of a constructor that runs the instance initializers was checked: their faults are
// reported, and the copies in later constructors stay quiet.
constexpr uint16_t CLASS_INITIALIZERS_CHECKED = 0x200;

struct ClassDef {
  ClassDef* next;  // in its package's class list
  uint16_t flags;
  int32_t kind;
  Identifier* name;        // simple name as written (Inner for Outer$Inner)
  Identifier* binaryName;  // the key in the package (Outer$Inner, Outer$1, Outer$1$Local)
  int32_t line;
  int32_t column;
  int32_t endLine;
  ClassRef* superclass;
  ClassRef* interfaces;  // linked through ClassRef::next
  SourceFile* sourceFile;  // null for a class read from a class file
  ClassDef* nextInSource;  // a top-level class: the next of its source file (SourceFile::firstClass)
  Package* package;
  Member* members;  // declaration order
  Scope* scope;
  char* classFilePath;
  char* dottedName;
  Member* defaultConstructor;
  ClassDef* lastDependencyFrom;
  Scope* bodyScope;          // the scope of class-level code (static initializers and field initializers)
  JumpContext* bodyContext;  // the bottom jump context of class-level code
  ClassGenState* savedGenState;
  ClassRef* innerClasses;
  ClassRef* lastInnerClass;  // the tail of innerClasses, which addInnerClass alone appends to
  int32_t localClassCount;
  int32_t anonymousClassCount;
  int32_t accessMethodCount;
  ForeignAccessTable* foreignAccessors;  // access methods it holds for members of other classes
  ThrownEntry* initializerThrown;  // anonymous classes: what its initializers throw, for each creation
  ClassDef* accessTag;  // outermost classes: the class that types the extra parameter of access constructors
  ClassDef* outer;
  int32_t depth;
  int32_t classNumber;
  Member* outerThisField;
  uint16_t state;
  AssignSets* blankFinalResult;  // definite assignment at the exits of the constructor or initializer generated
  uint32_t walkMark;  // the last supertype walk that visited the class
  uint32_t lookupMark;   // the last name lookup that visited the class
  Member* lookupResult;  // what that lookup found in the class and its supertypes
  MemberIndex* memberIndex;  // the members by name (semantic/member_index.h), made at the first lookup
  int32_t generatedRound;    // local classes: global.generationRound when last generated
  const Utf8Entry* keptInternalName;  // code generation: the internal name, once it can no longer change
};

// The class, or null for none and for the placeholder of a class that could not be found or read.
inline ClassDef* usable(ClassDef* cls) {
  return cls != nullptr && cls->kind != CLASS_KIND_ERROR ? cls : nullptr;
}

inline bool isInterface(const ClassDef* cls) {
  return cls->kind == CLASS_KIND_INTERFACE;
}

// The top-level class that a class is nested in, or the class itself.
inline ClassDef* outermostClass(ClassDef* cls) {
  while (cls->outer != nullptr) cls = cls->outer;
  return cls;
}
inline const ClassDef* outermostClass(const ClassDef* cls) {
  while (cls->outer != nullptr) cls = cls->outer;
  return cls;
}

// An inner class: a class declared in another without static. It may declare no static members
// but constant fields.
inline bool isInnerClass(const ClassDef* cls) {
  return cls->kind == CLASS_KIND_CLASS && (cls->flags & CF_NESTED) != 0 && (cls->flags & CF_STATIC) == 0;
}

// Member flag words.
constexpr uint32_t VAR_HAS_INITIALIZER = 0x1;
constexpr uint32_t VAR_REFERENCED = 0x2;
constexpr uint32_t VAR_CATCH_PARAMETER = 0x4;
constexpr uint32_t VAR_ASSIGNED_BY_THIS_CALL = 0x8;

constexpr uint32_t METHOD_EXPLICIT_CONSTRUCTOR_CALL = 0x1;
constexpr uint32_t METHOD_DEFAULT_CONSTRUCTOR = 0x2;
constexpr uint32_t METHOD_STORES_OUTER_STATE = 0x4;
constexpr uint32_t METHOD_SUPER_ACCESS = 0x8;  // an access method that calls its member through super
// Neither a body nor ";" followed the header, which was reported there: no second report that a
// body is missing.
constexpr uint32_t METHOD_BODY_REPORTED = 0x10;
// Skipping the body when the class was declared reported an error in its text (a character or
// literal the scanner refused, no closing brace): the body is not parsed again, which would
// report it twice and what follows from it.
constexpr uint32_t METHOD_SKIP_REPORTED = 0x20;

constexpr uint32_t FIELD_CAPTURE_STORED = 0x1;  // the store of a captured value was added to a constructor
// The initializer gave diagnostics when it was skipped or first parsed (fields and initializer
// blocks): it is not scanned again for a constant, and a later parse of it (in the class
// initializer, in each constructor) is quiet.
constexpr uint32_t FIELD_INITIALIZER_REPORTED = 0x2;
// A captured value's copy first used as an assignment's target, which was reported: the class
// reads no value of the local there.
constexpr uint32_t FIELD_CAPTURE_ASSIGNED = 0x4;

// Constant state of a field (Member::constantState).
constexpr uint8_t FIELD_CONSTANT_PENDING = 0;    // an initializer is still to be parsed
constexpr uint8_t FIELD_CONSTANT_KEPT = 1;       // parsed, constant value kept
constexpr uint8_t FIELD_CONSTANT_NONE = 2;       // nothing pending
constexpr uint8_t FIELD_CONSTANT_PARSING = 3;    // its initializer is being parsed now

// One thrown class of a method's throws list; the position is the method name's.
struct ThrowsEntry {
  ThrowsEntry* next;
  ClassRef* classRef;
  int32_t line;
  int32_t column;
};

// One formal parameter of a method or constructor; synthetic ones lead the list.
struct Parameter {
  Parameter* next;
  Identifier* name;
  int32_t line;
  int32_t column;
  Type* type;
  uint16_t modifiers;
  Member* variable;  // made when the body is prepared
  Parameter* origin;  // for a captured value passed on from a superclass constructor
  Member* capturedField;  // the synthetic field a synthetic parameter fills
};

// A string constant: its length in UTF-16 units, then the units.
struct StringValue {
  int32_t length;
  // `length` UTF-16 units follow.
};

inline const uint16_t* stringValueChars(const StringValue* s) {
  return reinterpret_cast<const uint16_t*>(s + 1);
}

struct Member {
  Member* next;  // in the class's member list, a scope's list or a parameter list
  int32_t kind;
  Identifier* name;
  int32_t line;
  int32_t column;
  ClassDef* owner;
  Type* type;
  Member* accessMethod;
  uint16_t modifiers;
  int32_t bodyOffset;  // the body's opening brace, or a field initializer's first token; 0: none
  int32_t bodyLine;
  int32_t bodyColumn;
  ThrowsEntry* throwsList;  // methods
  int32_t slot;             // variables: local slot, -1 when none yet
  Parameter* parameters;    // methods
  uint32_t variableFlags;   // variables: VAR_ bits
  uint8_t constantState;
  void* constantValue;  // int32_t, int64_t, double or StringValue, by the variable's type
  uint32_t methodFlags;  // METHOD_ bits
  Member* original;  // a copied field's source; the variable a captured-value field stands for
  // Captured-value fields: where the variable was declared, which finds it again in a body parsed
  // once more (its first parse's variable is gone with that parse's arena).
  int32_t originalLine;
  int32_t originalColumn;
  int32_t parameterSlots;  // methods: local slots the parameters take
  Scope* parameterScope;   // methods
  uint32_t fieldFlags;     // fields: FIELD_ bits
  ClassDef* declaredClass;  // MK_CLASS_DECLARATION: the class
  // Code generation.
  LocalVariableEntry* localEntry;  // variables: the open LocalVariableTable entry
  ParserContext* keptContext;      // methods of a local class: the context right after the body's parse
  int32_t blankFinalNumber;        // blank final fields: the index among those of the current method
  Member* calledConstructor;  // constructors: the constructor of the class its this(...) calls
  const Utf8Entry* keptDescriptor;  // methods: the descriptor, kept once it can no longer change
};
