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
// A cycle through superclasses, interfaces and outer classes stops the compile.
void checkCircularSuper(ClassDef* superClass, ClassDef* cls);
ClassDef* resolveClassByName(Identifier* name, ClassDef* contextClass, int32_t line, int32_t column);
// A local class of the name in scope, else findMemberClass as the current class sees it.
ClassDef* findInnerClass(ClassDef* cls, Identifier* name, ClassDef** foundIn);
ClassDef* findLocalClass(ClassDef* cls, Identifier* name, ClassDef** foundIn);
// The member class of the name that the class itself declares (not one it inherits).
ClassDef* findDeclaredMemberClass(ClassDef* cls, Identifier* name);
// The member class of the name that `cls` declares or inherits, as class `from` (null: code outside
// any class) sees it: a private member class of a supertype, or one that `from` may not use, is not
// inherited (but hides those of its supertypes); one of those is the answer only when there is no
// other, so that the caller's access check reports it.
ClassDef* findMemberClass(ClassDef* cls, Identifier* name, const ClassDef* from, ClassDef** foundIn);
// The class a simple name means in `cls` for code of class `from`: findInnerClass, or an
// enclosing class of the name or its own member class, with the ambiguities reported at the
// position (nothing is reported for a line of 0).
ClassDef* findInnerClassUnique(ClassDef* cls, Identifier* name, int32_t line, int32_t column, const ClassDef* from);
// Whether a use from `user` (null: the current file) of what `declaring` declares comes from
// outside its outermost class.
bool usedFromAnotherClass(const ClassDef* user, const ClassDef* declaring);
// The warning for a mention of a deprecated class from a body of another class.
void noteDeprecatedClassUse(ClassDef* cls, int32_t line, int32_t column);
void warnDeprecated(ClassDef* cls, Member* member, ClassDef* overriderOwner, ClassDef* ownerClass, int32_t line,
                    int32_t column);
// A local variable about to be declared in the current scope.
void checkDuplicateLocal(Member* variable);
