// Class files and archives along the class path: the lookup order, the newer-source rule, output
// paths, and tables of malformed class files and archives that must give their diagnostics and
// never a crash.
#include <sys/stat.h>
#include <utime.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "semantic/class_lookup.h"
#include "semantic/class_names.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/declaration_checks.h"
#include "semantic/element_names.h"
#include "semantic/imports.h"
#include "semantic/member_index.h"
#include "semantic/passes.h"
#include "semantic/type_records.h"
#include "semantic/zip_reader.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/message_file.h"
#include "support/parser_context.h"
#include "support/path_cache.h"
#include "support/source_file.h"
#include "syntax/compilation_unit.h"
#include "syntax/scanner.h"
#include "test_support.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

void put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}

void put32(Bytes& b, uint32_t v) {
  put16(b, v >> 16);
  put16(b, v & 0xFFFF);
}

// A class file built entry by entry; every index is the pool's own.
struct ClassFileBuilder {
  Bytes pool;
  uint16_t count = 1;
  uint16_t major = 45;
  uint16_t flags = 0x0021;
  uint16_t thisClass = 0;
  uint16_t superClass = 0;
  std::vector<uint16_t> interfaces;
  Bytes fields;
  uint16_t fieldCount = 0;
  Bytes methods;
  uint16_t methodCount = 0;
  Bytes attributes;
  uint16_t attributeCount = 0;

  uint16_t utf8(const std::string& text) {
    pool.push_back(1);
    put16(pool, static_cast<uint32_t>(text.size()));
    pool.insert(pool.end(), text.begin(), text.end());
    return count++;
  }
  uint16_t classEntry(const std::string& internalName) {
    uint16_t name = utf8(internalName);
    pool.push_back(7);
    put16(pool, name);
    return count++;
  }
  uint16_t integer(int32_t value) {
    pool.push_back(3);
    put32(pool, static_cast<uint32_t>(value));
    return count++;
  }
  uint16_t string(const std::string& text) {
    uint16_t name = utf8(text);
    pool.push_back(8);
    put16(pool, name);
    return count++;
  }
  void rawEntry(std::initializer_list<uint8_t> bytes) {
    pool.insert(pool.end(), bytes);
    count++;
  }
  ClassFileBuilder(const std::string& name, const std::string& super = "java/lang/Object") {
    thisClass = classEntry(name);
    if (!super.empty()) superClass = classEntry(super);
  }
  void field(uint16_t access, const std::string& name, const std::string& descriptor, const Bytes& attrs = {},
             uint16_t attrCount = 0) {
    put16(fields, access);
    put16(fields, utf8(name));
    put16(fields, utf8(descriptor));
    put16(fields, attrCount);
    fields.insert(fields.end(), attrs.begin(), attrs.end());
    fieldCount++;
  }
  void method(uint16_t access, const std::string& name, const std::string& descriptor) {
    put16(methods, access);
    put16(methods, utf8(name));
    put16(methods, utf8(descriptor));
    put16(methods, 0);
    methodCount++;
  }
  Bytes constantValue(uint16_t index) {
    Bytes a;
    put16(a, utf8("ConstantValue"));
    put32(a, 2);
    put16(a, index);
    return a;
  }
  void innerClasses(const std::vector<std::array<uint16_t, 4>>& entries) {
    put16(attributes, utf8("InnerClasses"));
    put32(attributes, static_cast<uint32_t>(2 + 8 * entries.size()));
    put16(attributes, static_cast<uint32_t>(entries.size()));
    for (const auto& e : entries)
      for (uint16_t v : e) put16(attributes, v);
    attributeCount++;
  }
  Bytes build() const {
    Bytes b;
    put32(b, 0xCAFEBABE);
    put16(b, 3);
    put16(b, major);
    put16(b, count);
    b.insert(b.end(), pool.begin(), pool.end());
    put16(b, flags);
    put16(b, thisClass);
    put16(b, superClass);
    put16(b, static_cast<uint32_t>(interfaces.size()));
    for (uint16_t i : interfaces) put16(b, i);
    put16(b, fieldCount);
    b.insert(b.end(), fields.begin(), fields.end());
    put16(b, methodCount);
    b.insert(b.end(), methods.begin(), methods.end());
    put16(b, attributeCount);
    b.insert(b.end(), attributes.begin(), attributes.end());
    return b;
  }
};

void le16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void le32(Bytes& b, uint32_t v) {
  le16(b, v & 0xFFFF);
  le16(b, v >> 16);
}

struct ZipMember {
  std::string name;
  Bytes data;
  bool deflate = false;
  uint16_t flags = 0;
  int32_t method = -1;  // forced method; -1 for what `deflate` says
  int64_t compressedSize = -1;  // forced size in the central header
  int64_t uncompressedSize = -1;  // forced size in the central header
  // The central header marks both sizes and the offset 0xFFFFFFFF and gives them in a zip64 extra
  // field (after a field of another kind); with zip64Short the extra field is cut short.
  bool zip64Extra = false;
  bool zip64Short = false;
};

struct ZipOptions {
  std::string comment;
  int64_t directorySizeDelta = 0;
  Bytes prefix;  // bytes before the archive, as a self-extracting program has
  int64_t countDelta = 0;  // added to the member count of the end record
  // Zip64 end records before the end record, whose count and directory fields then say 0xFFFF..
  bool zip64 = false;
};

Bytes deflateRaw(const Bytes& data) {
  z_stream s{};
  deflateInit2(&s, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&s, data.size()) + 16);
  s.next_in = const_cast<Bytef*>(data.data());
  s.avail_in = static_cast<uInt>(data.size());
  s.next_out = out.data();
  s.avail_out = static_cast<uInt>(out.size());
  deflate(&s, Z_FINISH);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

