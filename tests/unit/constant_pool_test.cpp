// The output buffers, the constant pool and descriptors of class generation: the chunk
// boundaries, modified UTF-8, one entry per constant in the order of first need, two slots for
// wide constants, descriptors of every type, and the dependency lines.
#include <cstring>
#include <string>
#include <vector>

#include "codegen/class_gen_state.h"
#include "codegen/constant_pool.h"
#include "codegen/descriptors.h"
#include "codegen/output_buffers.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "syntax/scanner.h"
#include "test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes contents(const OutputBuffer& buffer) {
  Bytes bytes(static_cast<size_t>(bufferLength(&buffer)));
  int32_t offset = 0;
  copyBuffer(&buffer, bytes.data(), &offset);
  EXPECT_EQ(offset, bufferLength(&buffer));
  return bytes;
}

class PoolTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    resetClassTable();
    beginClassGenState(nullptr);
  }

  Identifier* id(const char* name) { return enterName(name, T_IDENTIFIER); }

  // A top-level class of the package path "a/b" ("" for the unnamed package).
  ClassDef* newClass(const char* packagePath, const char* name) {
    Package* package = &rootPackage;
    std::string path = packagePath;
    for (size_t at = 0; !path.empty() && at <= path.size();) {
      size_t slash = path.find('/', at);
      if (slash == std::string::npos) slash = path.size();
      package = getPackage(package, id(path.substr(at, slash - at).c_str()));
      at = slash + 1;
    }
    ClassDef* cls = newClassDef(CLASS_KIND_CLASS, id(name));
    cls->package = package;
    return cls;
  }

  Type* classType(ClassDef* cls) {
    return newClassType(newClassRef(cls->package, cls->name, cls, 0, nullptr, 0, 0), cls->name, 0, 0);
  }

  std::string utf8At(uint16_t index) {
    const Utf8Entry* entry = poolSlot(index).utf8;
    if (entry == nullptr) return "<not a Utf8>";
    return std::string(reinterpret_cast<const char*>(utf8EntryBytes(entry)), entry->length);
  }
};

TEST_F(PoolTest, ChunksHoldTheirPayloadAndPatchesReachAcrossTheirBoundary) {
  OutputBuffer buffer;
  newOutputBuffer(&buffer);
  for (int i = 0; i < OUTPUT_CHUNK_PAYLOAD; i++) putByte(i & 0xFF, &buffer);
  EXPECT_EQ(buffer.chunkCount, 1);
  EXPECT_EQ(buffer.free, 0);
  // The place of the next byte is taken while the chunk that will hold it does not exist yet.
  BufferPosition atBoundary = bufferWritePosition(&buffer);
  putShort(0, &buffer);
  EXPECT_EQ(buffer.chunkCount, 2);
  patchShort(0xBEEF, atBoundary);

  OutputBuffer split;
  newOutputBuffer(&split);
  for (int i = 0; i < OUTPUT_CHUNK_PAYLOAD - 1; i++) putByte(0, &split);
  BufferPosition straddling = bufferWritePosition(&split);
  putInt(0, &split);
  patchInt(0x01020304, straddling);

  Bytes bytes = contents(buffer);
  ASSERT_EQ(bytes.size(), static_cast<size_t>(OUTPUT_CHUNK_PAYLOAD + 2));
  EXPECT_EQ(bytes[OUTPUT_CHUNK_PAYLOAD - 1], (OUTPUT_CHUNK_PAYLOAD - 1) & 0xFF);
  EXPECT_EQ(bytes[OUTPUT_CHUNK_PAYLOAD], 0xBE);
  EXPECT_EQ(bytes[OUTPUT_CHUNK_PAYLOAD + 1], 0xEF);
  Bytes splitBytes = contents(split);
  EXPECT_EQ(Bytes(splitBytes.end() - 4, splitBytes.end()), (Bytes{1, 2, 3, 4}));

  // putBytes fills the chunk it is in before it takes the next.
  OutputBuffer bulk;
  newOutputBuffer(&bulk);
  Bytes many(3000);
  for (size_t i = 0; i < many.size(); i++) many[i] = static_cast<uint8_t>(i * 7);
  putBytes(many.data(), static_cast<int32_t>(many.size()), &bulk);
  EXPECT_EQ(bulk.chunkCount, 3);
  EXPECT_EQ(contents(bulk), many);
}

