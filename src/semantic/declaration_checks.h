// Declaration checks: class headers, member declarations, overriding and hiding, the abstract
// methods a class must implement, duplicate locals; and the lookups of inner classes by name, the
// supertype circularity walk and the deprecation warnings that lookup and the parser ask for.
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct Member;

// Once per class from source, after its supertypes and member types are resolved. An abstract
// class gets the interface methods it leaves unimplemented as public abstract members.
void checkClassDef(ClassDef* cls);
// A cycle through superclasses, interfaces and (for a class) outer classes stops the compile.
void checkCircularSuper(ClassDef* superClass, ClassDef* cls);
ClassDef* resolveClassByName(Identifier* name, ClassDef* contextClass, int32_t line, int32_t column);
ClassDef* findInnerClass(ClassDef* cls, Identifier* name, ClassDef** foundIn);
ClassDef* findLocalClass(ClassDef* cls, Identifier* name, ClassDef** foundIn);
ClassDef* findMemberClass(ClassDef* cls, Identifier* name, ClassDef** foundIn);
ClassDef* findInnerClassUnique(ClassDef* cls, Identifier* name, int32_t line, int32_t column);
// Whether a use from `user` (null: the current file) of what `declaring` declares comes from
// outside its outermost class.
bool usedFromAnotherClass(const ClassDef* user, const ClassDef* declaring);
// The warning for a mention of a deprecated class from a body of another class.
void noteDeprecatedClassUse(ClassDef* cls, int32_t line, int32_t column);
void warnDeprecated(ClassDef* cls, Member* member, ClassDef* overriderOwner, ClassDef* ownerClass, int32_t line,
                    int32_t column);
// A local variable about to be declared in the current scope.
void checkDuplicateLocal(Member* variable);
// Called when a scope is opened or closed: the names the duplicate check keeps for the open scopes
// are gathered again.
void forgetLocalNames();