Bytes makeZip(const std::vector<ZipMember>& members, const ZipOptions& options = {}) {
  Bytes file = options.prefix;
  Bytes directory;
  for (const ZipMember& m : members) {
    Bytes stored = m.deflate ? deflateRaw(m.data) : m.data;
    uint32_t method = m.method >= 0 ? static_cast<uint32_t>(m.method) : (m.deflate ? 8 : 0);
    uint32_t crc = static_cast<uint32_t>(crc32(0, m.data.data(), static_cast<uInt>(m.data.size())));
    // Offsets count from the zip data, as a program put in front of an archive leaves them.
    uint32_t offset = static_cast<uint32_t>(file.size() - options.prefix.size());
    le32(file, 0x04034b50);
    le16(file, 20);
    le16(file, m.flags);
    le16(file, method);
    le32(file, 0);
    le32(file, crc);
    le32(file, static_cast<uint32_t>(stored.size()));
    le32(file, static_cast<uint32_t>(m.data.size()));
    le16(file, static_cast<uint32_t>(m.name.size()));
    le16(file, 0);
    file.insert(file.end(), m.name.begin(), m.name.end());
    file.insert(file.end(), stored.begin(), stored.end());
    le32(directory, 0x02014b50);
    le16(directory, 20);
    le16(directory, 20);
    le16(directory, m.flags);
    le16(directory, method);
    le32(directory, 0);
    le32(directory, crc);
    uint32_t compressedSize = m.compressedSize >= 0 ? static_cast<uint32_t>(m.compressedSize) : static_cast<uint32_t>(stored.size());
    uint32_t uncompressedSize = static_cast<uint32_t>(m.uncompressedSize >= 0 ? m.uncompressedSize : m.data.size());
    Bytes extra;
    if (m.zip64Extra) {
      le16(extra, 0x5455);  // a time stamp field first
      le16(extra, 5);
      extra.insert(extra.end(), {1, 0, 0, 0, 0});
      le16(extra, 0x0001);
      uint32_t values[] = {uncompressedSize, compressedSize, offset};
      int given = m.zip64Short ? 2 : 3;
      le16(extra, 8 * given);
      for (int i = 0; i < given; i++) {
        le32(extra, values[i]);
        le32(extra, 0);
      }
    }
    le32(directory, m.zip64Extra ? 0xFFFFFFFF : compressedSize);
    le32(directory, m.zip64Extra ? 0xFFFFFFFF : uncompressedSize);
    le16(directory, static_cast<uint32_t>(m.name.size()));
    le16(directory, static_cast<uint32_t>(extra.size()));
    le16(directory, 0);
    le16(directory, 0);
    le16(directory, 0);
    le32(directory, 0);
    le32(directory, m.zip64Extra ? 0xFFFFFFFF : offset);
    directory.insert(directory.end(), m.name.begin(), m.name.end());
    directory.insert(directory.end(), extra.begin(), extra.end());
  }
  uint32_t directoryOffset = static_cast<uint32_t>(file.size() - options.prefix.size());
  file.insert(file.end(), directory.begin(), directory.end());
  // A count past 0xFFFF wraps, as archives written without zip64 records have it.
  uint32_t count = static_cast<uint32_t>(members.size() + options.countDelta);
  uint32_t directorySize = static_cast<uint32_t>(directory.size() + options.directorySizeDelta);
  if (options.zip64) {
    uint64_t recordOffset = file.size() - options.prefix.size();
    le32(file, 0x06064b50);
    le32(file, 44);  // the record's size after this field
    le32(file, 0);
    le16(file, 45);
    le16(file, 45);
    le32(file, 0);
    le32(file, 0);
    le32(file, count);
    le32(file, 0);
    le32(file, count);
    le32(file, 0);
    le32(file, directorySize);
    le32(file, 0);
    le32(file, directoryOffset);
    le32(file, 0);
    le32(file, 0x07064b50);
    le32(file, 0);
    le32(file, static_cast<uint32_t>(recordOffset));
    le32(file, 0);
    le32(file, 1);
    count = 0xFFFF;
    directorySize = 0xFFFFFFFF;
    directoryOffset = 0xFFFFFFFF;
  }
  le32(file, 0x06054b50);
  le16(file, 0);
  le16(file, 0);
  le16(file, count);
  le16(file, count);
  le32(file, directorySize);
  le32(file, directoryOffset);
  le16(file, static_cast<uint32_t>(options.comment.size() > 0xFFFF ? 0xFFFF : options.comment.size()));
  file.insert(file.end(), options.comment.begin(), options.comment.end());
  return file;
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void setModified(const fs::path& path, time_t when) {
  utimbuf times{when, when};
  utime(path.c_str(), &times);
}

class ClassPathTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    initMessageTable(16);
    const char* texts[][2] = {{"bad.class.file", "bad %1"},          {"wrong.class.version", "version %1 %2"},
                              {"bad.class.file.magic", "magic %1"},  {"bad.class.file.truncated", "truncated %1"},
                              {"bad.class.file.pool", "pool %1"},    {"bad.class.file.name", "name %1"},
                              {"bad.class.file.class.flags", "class flags %1"},
                              {"bad.class.file.method.flags", "method flags %1"},
                              {"bad.class.file.supertype", "supertype %1"},
                              {"bad.class.file.field", "field %1"},  {"bad.class.file.method", "method %1"},
                              {"bad.class.file.constant", "constant %1"},
                              {"zip.error", "zip %1"},               {"cant.read.classfile", "unreadable %1"},
                              {"undef.class", "undef %1"},           {"wrong.class.name", "name %1 %2 %3"},
                              {"cant.make.dir", "cannot make %1"},   {"class.not.in.source", "not in %1 %2 %3"},
                              {"circular.super", "circular %1"}};
    for (auto& t : texts) {
      std::string key = t[0];
      int32_t arguments = key == "wrong.class.version" ? 2 : key == "wrong.class.name" || key == "class.not.in.source" ? 3 : 1;
      addMessage(t[0], static_cast<int32_t>(key.size()), arguments, t[1], static_cast<int32_t>(std::strlen(t[1])));
    }
    sortMessages();
    resetClassTable();
    initScanner();
    global.ctx = ParserContext{};
    root = scratchDirectory();
  }
  void TearDown() override {
    for (ZipFile* archive : opened) zipClose(archive);
    opened.clear();
    global.classPathEntries = nullptr;
    global.classPathArchives = nullptr;
    global.sourcePathEntries = nullptr;
    global.sourcePathArchives = nullptr;
    CompilerTest::TearDown();
  }

  // The class path: the given entries, then the class library.
  void useClassPath(std::vector<std::string> entries) {
    entries.push_back(CLASS_LIBRARY);
    auto** names = arenaNewArray<char*>(&global.mainArena, entries.size() + 1);
    auto** archives = arenaNewArray<ZipFile*>(&global.mainArena, entries.size() + 1);
    for (size_t i = 0; i < entries.size(); i++) {
      names[i] = mainArenaCopy(entries[i].c_str());
      if (fs::is_regular_file(entries[i])) {
        archives[i] = zipOpen(names[i]);
        if (archives[i] != nullptr) opened.push_back(archives[i]);
        if (archives[i] == nullptr) names[i] = mainArenaCopy("");
      }
    }
    global.classPathEntries = names;
    global.classPathArchives = archives;
    global.sourcePathEntries = names;
    global.sourcePathArchives = archives;
    initJavaLang();
  }

  Package* package(const char* name) { return getPackage(nullptr, enterName(name, T_IDENTIFIER)); }

  // A lookup as the compiler makes one, with no source position.
  ClassDef* load(const char* packageName, const char* name) {
    return loadClass(packageName != nullptr ? package(packageName) : nullptr, enterName(name, T_IDENTIFIER), 0, 0);
  }

  // A source file of the compile, parsed.
  SourceFile* parseSource(const char* name, const char* text) {
    writeTextFile(root / name, text);
    SourceFile* file = addSourceFile((root / name).string().c_str());
    parseCompilationUnit(file);
    return file;
  }

  // The code of the stop that `work` ends in, 0 when it returns.
  template <class Work>
  int32_t stopCode(Work work) {
    try {
      work();
    } catch (const CompileStop& stop) {
      return stop.code;
    }
    return 0;
  }

  bool hasField(ClassDef* cls, const char* name) {
    for (Member* m = cls->members; m != nullptr; m = m->next)
      if (m->kind == MK_VARIABLE && m->name == enterName(name, T_IDENTIFIER)) return true;
    return false;
  }

  fs::path root;
  std::vector<ZipFile*> opened;
};