TEST_F(PoolTest, ModifiedUtf8TakesOneTwoOrThreeBytesPerCharacter) {
  struct Case {
    std::u16string text;
    Bytes expected;
  };
  const Case cases[] = {
      {u"A", {0x41}},
      {std::u16string(1, u'\0'), {0xC0, 0x80}},
      {u"\u007F", {0x7F}},
      {u"\u0080", {0xC2, 0x80}},
      {u"\u07FF", {0xDF, 0xBF}},
      {u"\u0800", {0xE0, 0xA0, 0x80}},
      {u"\uFFFF", {0xEF, 0xBF, 0xBF}},
      // A supplementary character is its two surrogates, three bytes each.
      {u"\U0001F600", {0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}},
      // Runs of plain characters go four at a time: a zero or a wider character anywhere in four.
      {u"abcdefgh", {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'}},
      {std::u16string(u"abcdef") + u'\0' + u"gh", {'a', 'b', 'c', 'd', 'e', 'f', 0xC0, 0x80, 'g', 'h'}},
      {u"abcd\u00E9fghij", {'a', 'b', 'c', 'd', 0xC3, 0xA9, 'f', 'g', 'h', 'i', 'j'}},
      {u"a\u0100cdefgh", {'a', 0xC4, 0x80, 'c', 'd', 'e', 'f', 'g', 'h'}},
  };
  for (const Case& c : cases) {
    int32_t end = toModifiedUtf8(c.text.data(), static_cast<int32_t>(c.text.size()), 2, 3);
    Bytes made(global.scratchBuffer + 3, global.scratchBuffer + end);
    EXPECT_EQ(made, c.expected) << "text of " << c.text.size() << " beginning " << static_cast<int>(c.text[0]);
  }
  // 8-bit text is taken as U+0000 to U+00FF.
  const char latin[] = "\xE9";
  int32_t end = toModifiedUtf8(latin, 1, 1, 0);
  EXPECT_EQ(Bytes(global.scratchBuffer, global.scratchBuffer + end), (Bytes{0xC3, 0xA9}));
}

TEST_F(PoolTest, EachConstantIsAppendedOnceInTheOrderOfFirstNeed) {
  uint16_t narrow = addUtf8("h\xE9llo");
  const char16_t wide[] = u"h\u00E9llo";
  EXPECT_EQ(addUtf8Chars(wide, 5, 2), narrow) << "the same text in either width is one entry";
  int32_t before = bufferLength(&classGen.pool.buffer);
  EXPECT_EQ(addUtf8("h\xE9llo"), narrow);
  EXPECT_EQ(addInteger(7), addInteger(7));
  EXPECT_EQ(bufferLength(&classGen.pool.buffer), before + 5) << "the repeated Integer added nothing";

  uint16_t longIndex = addLong(-2);
  uint16_t next = addInteger(8);
  EXPECT_EQ(next, longIndex + 2) << "a Long takes two slots";
  uint16_t doubleIndex = addDouble(-0.0);
  EXPECT_EQ(addFloat(-0.0), doubleIndex + 2) << "a Double takes two slots";
  EXPECT_NE(addDouble(0.0), doubleIndex) << "the zeros differ in their bits";
  EXPECT_EQ(classGen.pool.count, doubleIndex + 4);

  Bytes bytes = contents(classGen.pool.buffer);
  const Bytes expectedStart = {
      1, 0, 6, 'h', 0xC3, 0xA9, 'l', 'l', 'o',                // Utf8 "héllo"
      3, 0, 0, 0, 7,                                          // Integer 7
      5, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE,      // Long -2
      3, 0, 0, 0, 8,                                          // Integer 8
      6, 0x80, 0, 0, 0, 0, 0, 0, 0,                           // Double -0.0
      4, 0x80, 0, 0, 0,                                       // Float -0.0
  };
  ASSERT_GE(bytes.size(), expectedStart.size());
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + expectedStart.size()), expectedStart);
}

