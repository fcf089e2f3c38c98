// The model machine: plain vectors answer what the real machine's records would.
#include "evaluate/model_view.h"

#include "semantic/type_records.h"

VmValue modelInt(int64_t value) {
  VmValue v{};
  v.integer = value;
  return v;
}

VmValue modelFloating(double value) {
  VmValue v{};
  v.floating = value;
  return v;
}

VmValue modelReference(VmObject object) {
  VmValue v{};
  v.object = object;
  return v;
}

VmObject ModelView::addObject(int32_t classIndex) {
  ModelObject o;
  o.classIndex = classIndex;
  objects.push_back(o);
  return objects.size();
}

VmObject ModelView::addArray(std::vector<VmValue> elements) {
  ModelObject o;
  o.classIndex = addClass({});
  o.elements = std::move(elements);
  objects.push_back(o);
  return objects.size();
}

int32_t ModelView::addClass(std::vector<ModelField> fields) {
  ModelClass c;
  c.fields = std::move(fields);
  classes.push_back(c);
  return static_cast<int32_t>(classes.size()) - 1;
}

void ModelView::addLocal(const std::string& name, const std::string& signature, int32_t slot, VmValue value,
                         int32_t start, int32_t length) {
  ModelLocal local;
  local.name = name;
  local.signature = signature;
  local.slot = slot;
  local.start = start;
  local.length = length;
  locals.push_back(local);
  int32_t width = signature == "J" || signature == "D" ? 2 : 1;
  if (slots.size() < static_cast<size_t>(slot + width)) slots.resize(slot + width);
  slots[slot] = value;
}

ModelObject* ModelView::object(VmObject handle) {
  return handle >= 1 && handle <= objects.size() ? &objects[handle - 1] : nullptr;
}

bool ModelView::selectFrame(int32_t frameDepth) {
  return frameDepth == depth;
}

bool ModelView::frameHasMethod() {
  return hasMethod;
}

int64_t ModelView::framePc() {
  return pc;
}

int32_t ModelView::localTableLength() {
  return hasLocalTable ? static_cast<int32_t>(locals.size()) : -1;
}

VmLocalEntry ModelView::localEntry(int32_t index) {
  const ModelLocal& local = locals.at(index);
  VmLocalEntry entry{};
  entry.start = local.start;
  entry.length = local.length;
  entry.name = local.nameMissing ? nullptr : local.name.c_str();
  entry.signature = local.signatureMissing ? nullptr : local.signature.c_str();
  entry.slot = local.slot;
  return entry;
}

int32_t ModelView::localSlotCount() {
  return hasSlots ? static_cast<int32_t>(slots.size()) : -1;
}

bool ModelView::readLocal(int32_t slot, int32_t, VmValue* value) {
  if (refuseLocalReads || slot < 0 || static_cast<size_t>(slot) >= slots.size()) return false;
  *value = slots[slot];
  return true;
}

VmClass ModelView::classOf(VmObject handle) {
  ModelObject* o = object(handle);
  return o != nullptr && o->classIndex >= 0 ? static_cast<VmClass>(o->classIndex) + 1 : 0;
}

int32_t ModelView::fieldCount(VmClass cls) {
  const ModelClass& c = classes.at(cls - 1);
  return c.noFieldList ? -1 : static_cast<int32_t>(c.fields.size());
}

VmField ModelView::field(VmClass cls, int32_t index) {
  const ModelField& f = classes.at(cls - 1).fields.at(index);
  return VmField{f.name.c_str(), f.signature.c_str(), f.isStatic};
}

VmFieldRead ModelView::readField(VmObject handle, VmClass cls, int32_t index, int32_t, VmValue* value) {
  const ModelField& f = classes.at(cls - 1).fields.at(index);
  if (!f.isStatic && object(handle)->noData) return VM_FIELD_NO_DATA;
  if (f.noPlace) return VM_FIELD_NO_PLACE;
  *value = f.value;
  return VM_FIELD_READ;
}

int32_t ModelView::arrayLength(VmObject array) {
  ModelObject* o = object(array);
  return o != nullptr ? static_cast<int32_t>(o->elements.size()) : 0;
}

// Elements are kept as the machine would hand them: the reads narrow them to the element's
// packed width.
bool ModelView::readElement(VmObject array, int32_t index, int32_t kind, VmValue* value) {
  ModelObject* o = object(array);
  if (refuseElementReads || o == nullptr || index < 0 || static_cast<size_t>(index) >= o->elements.size()) return false;
  *value = o->elements[index];
  switch (kind) {
    case TK_BOOLEAN:
    case TK_BYTE: value->integer = static_cast<int8_t>(value->integer); break;
    case TK_CHAR: value->integer = static_cast<uint16_t>(value->integer); break;
    case TK_SHORT: value->integer = static_cast<int16_t>(value->integer); break;
    case TK_INT: value->integer = static_cast<int32_t>(value->integer); break;
    case TK_FLOAT: value->floating = static_cast<float>(value->floating); break;
    default: break;
  }
  return true;
}

VmObject ModelView::newString(const uint16_t* units, int32_t length) {
  ModelObject o;
  o.text.assign(reinterpret_cast<const char16_t*>(units), length);
  objects.push_back(o);
  return objects.size();
}

void ModelView::releaseObjects() {
  releases++;
}
