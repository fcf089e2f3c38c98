// A small writer of class files for tests: a constant pool that hands out indexes, members with
// their attributes, and every length and count open to being set wrong on purpose.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Big-endian bytes.
struct Bytes {
  std::string data;

  Bytes& u1(uint32_t value);
  Bytes& u2(uint32_t value);
  Bytes& u4(uint32_t value);
  Bytes& raw(const std::string& bytes);
  Bytes& append(const Bytes& other);
  size_t size() const { return data.size(); }
};

struct ExceptionEntry {
  uint16_t start, end, handler, catchType;
};

struct LocalVariable {
  uint16_t start, length, name, descriptor, slot;
};

class ClassBuilder {
 public:
  ClassBuilder();

  // Constants; equal Utf8 texts share one entry, as compilers write them.
  uint16_t utf8(const std::string& text);
  uint16_t classRef(const std::string& name);
  uint16_t string(const std::string& text);
  uint16_t integer(int32_t value);
  uint16_t floatBits(uint32_t bits);
  uint16_t longValue(int64_t value);
  uint16_t doubleValue(double value);
  uint16_t nameAndType(const std::string& name, const std::string& descriptor);
  uint16_t fieldRef(const std::string& owner, const std::string& name, const std::string& descriptor);
  uint16_t methodRef(const std::string& owner, const std::string& name, const std::string& descriptor);
  uint16_t interfaceMethodRef(const std::string& owner, const std::string& name,
                              const std::string& descriptor);
  // Any bytes as one constant of one slot, its tag included.
  uint16_t rawConstant(const Bytes& entry);

  // An attribute with its true length, or with `length` written instead.
  Bytes attribute(const std::string& name, const Bytes& payload,
                  std::optional<uint32_t> length = std::nullopt);
  Bytes code(uint16_t maxStack, uint16_t maxLocals, const Bytes& bytecode,
             const std::vector<ExceptionEntry>& exceptions = {}, const std::vector<Bytes>& attributes = {});
  Bytes lineNumbers(const std::vector<std::pair<uint16_t, uint16_t>>& pcLines);
  Bytes localVariables(const std::vector<LocalVariable>& locals);

  void field(uint16_t flags, const std::string& name, const std::string& descriptor,
             const std::vector<Bytes>& attributes = {});
  void method(uint16_t flags, const std::string& name, const std::string& descriptor,
              const std::vector<Bytes>& attributes = {});
  void classAttribute(const Bytes& attribute);

  // The class file; `poolCount` replaces the true constant-pool count when set.
  std::string build() const;

  uint32_t magic = 0xCAFEBABE;
  uint16_t minor = 3;
  uint16_t major = 45;
  std::optional<uint16_t> poolCount;
  uint16_t accessFlags = 0x21;
  uint16_t thisClass = 0;
  uint16_t superClass = 0;
  std::vector<uint16_t> interfaces;

 private:
  uint16_t add(const Bytes& entry, uint16_t slots = 1);

  Bytes pool_;
  uint16_t nextIndex_ = 1;
  std::map<std::string, uint16_t> utf8s_;
  uint16_t fieldCount_ = 0;
  uint16_t methodCount_ = 0;
  uint16_t classAttributeCount_ = 0;
  Bytes fields_;
  Bytes methods_;
  Bytes classAttributes_;
};
