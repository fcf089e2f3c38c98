// Access methods for private members used from another class of the same outermost class: the
// synthetic static methods (access$N) that read, write or call the member, made on request from
// attribution and numbered per owner class; and, for a private constructor, a synthetic
// constructor of the owner that takes one more parameter, of a class the compiler makes.
#pragma once

#include <cstdint>

struct ClassDef;
struct Member;

// The kinds of access method.
constexpr int32_t ACCESSOR_CALL = 0;
constexpr int32_t ACCESSOR_SETTER = 1;
constexpr int32_t ACCESSOR_GETTER = 2;

// Gives the member its access methods once: a field a getter (its Member::accessMethod) and,
// when not final, a setter linked behind it; a method a call method; a constructor an access
// constructor. A member that has them already is left alone.
void addAccessor(Member* member);
// One access method access$<number>: static and synthetic, owned by the member's class.
Member* makeAccessorMethod(Member* member, int32_t number, int32_t kind);
// The same, owned by `host`, whose type its object parameter takes.
Member* makeHostedAccessor(ClassDef* host, Member* member, int32_t number, int32_t kind);
// The synthetic constructor through which other classes of the nest reach a private constructor:
// the same parameters, then one of the nest's tag class, to which callers pass null. A plain
// invokespecial of a private constructor from another class fails on the virtual machine.
Member* makeAccessConstructor(Member* constructor);
// A constructor that took another synthetic parameter gets its access constructor made again.
void refreshAccessConstructor(Member* constructor);
// The tag class of the outermost class around `cls` (Outer$0), made on first need: an empty final
// class that only types the extra parameter of access constructors; it is entered in the package
// and written like a class from source.
ClassDef* accessTagClass(ClassDef* cls);

// A protected member of a class of another package, used from a class whose access to it comes
// from a class around it (one that inherits it and that the object reached through, `through`,
// is an instance of; null for any): the virtual machine lets only such a subclass (and the
// package) reach it, so that class is the host of an access method. Null when the member is
// reached directly.
ClassDef* protectedAccessHost(ClassDef* from, const Member* member, ClassDef* through);
// The access method `host` holds for a member of another class, made (numbered on with the host's
// own) on the first request: a field's getter with its setter behind it, a method's call method;
// with superCall, a call method that calls the member non-virtually, for Outer.super.m() in a
// class inside Outer.
Member* hostedAccessor(ClassDef* host, Member* target, bool superCall);
// The one made before, or null.
Member* findHostedAccessor(const ClassDef* host, const Member* target, bool superCall);
// Each access method the host holds for another class's member, in the order made.
void forEachHostedAccessor(const ClassDef* host, void (*visit)(Member* accessor, Member* target));
