// The class-file writer for tests. By default a builder makes the public class A, extending
// java/lang/Object, with no members and no attributes: each test adds only what its case is about.
#include "class_builder.h"

#include <cstring>

Bytes& Bytes::u1(uint32_t value) {
  data += static_cast<char>(value & 0xFF);
  return *this;
}

Bytes& Bytes::u2(uint32_t value) {
  return u1(value >> 8).u1(value);
}

Bytes& Bytes::u4(uint32_t value) {
  return u2(value >> 16).u2(value);
}

Bytes& Bytes::raw(const std::string& bytes) {
  data += bytes;
  return *this;
}

Bytes& Bytes::append(const Bytes& other) {
  data += other.data;
  return *this;
}

ClassBuilder::ClassBuilder() {
  thisClass = classRef("A");
  superClass = classRef("java/lang/Object");
}

uint16_t ClassBuilder::add(const Bytes& entry, uint16_t slots) {
  pool_.append(entry);
  uint16_t index = nextIndex_;
  nextIndex_ = static_cast<uint16_t>(nextIndex_ + slots);
  return index;
}

uint16_t ClassBuilder::utf8(const std::string& text) {
  auto known = utf8s_.find(text);
  if (known != utf8s_.end()) return known->second;
  uint16_t index = add(Bytes().u1(1).u2(static_cast<uint32_t>(text.size())).raw(text));
  utf8s_[text] = index;
  return index;
}

uint16_t ClassBuilder::classRef(const std::string& name) {
  uint16_t nameIndex = utf8(name);
  return add(Bytes().u1(7).u2(nameIndex));
}

uint16_t ClassBuilder::string(const std::string& text) {
  uint16_t textIndex = utf8(text);
  return add(Bytes().u1(8).u2(textIndex));
}

uint16_t ClassBuilder::integer(int32_t value) {
  return add(Bytes().u1(3).u4(static_cast<uint32_t>(value)));
}

uint16_t ClassBuilder::floatBits(uint32_t bits) {
  return add(Bytes().u1(4).u4(bits));
}

uint16_t ClassBuilder::longValue(int64_t value) {
  uint64_t bits = static_cast<uint64_t>(value);
  return add(Bytes().u1(5).u4(static_cast<uint32_t>(bits >> 32)).u4(static_cast<uint32_t>(bits)), 2);
}

uint16_t ClassBuilder::doubleValue(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return add(Bytes().u1(6).u4(static_cast<uint32_t>(bits >> 32)).u4(static_cast<uint32_t>(bits)), 2);
}

uint16_t ClassBuilder::nameAndType(const std::string& name, const std::string& descriptor) {
  uint16_t nameIndex = utf8(name);
  uint16_t descriptorIndex = utf8(descriptor);
  return add(Bytes().u1(12).u2(nameIndex).u2(descriptorIndex));
}

static uint16_t memberRef(ClassBuilder& builder, uint32_t tag, const std::string& owner,
                          const std::string& name, const std::string& descriptor) {
  uint16_t ownerIndex = builder.classRef(owner);
  uint16_t nameAndTypeIndex = builder.nameAndType(name, descriptor);
  return builder.rawConstant(Bytes().u1(tag).u2(ownerIndex).u2(nameAndTypeIndex));
}

uint16_t ClassBuilder::fieldRef(const std::string& owner, const std::string& name,
                                const std::string& descriptor) {
  return memberRef(*this, 9, owner, name, descriptor);
}

uint16_t ClassBuilder::methodRef(const std::string& owner, const std::string& name,
                                 const std::string& descriptor) {
  return memberRef(*this, 10, owner, name, descriptor);
}

uint16_t ClassBuilder::interfaceMethodRef(const std::string& owner, const std::string& name,
                                          const std::string& descriptor) {
  return memberRef(*this, 11, owner, name, descriptor);
}

uint16_t ClassBuilder::rawConstant(const Bytes& entry) {
  return add(entry);
}

Bytes ClassBuilder::attribute(const std::string& name, const Bytes& payload, std::optional<uint32_t> length) {
  Bytes bytes;
  bytes.u2(utf8(name)).u4(length ? *length : static_cast<uint32_t>(payload.size())).append(payload);
  return bytes;
}

Bytes ClassBuilder::code(uint16_t maxStack, uint16_t maxLocals, const Bytes& bytecode,
                         const std::vector<ExceptionEntry>& exceptions, const std::vector<Bytes>& attributes) {
  Bytes payload;
  payload.u2(maxStack).u2(maxLocals).u4(static_cast<uint32_t>(bytecode.size())).append(bytecode);
  payload.u2(static_cast<uint32_t>(exceptions.size()));
  for (const ExceptionEntry& entry : exceptions) {
    payload.u2(entry.start).u2(entry.end).u2(entry.handler).u2(entry.catchType);
  }
  payload.u2(static_cast<uint32_t>(attributes.size()));
  for (const Bytes& attribute : attributes) payload.append(attribute);
  return attribute("Code", payload);
}

Bytes ClassBuilder::lineNumbers(const std::vector<std::pair<uint16_t, uint16_t>>& pcLines) {
  Bytes payload;
  payload.u2(static_cast<uint32_t>(pcLines.size()));
  for (const auto& [pc, line] : pcLines) payload.u2(pc).u2(line);
  return attribute("LineNumberTable", payload);
}

Bytes ClassBuilder::localVariables(const std::vector<LocalVariable>& locals) {
  Bytes payload;
  payload.u2(static_cast<uint32_t>(locals.size()));
  for (const LocalVariable& local : locals) {
    payload.u2(local.start).u2(local.length).u2(local.name).u2(local.descriptor).u2(local.slot);
  }
  return attribute("LocalVariableTable", payload);
}

static void addMember(ClassBuilder& builder, Bytes& members, uint16_t flags, const std::string& name,
                      const std::string& descriptor, const std::vector<Bytes>& attributes) {
  members.u2(flags).u2(builder.utf8(name)).u2(builder.utf8(descriptor));
  members.u2(static_cast<uint32_t>(attributes.size()));
  for (const Bytes& attribute : attributes) members.append(attribute);
}

void ClassBuilder::field(uint16_t flags, const std::string& name, const std::string& descriptor,
                         const std::vector<Bytes>& attributes) {
  addMember(*this, fields_, flags, name, descriptor, attributes);
  fieldCount_++;
}

void ClassBuilder::method(uint16_t flags, const std::string& name, const std::string& descriptor,
                          const std::vector<Bytes>& attributes) {
  addMember(*this, methods_, flags, name, descriptor, attributes);
  methodCount_++;
}

void ClassBuilder::classAttribute(const Bytes& attribute) {
  classAttributes_.append(attribute);
  classAttributeCount_++;
}

std::string ClassBuilder::build() const {
  Bytes file;
  file.u4(magic).u2(minor).u2(major).u2(poolCount ? *poolCount : nextIndex_).append(pool_);
  file.u2(accessFlags).u2(thisClass).u2(superClass).u2(static_cast<uint32_t>(interfaces.size()));
  for (uint16_t index : interfaces) file.u2(index);
  file.u2(fieldCount_).append(fields_);
  file.u2(methodCount_).append(methods_);
  file.u2(classAttributeCount_).append(classAttributes_);
  return file.data;
}
