// The evaluator's view of the host virtual machine: the frames of the thread being debugged, a
// frame's method with its local-variable table and local slots, objects with their classes and
// the fields those classes declare, arrays and strings. The evaluator reads through this view
// only, so it runs the same over the real machine (jvmti_view) and the model the tests fill in
// (model_view).
#pragma once

#include <cstdint>

// An object reference or a class of the machine; 0 is null. Handles stay valid until
// releaseObjects.
using VmObject = uintptr_t;
using VmClass = uintptr_t;

// One entry of a method's local-variable table. Names and signatures are modified UTF-8, null
// where the machine does not have them.
struct VmLocalEntry {
  int32_t start;   // first pc of the variable's range
  int32_t length;  // the range covers start <= pc < start + length
  const char* name;
  const char* signature;
  int32_t slot;
};

struct VmField {
  const char* name;  // null where the machine does not have it
  const char* signature;
  bool isStatic;
};

// A value read at a type kind (TypeKind): integral kinds in `integer` as Java reads them
// (boolean and byte signed 8-bit, char unsigned, short signed 16-bit), float and double in
// `floating`, references in `object`.
struct VmValue {
  int64_t integer;
  double floating;
  VmObject object;
};

enum VmFieldRead : int32_t {
  VM_FIELD_READ = 0,
  VM_FIELD_NO_DATA = 1,   // the object has no instance data to read from
  VM_FIELD_NO_PLACE = 2,  // the field's value has no place
};

class VmView {
 public:
  virtual ~VmView() = default;

  // Selects the frame at this depth of the thread's stack, 0 the top frame; false when the
  // thread has no frame there.
  virtual bool selectFrame(int32_t depth) = 0;
  // Of the selected frame: whether it runs a method, and the current pc as an offset from the
  // start of the method's code.
  virtual bool frameHasMethod() = 0;
  virtual int64_t framePc() = 0;
  // Entries of the method's local-variable table; -1 when the method has none.
  virtual int32_t localTableLength() = 0;
  virtual VmLocalEntry localEntry(int32_t index) = 0;
  // Local slots of the frame; -1 when it has none. A long or double takes two.
  virtual int32_t localSlotCount() = 0;
  // The slot read as the kind; false when the machine refuses the read.
  virtual bool readLocal(int32_t slot, int32_t kind, VmValue* value) = 0;

  // The object's class; 0 when it has none.
  virtual VmClass classOf(VmObject object) = 0;
  // The fields the class itself declares (not those it inherits); -1 when it has no field list.
  virtual int32_t fieldCount(VmClass cls) = 0;
  virtual VmField field(VmClass cls, int32_t index) = 0;
  // The field's value read as the kind; a static field is read from its class, whatever object.
  virtual VmFieldRead readField(VmObject object, VmClass cls, int32_t index, int32_t kind, VmValue* value) = 0;

  virtual int32_t arrayLength(VmObject array) = 0;
  // The element read as the kind; false when the machine refuses the read.
  virtual bool readElement(VmObject array, int32_t index, int32_t kind, VmValue* value) = 0;

  // A new string of the machine with these UTF-16 units.
  virtual VmObject newString(const uint16_t* units, int32_t length) = 0;
  // Lets go of every reference read since the last release: the handles are dead after it.
  virtual void releaseObjects() = 0;
};