Bytes markedClass(const std::string& name, const std::string& marker) {
  ClassFileBuilder b(name);
  b.field(0x0001, marker, "I");
  return b.build();
}

TEST_F(ClassPathTest, ArchiveAndDirectoryInPathOrder) {
  writeBytes(root / "a.jar", makeZip({{"p/C.class", markedClass("p/C", "fromJar")}}));
  writeBytes(root / "classes/p/C.class", markedClass("p/C", "fromDir"));
  useClassPath({(root / "a.jar").string(), (root / "classes").string()});
  ClassDef* cls = load("p", "C");
  ASSERT_NE(cls, nullptr);
  EXPECT_TRUE(hasField(cls, "fromJar"));
  EXPECT_STREQ(cls->classFilePath, "p/C.class");
}

TEST_F(ClassPathTest, DirectoryBeforeArchive) {
  writeBytes(root / "a.jar", makeZip({{"p/C.class", markedClass("p/C", "fromJar")}}));
  writeBytes(root / "classes/p/C.class", markedClass("p/C", "fromDir"));
  useClassPath({(root / "classes").string(), (root / "a.jar").string()});
  ClassDef* cls = load("p", "C");
  ASSERT_NE(cls, nullptr);
  EXPECT_TRUE(hasField(cls, "fromDir"));
}

TEST_F(ClassPathTest, NewerSourceWinsOverAnOlderClassFile) {
  writeBytes(root / "classes/p/C.class", markedClass("p/C", "fromDir"));
  writeTextFile(root / "classes/p/C.java", "package p;\npublic class C { int fromSource; }\n");
  time_t now = std::time(nullptr);
  setModified(root / "classes/p/C.class", now - 100);
  setModified(root / "classes/p/C.java", now);
  useClassPath({(root / "classes").string()});
  ClassDef* cls = load("p", "C");
  ASSERT_NE(cls, nullptr);
  ASSERT_NE(cls->sourceFile, nullptr);
  EXPECT_TRUE(hasField(cls, "fromSource"));
  EXPECT_NE(cls->sourceFile->flags & SOURCE_PARSED, 0u);
}

TEST_F(ClassPathTest, NewerClassFileWinsOverAnOlderSource) {
  writeBytes(root / "classes/p/C.class", markedClass("p/C", "fromDir"));
  writeTextFile(root / "classes/p/C.java", "package p;\npublic class C { int fromSource; }\n");
  time_t now = std::time(nullptr);
  setModified(root / "classes/p/C.java", now - 100);
  setModified(root / "classes/p/C.class", now);
  useClassPath({(root / "classes").string()});
  ClassDef* cls = load("p", "C");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls->sourceFile, nullptr);
  EXPECT_TRUE(hasField(cls, "fromDir"));
}

