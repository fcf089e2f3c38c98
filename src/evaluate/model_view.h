// A machine view over plain data that tests and the fuzz target fill in: one frame of a method
// with its local-variable table and slots, objects, their classes and fields, arrays and
// strings. Any single item can be made missing, to reach every internal error of the
// evaluation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "evaluate/vm_view.h"

struct ModelLocal {
  std::string name;
  std::string signature;
  int32_t start = 0;
  int32_t length = 0;
  int32_t slot = 0;
  bool nameMissing = false;
  bool signatureMissing = false;
};

struct ModelField {
  std::string name;
  std::string signature;
  bool isStatic = false;
  VmValue value{};
  bool noPlace = false;
};

struct ModelClass {
  std::vector<ModelField> fields;
  bool noFieldList = false;
};

struct ModelObject {
  int32_t classIndex = -1;  // into ModelView::classes; -1: the object has no class
  bool noData = false;
  std::vector<VmValue> elements;  // an array's
  std::u16string text;            // a string made by newString
};

class ModelView : public VmView {
 public:
  // The frame: at `depth` of the thread; with a method or without; its pc; its table (none
  // when hasLocalTable is false); its slots (none when hasSlots is false), a long or double in
  // the first of its two.
  int32_t depth = 0;
  bool hasMethod = true;
  int64_t pc = 0;
  bool hasLocalTable = true;
  std::vector<ModelLocal> locals;
  bool hasSlots = true;
  std::vector<VmValue> slots;
  std::vector<ModelClass> classes;
  std::vector<ModelObject> objects;
  // The machine refuses every read of a local slot (as of a slot of another type), or of an
  // array element.
  bool refuseLocalReads = false;
  bool refuseElementReads = false;
  // Handles released by releaseObjects so far: a test sees that the references were let go.
  int32_t releases = 0;

  // A new object of the class, or an array of the elements: its handle.
  VmObject addObject(int32_t classIndex);
  VmObject addArray(std::vector<VmValue> elements);
  int32_t addClass(std::vector<ModelField> fields);
  // A local of the table with its slot's value.
  void addLocal(const std::string& name, const std::string& signature, int32_t slot, VmValue value,
                int32_t start = 0, int32_t length = 1000);
  ModelObject* object(VmObject handle);

  bool selectFrame(int32_t frameDepth) override;
  bool frameHasMethod() override;
  int64_t framePc() override;
  int32_t localTableLength() override;
  VmLocalEntry localEntry(int32_t index) override;
  int32_t localSlotCount() override;
  bool readLocal(int32_t slot, int32_t kind, VmValue* value) override;
  VmClass classOf(VmObject handle) override;
  int32_t fieldCount(VmClass cls) override;
  VmField field(VmClass cls, int32_t index) override;
  VmFieldRead readField(VmObject handle, VmClass cls, int32_t index, int32_t kind, VmValue* value) override;
  int32_t arrayLength(VmObject array) override;
  bool readElement(VmObject array, int32_t index, int32_t kind, VmValue* value) override;
  VmObject newString(const uint16_t* units, int32_t length) override;
  void releaseObjects() override;
};

// Values of each kind.
VmValue modelInt(int64_t value);
VmValue modelFloating(double value);
VmValue modelReference(VmObject object);
