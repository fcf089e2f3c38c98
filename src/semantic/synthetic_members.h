// The synthetic state of nested classes: the outer-instance field, copies of captured locals,
// the hidden constructor parameters that fill them, their assignment in constructors, and their
// insertion into the member list.
#pragma once

#include <cstdint>

struct ClassDef;
struct Identifier;
struct Member;
struct Parameter;
struct Type;

// The field of `cls` that stands for the outer local `variable` (null: the outer instance), made
// on first use with a parameter in every constructor that fills it; a non-final local is
// "local.class.must.use.finals". A field of an enclosing instance needs the outer instance: that is
// captured and the field itself returned.
Member* captureOuterLocal(Member* variable, ClassDef* cls, int32_t line, int32_t column, Parameter* origin);
// Where a synthetic parameter goes: at the head of the list (an outer instance), after the
// leading synthetic ones, or after every other (a captured value of an anonymous class, passed
// after the creation's arguments are evaluated, which may assign it).
enum SyntheticPlace : int32_t { SYNTHETIC_FIRST, SYNTHETIC_AFTER_LEADING, SYNTHETIC_LAST };
// A synthetic parameter of the constructor (an existing one of that name and type is reused). When
// the constructor's body is being parsed, its parameters are given their slots again and every local
// it has declared so far moves up by the new parameter's width, so no two share a slot.
Parameter* addSyntheticParameter(Member* constructor, Identifier* name, uint16_t modifiers, Type* type, int32_t line,
                                 int32_t column, SyntheticPlace place);
void insertParameter(Member* constructor, Parameter* parameter, SyntheticPlace place);
// An enclosing instance of `needed` (or of a subclass of it) around `cls`, reached through outer
// instances from the class itself: what an implicit superclass constructor call of `cls` passes
// when its superclass is an inner member of `needed`. Never the object under construction.
bool outerInstanceAround(ClassDef* cls, ClassDef* needed);
// The class takes an enclosing instance in its constructors: an inner class of a non-static
// context (a class file's: a non-static member class). What o.new C() and o.super() qualify.
bool takesEnclosingInstance(const ClassDef* cls);
// The class's synthetic members are used as they stand (by a creation, a superclass constructor
// call, its class file): a captured value it takes afterwards is counted in global.lateCaptures.
void noteCapturesUsed(ClassDef* cls);
// A class extending a nested class passes the superclass constructor's synthetic parameters on
// (each once: a parameter passed on already is kept).
void copySuperSyntheticParameters(ClassDef* cls);
// The anonymous class of o.new S() {...}: the parameter that takes S's outer instance (o) is its
// own, apart from the class's own outer instance, even where both are of one class.
void separateSuperOuterParameter(ClassDef* cls);
// The constructor's synthetic parameter that takes an outer instance given explicitly (o.new C(),
// o.super()): for an anonymous class the one its superclass's outer instance is passed on from,
// else the one that fills the class's outer-instance field.
Parameter* explicitOuterParameter(Member* constructor);
// Adds the members to the class (synthetic ones in front), reporting any whose name a member
// already has ("using.dollar.name").
void checkDollarName(ClassDef* cls, Member* newMembers);
// Inside a constructor of the current class: the captured fields its parameters fill and that it
// has not assigned yet are assigned now, right after its superclass constructor call, so that
// every later statement and instance initializer reads them.
void ensureCapturedAssigned(Member* field);
// A copy of the type in the main arena, for a record that outlives the body the type was made in.
Type* lastingType(Type* type);
// The constructor of the current class whose body is being parsed, or null.
Member* constructorBeingParsed();
// In the constructor being parsed, the parameter that fills the synthetic field, or null.
Parameter* parameterFilling(Member* constructor, const Member* field);