TEST_F(ClassPathTest, ClassFilesWithOtherNames) {
  writeBytes(root / "classes/p/foo.class", markedClass("p/Foo", "x"));
  writeBytes(root / "classes/p/E.class", markedClass("q/E", "x"));
  std::string dir = (root / "classes").string();
  useClassPath({dir});
  testing::internal::CaptureStderr();
  // Only the case differs: passed over without a word, as on a file system that ignores case.
  EXPECT_EQ(load("p", "foo"), nullptr);
  EXPECT_EQ(load("p", "E"), nullptr);
  ClassDef* misnamed = lookupClass(package("p"), enterName("E", T_IDENTIFIER), 1, 1);
  ASSERT_NE(misnamed, nullptr);
  EXPECT_EQ(misnamed->kind, CLASS_KIND_ERROR);
  EXPECT_EQ(lookupClass(package("p"), enterName("foo", T_IDENTIFIER), 1, 1), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quorvelix: name " + dir + "/p/E.class p.E q.E\n");
}

TEST_F(ClassPathTest, OutputPaths) {
  useClassPath({});
  auto source = [&](const char* name, const char* text) {
    writeTextFile(root / name, text);
    SourceFile* file = addSourceFile((root / name).string().c_str());
    parseCompilationUnit(file);
    return file;
  };
  fs::path previous = fs::current_path();
  fs::current_path(root);
  SourceFile* plain = source("A.java", "class A {}\n");
  plain->name = mainArenaCopy("A.java");
  ClassDef* a = findClassInPackage(nullptr, enterName("A", T_IDENTIFIER), 0, 0);
  // Beside its source, never at the root.
  EXPECT_STREQ(classFilePath(a, false), "A.class");
  SourceFile* nested = source("src/p/B.java", "package p;\nclass B {}\n");
  nested->name = mainArenaCopy("src/p/B.java");
  ClassDef* b = findClassInPackage(package("p"), enterName("B", T_IDENTIFIER), 0, 0);
  EXPECT_STREQ(classFilePath(b, false), "src/p/B.class");
  global.outputDirectory = mainArenaCopy("out");
  fs::create_directories(root / "out");
  EXPECT_STREQ(classFilePath(b, true), "out/p/B.class");
  EXPECT_TRUE(fs::is_directory(root / "out/p"));
  // A package directory that cannot be made: reported, and no path.
  writeTextFile(root / "blocked/q", "a file where a directory should be");
  source("C.java", "package q;\nclass C {}\n");
  ClassDef* c = findClassInPackage(package("q"), enterName("C", T_IDENTIFIER), 0, 0);
  global.outputDirectory = mainArenaCopy("blocked");
  testing::internal::CaptureStderr();
  EXPECT_EQ(classFilePath(c, true), nullptr);
  EXPECT_EQ(classFilePath(c, true), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quorvelix: cannot make blocked/q\n");
  fs::current_path(previous);
}

struct MalformedClass {
  const char* name;
  Bytes bytes;
  std::string expected;  // with {path} for the file
};

TEST_F(ClassPathTest, MalformedClassFiles) {
  std::vector<MalformedClass> cases;
  {
    ClassFileBuilder b("p/C");
    b.major = 46;
    cases.push_back({"version 46", b.build(), "quorvelix: version {path} 46\n"});
  }
  {
    Bytes bytes = markedClass("p/C", "x");
    bytes.resize(bytes.size() / 2);
    cases.push_back({"truncated", bytes, "quorvelix: truncated {path}\n"});
  }
  cases.push_back({"ten bytes", Bytes{0xCA, 0xFE, 0xBA, 0xBE, 0, 3, 0, 45, 0, 9}, "quorvelix: truncated {path}\n"});
  cases.push_back({"bad magic", Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, "quorvelix: magic {path}\n"});
  for (uint8_t tag : {2, 15}) {
    ClassFileBuilder b("p/C");
    b.rawEntry({tag, 0, 0, 0, 0});
    cases.push_back({tag == 2 ? "tag 2" : "tag 15", b.build(), "quorvelix: pool {path}\n"});
  }
  {
    ClassFileBuilder b("p/C");
    b.flags = 0x4021;
    cases.push_back({"class flag 0x4000", b.build(), "quorvelix: class flags {path}\n"});
  }
  {
    ClassFileBuilder b("p/C");
    b.method(0x0041, "m", "()V");
    cases.push_back({"method flag 0x40", b.build(), "quorvelix: method flags {path}\n"});
  }
  {
    ClassFileBuilder b("p/C");
    b.field(0x0001, "deep", std::string(300, '[') + "I");
    cases.push_back({"300 array dimensions", b.build(), "quorvelix: field {path}\n"});
  }
  {
    ClassFileBuilder b("p/C");
    b.thisClass = b.utf8("not a class entry");
    cases.push_back({"this_class not a class", b.build(), "quorvelix: name {path}\n"});
  }
  {
    ClassFileBuilder b("p/C");
    b.thisClass = 0;
    cases.push_back({"this_class 0", b.build(), "quorvelix: name {path}\n"});
  }
  {
    Bytes zeros{0xCA, 0xFE, 0xBA, 0xBE, 0, 3, 0, 45};
    zeros.resize(zeros.size() + 16, 0);
    cases.push_back({"all zeros after the header", zeros, "quorvelix: name {path}\n"});
  }
  {
    ClassFileBuilder b("p/C");
    b.method(0x0001, "m", "(I");
    cases.push_back({"method descriptor cut off", b.build(), "quorvelix: method {path}\n"});
  }
  {
    ClassFileBuilder b("p/C");
    b.superClass = 999;
    cases.push_back({"superclass index out of the pool", b.build(), "quorvelix: supertype {path}\n"});
  }
  {
    ClassFileBuilder b("p/C");
    Bytes attribute = b.constantValue(b.integer(5));
    b.field(0x0019, "S", "Ljava/lang/String;", attribute, 1);
    cases.push_back({"an int constant for a String field", b.build(), "quorvelix: constant {path}\n"});
  }
  for (const MalformedClass& c : cases) {
    SetUp();
    std::string dir = (root / "classes").string();
    writeBytes(root / "classes/p/C.class", c.bytes);
    useClassPath({dir});
    testing::internal::CaptureStderr();
    EXPECT_EQ(load("p", "C"), nullptr) << c.name;
    // Known to be unusable: a second use is silent, and the lookup that gives back the
    // unusable class, so that its uses report nothing more, is silent too.
    EXPECT_EQ(load("p", "C"), nullptr) << c.name;
    ClassDef* unusable = lookupClass(package("p"), enterName("C", T_IDENTIFIER), 1, 1);
    ASSERT_NE(unusable, nullptr) << c.name;
    EXPECT_EQ(unusable->kind, CLASS_KIND_ERROR) << c.name;
    std::string expected = c.expected;
    expected.replace(expected.find("{path}"), 6, dir + "/p/C.class");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected) << c.name;
    TearDown();
  }
  SetUp();
}

// A damaged member of an archive is named with its archive.
TEST_F(ClassPathTest, DamagedArchiveMemberIsNamedWithItsArchive) {
  Bytes bytes = markedClass("p/C", "x");
  bytes.resize(bytes.size() / 2);
  writeBytes(root / "a.jar", makeZip({{"p/C.class", bytes}}));
  useClassPath({(root / "a.jar").string()});
  testing::internal::CaptureStderr();
  EXPECT_EQ(load("p", "C"), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quorvelix: truncated " + (root / "a.jar").string() + "(p/C.class)\n");
}

TEST_F(ClassPathTest, WhatIsReadFromAGoodClassFile) {
  ClassFileBuilder outer("p/Outer");
  uint16_t innerEntry = outer.classEntry("p/Outer$In");
  uint16_t outerEntry = outer.thisClass;
  uint16_t otherInner = outer.classEntry("q/Outer$Other");
  uint16_t otherOuter = outer.classEntry("q/Outer");
  // The second entry names a class of the same simple name in another package: not ours.
  outer.innerClasses({{innerEntry, outerEntry, outer.utf8("In"), 0x0001},
                      {otherInner, otherOuter, outer.utf8("Other"), 0x0009}});
  Bytes stringConstant = outer.constantValue(outer.string("hello"));
  outer.field(0x0019, "TEXT", "Ljava/lang/String;", stringConstant, 1);
  Bytes intConstant = outer.constantValue(outer.integer(42));
  outer.field(0x0019, "ANSWER", "I", intConstant, 1);
  outer.field(0x0001, "plain", "[[J");
  writeBytes(root / "classes/p/Outer.class", outer.build());

  ClassFileBuilder in("p/Outer$In");
  uint16_t self = in.thisClass;
  uint16_t enclosing = in.classEntry("p/Outer");
  in.innerClasses({{self, enclosing, in.utf8("In"), 0x0001}});
  in.method(0x0001, "<init>", "(Lp/Outer;I)V");
  writeBytes(root / "classes/p/Outer$In.class", in.build());

  ClassFileBuilder face("p/Face");
  face.flags = 0x0601;
  writeBytes(root / "classes/p/Face.class", face.build());

  useClassPath({(root / "classes").string()});
  testing::internal::CaptureStderr();
  ClassDef* cls = load("p", "Outer");
  ASSERT_NE(cls, nullptr);
  Member* text = cls->members;
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->constantState, CONSTANT_KEPT);
  auto* value = static_cast<StringValue*>(text->constantValue);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(stringValueChars(value)), value->length), u"hello");
  EXPECT_EQ(*static_cast<int32_t*>(text->next->constantValue), 42);
  EXPECT_EQ(text->next->next->constantState, CONSTANT_NONE);
  EXPECT_STREQ(typeToString(text->next->next->type), "long[][]");
  ASSERT_NE(cls->innerClasses, nullptr);
  EXPECT_EQ(cls->innerClasses->next, nullptr);

  ClassDef* inner = load("p", "Outer$In");
  ASSERT_NE(inner, nullptr);
  // The member class keeps its binary name; its simple name is the entry's.
  EXPECT_STREQ(classToString(inner), "p.Outer$In");
  EXPECT_STREQ(identToString(inner->name), "In");
  EXPECT_EQ(inner->outer, cls);
  Member* constructor = inner->members;
  ASSERT_NE(constructor, nullptr);
  EXPECT_EQ(constructor->kind, MK_CONSTRUCTOR);
  EXPECT_NE(constructor->parameters->modifiers & M_SYNTHETIC, 0);
  EXPECT_EQ(constructor->parameters->next->modifiers & M_SYNTHETIC, 0);

  ClassDef* interface = load("p", "Face");
  ASSERT_NE(interface, nullptr);
  EXPECT_EQ(interface->kind, CLASS_KIND_INTERFACE);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