TEST_F(PoolTest, AReferenceFollowsTheEntriesItNames) {
  ClassDef* owner = newClass("p/q", "Owner");
  Member* method = newMemberOfKind(&global.mainArena, MK_METHOD);
  method->name = id("run");
  method->owner = owner;
  method->type = &intType;
  method->parameters = newParameter(nullptr, newArrayType(&longType), 0, 0, 0);

  uint16_t ref = addMethodRef(method);
  EXPECT_EQ(ref, 6);
  EXPECT_EQ(utf8At(1), "p/q/Owner");
  EXPECT_EQ(poolSlot(2).constant->tag, CONSTANT_CLASS);
  EXPECT_EQ(utf8At(3), "run");
  EXPECT_EQ(utf8At(4), "([J)I");
  EXPECT_EQ(poolSlot(5).constant->tag, CONSTANT_NAME_AND_TYPE);
  EXPECT_EQ(poolSlot(6).constant->tag, CONSTANT_METHOD);
  EXPECT_EQ(addMethodRef(method), ref);
  EXPECT_EQ(classGen.pool.count, 6);
}

TEST_F(PoolTest, DescriptorsOfEveryType) {
  ClassDef* string = newClass("java/lang", "String");
  Type* unresolved = classType(newClass("", "Gone"));
  unresolved->classRef->resolved = nullptr;
  struct Case {
    const Type* type;
    const char* descriptor;
  };
  const Case cases[] = {
      {&booleanType, "Z"}, {&charType, "C"},   {&byteType, "B"},   {&shortType, "S"},
      {&intType, "I"},     {&longType, "J"},   {&floatType, "F"},  {&doubleType, "D"},
      {&voidType, "V"},    {&errorType, "@"},  {classType(string), "Ljava/lang/String;"},
      {newArrayType(newArrayType(classType(string))), "[[Ljava/lang/String;"},
      {unresolved, "LGone;"},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8At(fieldDescriptor(c.type)), c.descriptor);

  Member* constructor = newMemberOfKind(&global.mainArena, MK_CONSTRUCTOR);
  EXPECT_EQ(utf8At(methodDescriptor(constructor)), "()V");
  EXPECT_EQ(utf8At(internalClassName(string)), "java/lang/String");
  EXPECT_EQ(utf8At(classDescriptor(newClass("", "Top"))), "LTop;");
  uint16_t arrayClass = addArrayClass(newArrayType(&intType));
  EXPECT_EQ(utf8At(static_cast<uint16_t>(poolSlot(arrayClass).constant->first)), "[I");
}

TEST_F(PoolTest, ADependencyLinePerReferencedClassAndNeverAboutItself) {
  global.dependencyOutput = 1;
  ClassDef* self = newClass("p", "Self");
  ClassDef* other = newClass("java/lang", "String");
  beginClassGenState(self);
  testing::internal::CaptureStdout();
  addClass(self);
  addClass(other);
  fieldDescriptor(classType(other));
  addArrayClass(newArrayType(classType(other)));
  ClassDef* second = newClass("p", "Second");
  beginClassGenState(second);
  addClass(other);
  beginClassGenState(self);
  addClass(other);
  std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed,
            "CLDEP:p.Self,java.lang.String\n"
            "CLDEP:p.Second,java.lang.String\n"
            "CLDEP:p.Self,java.lang.String\n");
  global.dependencyOutput = 0;
  testing::internal::CaptureStdout();
  addClass(newClass("", "Quiet"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(PoolTest, TheTablesStayShortAtTheLargestPool) {
  // Every lookup walks a short bucket: tens of thousands of names of one shape cost no list walk.
  char name[16];
  for (int i = 0; i < 40000; i++) {
    std::snprintf(name, sizeof name, "f%d", i);
    addUtf8(name);
    addInteger(i);
  }
  EXPECT_EQ(classGen.pool.count, 80000);
  EXPECT_LE(classGen.pool.utf8Entries, 2 * classGen.pool.utf8Buckets);
  EXPECT_LE(classGen.pool.constantEntries, 2 * classGen.pool.constantBuckets);
  int32_t longest = 0;
  for (uint32_t b = 0; b < classGen.pool.utf8Buckets; b++) {
    int32_t length = 0;
    for (const Utf8Entry* e = classGen.pool.utf8Table[b]; e != nullptr; e = e->next) length++;
    if (length > longest) longest = length;
  }
  EXPECT_LE(longest, 12);
  EXPECT_EQ(addUtf8("f30000"), 60001) << "found again after the tables grew";
  EXPECT_EQ(findUtf8("f39999", 6, 1)->index, 79999) << "an index past the limit does not wrap";
  EXPECT_EQ(poolSlot(70000).utf8, nullptr) << "indexes past the limit are counted, not recorded";
}

}  // namespace