struct SupertypeCycle {
  const char* name;
  std::vector<std::pair<std::string, Bytes>> classes;  // internal name, file
  const char* loaded;
  std::string expected;
};

Bytes interfaceFile(const std::string& name, const std::string& superinterface) {
  ClassFileBuilder b(name);
  b.flags = 0x0601;
  b.interfaces.push_back(b.classEntry(superinterface));
  return b.build();
}

TEST_F(ClassPathTest, SupertypeCyclesAmongClassFilesStopTheCompileOnce) {
  std::vector<SupertypeCycle> cases = {
      {"a class that extends itself", {{"p/A", ClassFileBuilder("p/A", "p/A").build()}}, "A", "quorvelix: circular p.A\n"},
      {"two classes",
       {{"p/A", ClassFileBuilder("p/A", "p/B").build()}, {"p/B", ClassFileBuilder("p/B", "p/A").build()}},
       "A",
       "quorvelix: circular p.A\n"},
      {"two interfaces", {{"p/I", interfaceFile("p/I", "p/J")}, {"p/J", interfaceFile("p/J", "p/I")}}, "I",
       "quorvelix: circular p.I\n"},
      {"a cycle above the class looked for",
       {{"p/C", ClassFileBuilder("p/C", "p/A").build()},
        {"p/A", ClassFileBuilder("p/A", "p/B").build()},
        {"p/B", ClassFileBuilder("p/B", "p/A").build()}},
       "C",
       "quorvelix: circular p.A\n"},
  };
  for (const SupertypeCycle& c : cases) {
    SetUp();
    for (const auto& [name, bytes] : c.classes) writeBytes(root / "classes" / (name + ".class"), bytes);
    useClassPath({(root / "classes").string()});
    testing::internal::CaptureStderr();
    EXPECT_EQ(stopCode([&] { load("p", c.loaded); }), STOP_FATAL) << c.name;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.expected) << c.name;
    TearDown();
  }
  SetUp();
}

TEST_F(ClassPathTest, ASourceClassExtendingACycleOfClassFilesHearsOfItOnce) {
  writeBytes(root / "classes/p/A.class", ClassFileBuilder("p/A", "p/B").build());
  writeBytes(root / "classes/p/B.class", ClassFileBuilder("p/B", "p/A").build());
  useClassPath({(root / "classes").string()});
  SourceFile* file = parseSource("S.java", "class S extends p.A {}\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(stopCode([] { resolveAllSupertypes(); }), STOP_FATAL);
  std::string expected = std::string(file->name) + ":1: circular p.A\nclass S extends p.A {}\n                  ^\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
}

TEST_F(ClassPathTest, ASuperclassChainOf7000ClassFilesResolves) {
  constexpr int chain = 7000;
  for (int i = 0; i < chain; i++) {
    std::string name = "p/K" + std::to_string(i);
    std::string super = i + 1 < chain ? "p/K" + std::to_string(i + 1) : "java/lang/Object";
    writeBytes(root / "classes" / (name + ".class"), ClassFileBuilder(name, super).build());
  }
  useClassPath({(root / "classes").string()});
  parseSource("S.java", "class S extends p.K0 {}\n");
  testing::internal::CaptureStderr();
  resolveAllSupertypes();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ClassDef* s = findClassInPackage(nullptr, enterName("S", T_IDENTIFIER), 0, 0);
  ASSERT_NE(s, nullptr);
  int32_t length = 0;
  ClassDef* top = s;
  for (; top->superclass != nullptr && top->superclass->resolved != nullptr; top = top->superclass->resolved) length++;
  EXPECT_EQ(length, chain + 1);
  EXPECT_EQ(top, objectClass);
  EXPECT_TRUE(refReachesClass(s->superclass, objectClass));
  // A member class that none of them has is looked for through the whole chain.
  EXPECT_EQ(findMemberClass(s, enterName("Missing", T_IDENTIFIER), nullptr, nullptr), nullptr);
}

TEST_F(ClassPathTest, ALongDottedNameOffThePathIsProbedOncePerPackage) {
  writeBytes(root / "classes/q/C.class", markedClass("q/C", "shallow"));
  useClassPath({(root / "classes").string()});
  Identifier* x = enterName("x", T_IDENTIFIER);
  Package* qx = getPackage(package("q"), x);
  Package* deep = qx;
  for (int i = 0; i < 2000; i++) deep = getPackage(deep, x);
  int64_t before = pathQueryCount();
  EXPECT_EQ(findNestedClass(deep, enterName("C", T_IDENTIFIER), 0, 0), nullptr);
  EXPECT_LT(pathQueryCount() - before, 100);
  // Once the compiler has made the package's directory in the output directory, which is on the
  // class path, the package found missing is looked for again.
  global.outputDirectory = mainArenaCopy((root / "classes").c_str());
  ClassDef* written = newClassDef(CLASS_KIND_CLASS, enterName("W", T_IDENTIFIER));
  written->package = qx;
  ASSERT_NE(classFilePath(written, true), nullptr);
  writeBytes(root / "classes/q/x/D.class", markedClass("q/x/D", "made"));
  ClassDef* made = loadClass(qx, enterName("D", T_IDENTIFIER), 0, 0);
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(hasField(made, "made"));
}

// A descriptor read once serves later methods of the same descriptor, yet every mention of a class
// that cannot be found is still reported where it stands, and every method's types name the class
// its descriptor names.
TEST_F(ClassPathTest, MethodsOfOneDescriptorEachNameItsClasses) {
  writeBytes(root / "classes/q/Y.class", ClassFileBuilder("q/Y").build());
  ClassFileBuilder b("p/D");
  b.method(0x0001, "a", "(Lnowhere/X;Lq/Y;)V");
  b.method(0x0001, "b", "(Lnowhere/X;Lq/Y;)V");
  b.method(0x0001, "c", "(Lnowhere/X;Lq/Y;)V");
  b.method(0x0001, "d", "([Lq/Y;I)Lq/Y;");
  b.method(0x0001, "e", "([Lq/Y;I)Lq/Y;");
  writeBytes(root / "classes/p/D.class", b.build());
  useClassPath({(root / "classes").string()});
  ASSERT_NE(load("q", "Y"), nullptr);
  testing::internal::CaptureStderr();
  ClassDef* cls = load("p", "D");
  std::string printed = testing::internal::GetCapturedStderr();
  ASSERT_NE(cls, nullptr);
  int32_t reports = 0;
  for (size_t at = printed.find("undef nowhere.X"); at != std::string::npos; at = printed.find("undef nowhere.X", at + 1))
    reports++;
  EXPECT_EQ(reports, 3) << printed;
  ClassDef* y = findClassInPackage(package("q"), enterName("Y", T_IDENTIFIER), 0, 0);
  int32_t methods = 0;
  for (Member* m = cls->members; m != nullptr; m = m->next) {
    if (m->kind != MK_METHOD) continue;
    methods++;
    std::vector<const Type*> types;
    for (Parameter* p = m->parameters; p != nullptr; p = p->next) types.push_back(p->type);
    ASSERT_EQ(types.size(), 2u) << identToString(m->name);
    if (m->type->kind == TK_VOID) {
      EXPECT_EQ(types[0]->kind, TK_CLASS);
      EXPECT_EQ(types[0]->classRef->name, enterName("X", T_IDENTIFIER));
      EXPECT_EQ(types[1]->classRef->resolved, y);
    } else {
      EXPECT_EQ(types[0]->kind, TK_ARRAY);
      EXPECT_EQ(types[0]->element->classRef->resolved, y);
      EXPECT_EQ(types[1]->kind, TK_INT);
      EXPECT_EQ(m->type->classRef->resolved, y);
    }
  }
  EXPECT_EQ(methods, 5);
}

TEST_F(ClassPathTest, TheErrorLimitInsideAReadLeaksNothing) {
  ClassFileBuilder b("p/C");
  for (int i = 0; i < 10; i++) b.field(0x0001, "f" + std::to_string(i), "Lnowhere/Missing" + std::to_string(i) + ";");
  writeBytes(root / "classes/p/C.class", b.build());
  useClassPath({(root / "classes").string()});
  global.maxErrors = 5;
  testing::internal::CaptureStderr();
  int32_t code = 0;
  try {
    load("p", "C");
  } catch (const CompileStop& stop) {
    code = stop.code;
  }
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, STOP_ERROR_LIMIT);
}

// The descriptors this process holds open.
int32_t openDescriptorCount() {
  int32_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) count++;
  return count;
}

struct MalformedArchive {
  const char* name;
  Bytes bytes;
  bool opens;
  bool reads;
};

TEST_F(ClassPathTest, Archives) {
  Bytes good = markedClass("p/C", "x");
  std::string comment70000(70000, 'c');
  ZipMember encrypted{"p/C.class", good};
  encrypted.flags = 1;
  ZipMember method12{"p/C.class", good};
  method12.method = 12;
  ZipMember wrapped{"p/C.class", good};
  wrapped.compressedSize = 0xFFFFFFF0;
  ZipOptions fakeEnd;
  fakeEnd.comment = std::string("PK\x05\x06", 4) + "x";
  ZipOptions overrun;
  overrun.directorySizeDelta = 1000;
  ZipOptions selfExtracting;
  selfExtracting.prefix = Bytes(100, 0x90);
  ZipOptions longComment;
  longComment.comment = comment70000;
  // 70,001 members: the end record's 16-bit count says 4,465, the directory's size holds them all.
  std::vector<ZipMember> many;
  for (int32_t i = 0; i < 70000; i++) many.push_back({"d/" + std::to_string(i), {}});
  many.push_back({"p/C.class", good});
  ZipOptions countShort;
  countShort.countDelta = -1;
  ZipOptions zip64;
  zip64.zip64 = true;
  ZipOptions zip64CountShort = zip64;
  zip64CountShort.countDelta = -1;
  ZipMember zip64Member{"p/C.class", good, true};
  zip64Member.zip64Extra = true;
  ZipMember zip64Cut = zip64Member;
  zip64Cut.zip64Short = true;
  std::vector<ZipMember> manyZip64 = many;
  manyZip64.back() = zip64Member;
  Bytes locatorAstray = makeZip({{"p/C.class", good}}, zip64);
  // The locator's offset of the zip64 end record, one byte off.
  locatorAstray[locatorAstray.size() - 22 - 20 + 8]++;
  ZipMember zip64Size{"p/C.class", good};
  zip64Size.uncompressedSize = 0xFFFFFFFF;
  std::vector<MalformedArchive> cases = {
      {"stored", makeZip({{"p/C.class", good}}), true, true},
      {"deflated", makeZip({{"p/C.class", good, true}}), true, true},
      {"a comment holding a fake end signature", makeZip({{"p/C.class", good}}, fakeEnd), true, true},
      {"central directory overrun", makeZip({{"p/C.class", good}}, overrun), false, false},
      {"wrapped sizes", makeZip({wrapped}), false, false},
      {"a program in front", makeZip({{"p/C.class", good}}, selfExtracting), false, false},
      {"a 70,000-byte comment", makeZip({{"p/C.class", good}}, longComment), false, false},
      {"encrypted member", makeZip({encrypted}), true, false},
      {"method 12", makeZip({method12}), true, false},
      {"70,001 members with a wrapped count", makeZip(many), true, true},
      {"a count short of the directory", makeZip({{"a/A.class", good}, {"p/C.class", good}}, countShort), false, false},
      {"zip64 end records", makeZip({{"p/C.class", good}}, zip64), true, true},
      {"70,001 members with zip64 end records and a zip64 member", makeZip(manyZip64, zip64), true, true},
      {"a zip64 count short of the directory", makeZip({{"a/A.class", good}, {"p/C.class", good}}, zip64CountShort),
       false, false},
      {"a zip64 locator that points astray", locatorAstray, false, false},
      {"sizes and offset in a zip64 extra field", makeZip({zip64Member}), true, true},
      {"a zip64 extra field cut short", makeZip({zip64Cut}), false, false},
      {"a zip64 size mark without its extra field", makeZip({zip64Size}), false, false},
      {"empty file", Bytes{}, false, false},
      {"not a zip", Bytes(100, 'x'), false, false},
  };
  for (const MalformedArchive& c : cases) {
    fs::path path = root / "a.jar";
    writeBytes(path, c.bytes);
    testing::internal::CaptureStderr();
    int32_t descriptors = openDescriptorCount();
    ZipFile* archive = zipOpen(path.c_str());
    // Open or refused, an archive holds no descriptor: a path may list more than the process has.
    EXPECT_EQ(openDescriptorCount(), descriptors) << c.name;
    std::string opened = testing::internal::GetCapturedStderr();
    EXPECT_EQ(archive != nullptr, c.opens) << c.name;
    EXPECT_EQ(opened, c.opens ? "" : "quorvelix: zip " + path.string() + "\n") << c.name;
    if (archive == nullptr) continue;
    ZipEntry* entry = zipFindEntry(archive, "p/C.class");
    ASSERT_NE(entry, nullptr) << c.name;
    Bytes read(zipEntrySize(archive, entry));
    testing::internal::CaptureStderr();
    bool ok = zipReadEntry(archive, entry, read.data(), static_cast<uint32_t>(read.size()));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ok, c.reads) << c.name;
    if (ok) {
      EXPECT_EQ(read, good) << c.name;
    }
    zipClose(archive);
  }
}

TEST_F(ClassPathTest, ArchivePackageTable) {
  Bytes c = markedClass("a/b/C", "x");
  fs::path path = root / "p.jar";
  writeBytes(path, makeZip({{"a/b/C.class", c}, {"a/b/D.class", c}, {"Top.class", c}}));
  ZipFile* archive = zipOpen(path.c_str());
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(archive->packageCount, 2);
  EXPECT_TRUE(zipHasPackage(archive, "a/b/"));
  EXPECT_TRUE(zipHasPackage(archive, ""));
  EXPECT_FALSE(zipHasPackage(archive, "a/"));
  EXPECT_EQ(zipFindEntry(archive, "a/b/E.class"), nullptr);
  zipClose(archive);
}

// A directory written in the order of its names is searched by halves, with no member table: it
// finds what the same members in another order find (the first of two of one name, no name that
// only begins another), in at most one probe more than the halvings of the directory.
TEST_F(ClassPathTest, SortedArchiveDirectoryIsSearchedByHalves) {
  std::vector<std::string> names = {"A.class", "a/B.class", "a/b", "a/b/C.class", "a/b/C.class", "a/b/Cx.class",
                                    "a/bc/D.class", "z/\xff.class"};
  for (int32_t i = 0; i < 1000; i++) {
    char name[32];
    std::snprintf(name, sizeof name, "m/n/M%05d.class", i);
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::vector<ZipMember> sorted;
  for (size_t i = 0; i < names.size(); i++) sorted.push_back({names[i], Bytes(i % 7, static_cast<uint8_t>(i))});
  std::vector<ZipMember> shuffled(sorted.rbegin(), sorted.rend());
  writeBytes(root / "sorted.jar", makeZip(sorted));
  writeBytes(root / "shuffled.jar", makeZip(shuffled));
  ZipFile* inOrder = zipOpen((root / "sorted.jar").c_str());
  ZipFile* outOfOrder = zipOpen((root / "shuffled.jar").c_str());
  ASSERT_NE(inOrder, nullptr);
  ASSERT_NE(outOfOrder, nullptr);
  EXPECT_TRUE(inOrder->sorted);
  EXPECT_FALSE(outOfOrder->sorted);
  EXPECT_EQ(inOrder->entrySlots, nullptr);
  int32_t halvings = 0;
  while ((1 << halvings) < inOrder->entryCount) halvings++;
  std::vector<std::string> keys = names;
  for (const char* missing : {"", "a", "a/", "a/b/", "a/b/C", "a/b/C.clas", "a/b/C.classx", "0", "zz", "m/n/M01000.class"})
    keys.push_back(missing);
  for (const std::string& key : keys) {
    int64_t before = zipProbeCount();
    ZipEntry* found = zipFindEntry(inOrder, key.c_str());
    EXPECT_LE(zipProbeCount() - before, halvings + 1) << key;
    ZipEntry* expected = zipFindEntry(outOfOrder, key.c_str());
    ASSERT_EQ(found != nullptr, expected != nullptr) << key;
    if (found == nullptr) continue;
    EXPECT_EQ(std::string(zipEntryName(inOrder, found), found->nameLength), key);
    // Each the first of its name in its own directory.
    for (const ZipEntry* e = inOrder->entries; e < found; e++)
      EXPECT_NE(std::string(zipEntryName(inOrder, e), e->nameLength), key);
    for (const ZipEntry* e = outOfOrder->entries; e < expected; e++)
      EXPECT_NE(std::string(zipEntryName(outOfOrder, e), e->nameLength), key);
  }
  EXPECT_EQ(zipFindEntry(inOrder, "a/b/C.class") - inOrder->entries, 3);
  EXPECT_TRUE(zipHasPackage(inOrder, "a/b/"));
  EXPECT_TRUE(zipHasPackage(inOrder, ""));
  EXPECT_FALSE(zipHasPackage(inOrder, "m/"));
  zipClose(inOrder);
  zipClose(outOfOrder);
}

// An archive opened through its index answers every lookup and read as the same archive opened
// by reading its directory, sorted or not; an index that no longer matches the archive's length
// and time is not used; a damaged one that still matches answers without a read outside its
// mapping or a probe without end.
TEST_F(ClassPathTest, ArchiveIndexAnswersAsTheDirectory) {
  std::vector<std::string> names = {"A.class", "a/B.class", "a/b/C.class", "a/b/C.class", "a\\w/D.class", "z/\xff.class"};
  for (int32_t i = 0; i < 300; i++) names.push_back("m/n/M" + std::to_string(i) + ".class");
  std::vector<std::string> keys = names;
  for (const char* missing : {"", "a", "a/b/C", "m/n/M300.class", "zz"}) keys.push_back(missing);
  std::vector<std::string> prefixes = {"", "a/", "a/b/", "a\\w/", "m/", "m/n/", "z/", "q/"};
  std::vector<std::string> sortedNames = names;
  std::sort(sortedNames.begin(), sortedNames.end());
  for (const std::vector<std::string>* order : {&names, &sortedNames}) {
    std::vector<ZipMember> members;
    for (size_t i = 0; i < order->size(); i++)
      members.push_back({(*order)[i], Bytes(5 + i % 40, static_cast<uint8_t>(i)), i % 3 == 0});
    fs::path path = root / "indexed.jar";
    fs::remove(path.string() + ZIP_INDEX_SUFFIX);
    writeBytes(path, makeZip(members));
    ZipFile* scanned = zipOpen(path.c_str());
    ASSERT_NE(scanned, nullptr);
    EXPECT_EQ(scanned->index, nullptr);
    ASSERT_TRUE(zipWriteIndex(scanned));
    ZipFile* indexed = zipOpen(path.c_str());
    ASSERT_NE(indexed, nullptr);
    EXPECT_NE(indexed->index, nullptr);
    EXPECT_EQ(indexed->sorted, order == &sortedNames);
    for (const std::string& key : keys) {
      ZipEntry* expected = zipFindEntry(scanned, key.c_str());
      ZipEntry* found = zipFindEntry(indexed, key.c_str());
      ASSERT_EQ(found != nullptr, expected != nullptr) << key;
      if (found == nullptr) continue;
      EXPECT_EQ(found - indexed->entries, expected - scanned->entries) << key;
      uint8_t* owned = nullptr;
      const uint8_t* bytes = zipEntryBytes(indexed, found, &owned);
      ASSERT_NE(bytes, nullptr) << key;
      // Stored members are read in place, deflated ones into a buffer of their own.
      EXPECT_EQ(owned != nullptr, found->method == 8) << key;
      Bytes read(bytes, bytes + zipEntrySize(indexed, found));
      std::free(owned);
      Bytes want(zipEntrySize(scanned, expected));
      ASSERT_TRUE(zipReadEntry(scanned, expected, want.data(), static_cast<uint32_t>(want.size())));
      EXPECT_EQ(read, want) << key;
    }
    for (const std::string& prefix : prefixes)
      EXPECT_EQ(zipHasPackage(indexed, prefix.c_str()), zipHasPackage(scanned, prefix.c_str())) << prefix;
    EXPECT_EQ(zipLongestName(indexed), zipLongestName(scanned));
    zipClose(indexed);
    zipClose(scanned);

    // Damaged tables behind a header that still matches: answers may be wrong, but every lookup ends.
    fs::path indexFile = path.string() + ZIP_INDEX_SUFFIX;
    std::ifstream in(indexFile, std::ios::binary);
    Bytes index((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    for (uint8_t fill : {0x00, 0x7F, 0xFF}) {
      Bytes damaged = index;
      std::fill(damaged.begin() + 64, damaged.end(), fill);
      writeBytes(indexFile, damaged);
      ZipFile* archive = zipOpen(path.c_str());
      ASSERT_NE(archive, nullptr);
      EXPECT_NE(archive->index, nullptr);
      testing::internal::CaptureStderr();
      for (const std::string& key : keys)
        if (ZipEntry* entry = zipFindEntry(archive, key.c_str())) {
          uint8_t* owned = nullptr;
          zipEntryBytes(archive, entry, &owned);
          std::free(owned);
        }
      for (const std::string& prefix : prefixes) zipHasPackage(archive, prefix.c_str());
      testing::internal::GetCapturedStderr();
      zipClose(archive);
    }
    // Cut short, or left behind by a change of the archive: read the directory instead.
    writeBytes(indexFile, Bytes(index.begin(), index.end() - 4));
    ZipFile* cut = zipOpen(path.c_str());
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->index, nullptr);
    zipClose(cut);
    writeBytes(indexFile, index);
    members.pop_back();
    writeBytes(path, makeZip(members));
    ZipFile* changed = zipOpen(path.c_str());
    ASSERT_NE(changed, nullptr);
    EXPECT_EQ(changed->index, nullptr);
    EXPECT_EQ(changed->entryCount, static_cast<int32_t>(members.size()));
    zipClose(changed);
  }
}

// A lookup that grows with the work is a table, not a walk: each kind of lookup counts the records
// it compares, at 1,000 and at 10,000 records.
struct LookupCost {
  const char* name;
  // Makes `n` records of the kind, finds each again, and gives what the counter counted meanwhile.
  std::function<int64_t(int32_t)> probes;
};

TEST_F(ClassPathTest, LookupsThatGrowWithTheWorkDoNotWalk) {
  auto nameOf = [](const char* stem, int32_t i) { return enterName((stem + std::to_string(i)).c_str(), T_IDENTIFIER); };
  std::vector<LookupCost> cases = {
      {"packages",
       [&](int32_t n) {
         Package* parent = package(("many" + std::to_string(n)).c_str());
         int64_t before = packageProbeCount();
         for (int32_t i = 0; i < n; i++) getPackage(parent, nameOf("p", i));
         for (int32_t i = 0; i < n; i++) EXPECT_EQ(getPackage(parent, nameOf("p", i))->name, nameOf("p", i));
         return packageProbeCount() - before;
       }},
      {"source files by name and by path",
       [&](int32_t n) {
         fs::path directory = root / ("sources" + std::to_string(n));
         fs::create_directories(directory);
         std::vector<std::string> names;
         for (int32_t i = 0; i < n; i++) {
           names.push_back((directory / ("S" + std::to_string(i) + ".java")).string());
           std::ofstream(names.back()) << "class S" << i << " {}\n";
         }
         int64_t before = sourceProbeCount();
         for (const std::string& name : names) EXPECT_NE(addSourceFile(name.c_str()), nullptr);
         for (const std::string& name : names) EXPECT_NE(findSourceFile(name.c_str()), nullptr);
         return sourceProbeCount() - before;
       }},
      {"archive members",
       [&](int32_t n) {
         std::vector<ZipMember> members;
         for (int32_t i = 0; i < n; i++) members.push_back({"p/q/M" + std::to_string(i) + ".class", Bytes{}});
         fs::path path = root / ("members" + std::to_string(n) + ".jar");
         writeBytes(path, makeZip(members));
         ZipFile* archive = zipOpen(path.c_str());
         EXPECT_NE(archive, nullptr);
         if (archive == nullptr) return int64_t{0};
         int64_t before = zipProbeCount();
         for (const ZipMember& m : members) EXPECT_NE(zipFindEntry(archive, m.name.c_str()), nullptr);
         EXPECT_EQ(zipFindEntry(archive, "p/q/Missing.class"), nullptr);
         int64_t probes = zipProbeCount() - before;
         zipClose(archive);
         return probes;
       }},
      {"identifiers",
       [&](int32_t n) {
         // Names that differ only at their end, as generated fields and tables have them.
         int64_t before = nameProbeCount();
         for (int32_t i = 0; i < n; i++) nameOf("f", i);
         for (int32_t i = 0; i < n; i++) nameOf("f", i);
         return nameProbeCount() - before;
       }},
      {"single-type imports",
       [&](int32_t n) {
         auto* file = arenaNew<SourceFile>(&global.mainArena);
         Package* imported = package(("imported" + std::to_string(n)).c_str());
         int64_t before = importProbeCount();
         for (int32_t i = 0; i < n; i++) addImport(imported, nameOf("C", i), file, i + 1, 0);
         for (int32_t i = 0; i < n; i++) EXPECT_EQ(findSingleTypeImport(file, nameOf("C", i))->line, i + 1);
         return importProbeCount() - before;
       }},
      {"methods by name, as the declaration checks compare them",
       [&](int32_t n) {
         // A class whose n methods each override one of its superclass's n.
         Identifier* suffix = enterName(std::to_string(n).c_str(), T_IDENTIFIER);
         ClassDef* base = newClassDef(CLASS_KIND_CLASS, joinNames("Base", suffix, nullptr, -1));
         ClassDef* derived = newClassDef(CLASS_KIND_CLASS, joinNames("Derived", suffix, nullptr, -1));
         derived->superclass = newClassRef(nullptr, base->name, base, 0, derived, 0, 0);
         for (ClassDef* c : {base, derived}) {
           auto* file = arenaNew<SourceFile>(&global.mainArena);
           c->sourceFile = file;
           Member** tail = &c->members;
           for (int32_t i = 0; i < n; i++) {
             Member* m = newMember(nameOf("m", i), i + 1, 0, 0, &voidType, 1, 0, 0, nullptr, nullptr);
             m->owner = c;
             *tail = m;
             tail = &m->next;
           }
         }
         int64_t before = memberIndexProbeCount();
         int32_t errors = global.errorCount;
         checkClassDef(derived);
         EXPECT_EQ(global.errorCount, errors);
         return memberIndexProbeCount() - before;
       }},
  };
  // A few probes per record at either size; a walk of a list would take thousands at 10,000.
  for (const LookupCost& c : cases) {
    for (int32_t n : {1000, 10000}) {
      int64_t probes = c.probes(n);
      EXPECT_GT(probes, 0) << c.name;
      EXPECT_LE(probes, 4 * n) << c.name << ": " << probes << " probes for " << n;
    }
  }
}

}  // namespace
