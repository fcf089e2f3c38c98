// Finding classes when they are first named: the class table, then class files along the class
// path (a directory's class file loses to a newer source of the class on the source path), then
// source files along the source path, parsed and checked on the spot. A name that is not found
// gets an error placeholder, so it is reported once.
#include "semantic/class_lookup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "semantic/class_names.h"
#include "semantic/class_reader.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/declaration_checks.h"
#include "semantic/element_names.h"
#include "semantic/imports.h"
#include "semantic/passes.h"
#include "semantic/type_records.h"
#include "semantic/zip_reader.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/fatal_stops.h"
#include "support/file_io.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/multibyte_strings.h"
#include "support/parser_context.h"
#include "support/path_cache.h"
#include "support/source_file.h"
#include "syntax/compilation_unit.h"
#include "syntax/declarators.h"
#include "syntax/method_bodies.h"
#include "syntax/parser_state.h"
#include "syntax/scanner.h"
#include "syntax/scopes.h"

namespace {

// A name in the host encoding, never empty for a non-empty name.
void appendNative(std::string* text, const Identifier* name) {
  resetNameBuffer();
  appendIdentifier(name);
  *text += nameBufferToNative(&global.tempArena);
}

void forgetEntryLists(Package* package);

// Appends the package's components, outermost first, each followed by the separator; false after
// a directory that could not be made.
bool appendPackage(std::string* text, Package* package, bool makeDirs, char separator) {
  std::vector<Package*> outward;
  for (Package* p = package; !isUnnamedPackage(p); p = p->parent) outward.push_back(p);
  for (auto component = outward.rbegin(); component != outward.rend(); ++component) {
    Package* p = *component;
    // A long dotted name is probed at each of its components: each is converted once.
    if (p->nativeName == nullptr) {
      std::string native;
      appendNative(&native, p->name);
      p->nativeName = mainArenaCopy(native.c_str());
    }
    *text += p->nativeName;
    if (makeDirs) {
      if (p->outputDirectoryFailed) return false;
      if (!p->outputDirectoryMade) {
        if (!isDirectory(text->c_str())) {
          if (!makeDirectoryCached(text->c_str())) {
            errorInFile(global.current, 0, 0, "cant.make.dir", text->c_str());
            p->outputDirectoryFailed = 1;
            return false;
          }
          // The output directory may be on the paths: the package's entries are looked for again.
          forgetEntryLists(p);
        }
        p->outputDirectoryMade = 1;
      }
    }
    *text += separator;
  }
  return true;
}

char* arenaString(const std::string& text) {
  char* copy = arenaNewArray<char>(&global.mainArena, text.size() + 1);
  std::memcpy(copy, text.data(), text.size());
  return copy;
}

struct ClassPathEntry {
  const char* name;
  ZipFile* archive;
};

// Whether a reference's mention of the class should report anything.
bool reportsAt(int32_t line) {
  return line > 0;
}

ClassDef* usable(ClassDef* cls) {
  return cls != nullptr && cls->kind != CLASS_KIND_ERROR ? cls : nullptr;
}

// The classes are the same file's and package's, compared without regard to case.
bool sameIgnoringCase(const Identifier* a, const Identifier* b) {
  if (a == nullptr || b == nullptr || a->length != b->length) return false;
  const uint16_t* x = identifierChars(a);
  const uint16_t* y = identifierChars(b);
  for (int32_t i = 0; i < a->length; i++) {
    uint16_t p = x[i] >= 'A' && x[i] <= 'Z' ? x[i] + 32 : x[i];
    uint16_t q = y[i] >= 'A' && y[i] <= 'Z' ? y[i] + 32 : y[i];
    if (p != q) return false;
  }
  return true;
}

}  // namespace

// The entries of a search path that may hold a package's classes, in path order: an archive with
// members in the package's directory, a directory entry in which the package's directory exists.
// A package's directory lies in its outer package's, so a package's list is made from its outer
// package's: a class path of thousands of directories is probed once per package and entry that
// still holds it, and a lookup walks only the entries that hold the package. A list stays good
// while the path is the same, and until the compiler makes the package's directory in the output
// directory (which may be on the paths too).
struct PathEntryList {
  char** entries;  // the path it was made for; null when it is to be made again
  int32_t count;
  int32_t capacity;
  int32_t* indices;
  // For a directory entry, the node of the package's directory in it, whose listing answers which
  // files it has; null for an archive.
  PathNode** directories;
};

namespace {

// What a compile without a path has.
const PathEntryList noEntries{};

PathEntryList*& entryListOf(Package* package, bool sourcePath) {
  return sourcePath ? package->sourceEntries : package->classEntries;
}

bool isCurrent(const PathEntryList* list, char** entries) {
  return list != nullptr && list->entries == entries;
}

void forgetEntryLists(Package* package) {
  for (PathEntryList* list : {package->classEntries, package->sourceEntries})
    if (list != nullptr) list->entries = nullptr;
}

void keepEntry(PathEntryList* list, int32_t index, PathNode* directory) {
  if (list->count == list->capacity) {
    int32_t capacity = list->capacity > 0 ? list->capacity * 2 : 4;
    auto* grown = arenaNewArray<int32_t>(&global.mainArena, capacity);
    auto* grownDirectories = arenaNewArray<PathNode*>(&global.mainArena, capacity);
    if (list->count > 0) {
      std::memcpy(grown, list->indices, sizeof(int32_t) * list->count);
      std::memcpy(grownDirectories, list->directories, sizeof(PathNode*) * list->count);
    }
    list->indices = grown;
    list->directories = grownDirectories;
    list->capacity = capacity;
  }
  list->directories[list->count] = directory;
  list->indices[list->count++] = index;
}

// The package's list from its outer package's (none for an unnamed package, whose entries are
// the path's own): the archives that have the package's directory, and of the outer package's
// directories those in which the package's directory exists, merged in path order.
void makeEntryList(PathEntryList* list, Package* package, const PathEntryList* outer, char** entries,
                   ZipFile** archives) {
  list->count = 0;
  bool unnamed = isUnnamedPackage(package);
  const char* prefix = nullptr;
  int32_t next = 0;
  for (int32_t i = 0; entries[i] != nullptr; i++) {
    if (archives[i] != nullptr) {
      // A directory name longer than every member is not made (a package of a long dotted name).
      if (!unnamed && package->nameLength > zipLongestName(archives[i])) continue;
      if (prefix == nullptr) prefix = zipEntryPath(unnamed ? nullptr : package, nullptr, "");
      if (zipHasPackage(archives[i], prefix)) keepEntry(list, i, nullptr);
      continue;
    }
    if (entries[i][0] == '\0') continue;
    if (unnamed) {
      keepEntry(list, i, directoryNode(entries[i]));
      continue;
    }
    // Only a directory of the outer package's list can hold the package.
    while (next < outer->count && outer->indices[next] < i) next++;
    if (next == outer->count || outer->indices[next] != i) continue;
    // Without the final separator: the path a made directory is known by.
    std::string directory = entryFilePath(entries[i], package, nullptr, "");
    if (!directory.empty() && directory.back() == '/') directory.pop_back();
    if (PathNode* node = directoryNode(directory.c_str())) keepEntry(list, i, node);
  }
}

// The entries of the class path (or the source path) that may hold the package. The lists of its
// outer packages are made first, from the outermost one that is not yet current inwards, with a
// stack of their own.
const PathEntryList* entriesHolding(Package* package, bool sourcePath) {
  char** entries = sourcePath ? global.sourcePathEntries : global.classPathEntries;
  ZipFile** archives = sourcePath ? global.sourcePathArchives : global.classPathArchives;
  if (entries == nullptr) return &noEntries;
  // The source path is the class path's own arrays unless "-sourcepath" was given.
  if (sourcePath && entries == global.classPathEntries) sourcePath = false;
  if (package == nullptr) package = &rootPackage;
  std::vector<Package*> open;
  for (Package* p = package; !isCurrent(entryListOf(p, sourcePath), entries); p = p->parent) {
    open.push_back(p);
    if (isUnnamedPackage(p)) break;
  }
  for (auto p = open.rbegin(); p != open.rend(); ++p) {
    PathEntryList*& list = entryListOf(*p, sourcePath);
    if (list == nullptr) list = arenaNew<PathEntryList>(&global.mainArena);
    const PathEntryList* outer = isUnnamedPackage(*p) ? nullptr : entryListOf((*p)->parent, sourcePath);
    makeEntryList(list, *p, outer, entries, archives);
    list->entries = entries;
  }
  return entryListOf(package, sourcePath);
}

// Whether the package's directory may hold the file that `member` (its path in the entry) names:
// the directory's listing answers for its last component.
bool directoryMayHold(PathNode* directory, const char* member) {
  const char* leaf = std::strrchr(member, '/');
  leaf = leaf != nullptr ? leaf + 1 : member;
  return directoryMayHold(directory, leaf, static_cast<int32_t>(std::strlen(leaf)));
}

// A file of the package's directory in a directory entry: the entry, a separator unless it ends in
// one, and the file's path relative to the entry.
const char* pathInEntry(std::string* text, const char* entry, const char* relative) {
  text->assign(entry);
  if (!text->empty() && !endsWithPathSeparator(entry)) *text += '/';
  *text += relative;
  return text->c_str();
}

// `member` is the class file's path inside an entry, made once for every entry looked in; a path
// is kept only for a class file that is read.
ClassDef* findClassFileInEntry(const char* entryName, ZipFile* archive, PathNode* directory, Package* package,
                               Identifier* name, const char* member, int32_t line, int32_t column) {
  const char* path = nullptr;
  if (archive != nullptr) {
    if (zipFindEntry(archive, member) == nullptr) return nullptr;
    path = member;
  } else {
    if (entryName == nullptr || entryName[0] == '\0') return nullptr;
    if (directory != nullptr && !directoryMayHold(directory, member)) return nullptr;
    std::string text;
    int64_t classTime = 0;
    // Only a regular file is read: a directory, FIFO or device of the name is passed over.
    if (!isRegularFileCached(pathInEntry(&text, entryName, member), &classTime)) return nullptr;
    // A newer source of the class on the source path wins over this class file.
    const PathEntryList* sources = entriesHolding(package, true);
    const char* sourceMember = sources->count > 0 ? zipEntryPath(package, name, ".java") : nullptr;
    std::string sourceText;
    for (int32_t k = 0; k < sources->count; k++) {
      int32_t i = sources->indices[k];
      if (global.sourcePathArchives[i] != nullptr) continue;
      if (sources->directories[k] != nullptr && !directoryMayHold(sources->directories[k], sourceMember)) continue;
      const char* source = pathInEntry(&sourceText, global.sourcePathEntries[i], sourceMember);
      if (!isRegularFileCached(source, nullptr)) continue;
      int64_t sourceTime = 0;
      if (isPathExistingCached(source, &sourceTime) && classTime < sourceTime) return nullptr;
      break;
    }
    path = mainArenaCopy(text.c_str());
    member = nullptr;
  }
  ClassDef* cls = newClassDef(CLASS_KIND_CLASS, name);
  cls->classFilePath = const_cast<char*>(path);
  addClassToPackage(package, cls);
  loadClassFile(cls, archive, member, line, column);
  if (cls->package == nullptr) cls->package = package;
  if (cls->kind == CLASS_KIND_ERROR) {
    cls->state |= CLASS_UNREADABLE;
    return cls;
  }
  if (cls->binaryName == name && cls->package == package) return cls;
  if (cls->package == package && sameIgnoringCase(cls->binaryName, name)) {
    // On a file system that ignores case, Foo.class answers for foo: look on.
    removeClassFromPackage(package, cls);
    if (archive == nullptr) forgetPathExists(path);
    return nullptr;
  }
  char* read = makeDottedName(cls->package, cls->binaryName);
  errorAt(line, column, "wrong.class.name", path, makeDottedName(package, name), read);
  cls->kind = CLASS_KIND_ERROR;
  cls->state |= CLASS_UNREADABLE;
  return cls;
}

// A member name has at least a byte per character: a name longer than every member is not made.
bool archiveMayHold(ZipFile* archive, Package* package, Identifier* name) {
  int64_t length = (package != nullptr ? package->nameLength : 0) + (name != nullptr ? name->length : 0);
  return length <= zipLongestName(archive);
}

ClassDef* lookupAlongClassPath(Package* package, Identifier* name, int32_t line, int32_t column) {
  const PathEntryList* holding = entriesHolding(package, false);
  const char* member = holding->count > 0 ? zipEntryPath(package, name, ".class") : nullptr;
  for (int32_t k = 0; k < holding->count; k++) {
    int32_t i = holding->indices[k];
    ZipFile* archive = global.classPathArchives[i];
    if (archive != nullptr && !archiveMayHold(archive, package, name)) continue;
    ClassDef* cls = findClassFileInEntry(global.classPathEntries[i], archive, holding->directories[k], package, name,
                                         member, line, column);
    if (cls != nullptr) return cls;
  }
  return nullptr;
}

// A file parsed on demand: parsed and checked with the state of the interrupted work put aside.
void parseOnDemand(SourceFile* file) {
  ClassReadSession reads;
  NestedParseScope nested;
  parseCompilationUnit(file);
  SourceFile* current = global.current;
  global.current = file;
  for (ImportRecord* import = file->imports; import != nullptr; import = import->next) resolveImport(import);
  global.current = current;
  checkClassesOfFile(file);
}

void mergeFlags(ClassRef* ref, ClassDef* cls) {
  ref->flags |= cls->flags;
  cls->flags = ref->flags;
}

}  // namespace

char* makePath(const char* directory, const char* sourceFileName, Package* package, Identifier* name, bool makeDirs,
               char separator, bool withDirectory, const char* extension) {
  std::string text;
  bool usePackage = true;
  if (withDirectory && separator != '.') {
    if (directory != nullptr) {
      text = directory;
      if (!text.empty() && !endsWithPathSeparator(directory)) text += separator;
    } else {
      // Without an output directory a class file goes beside its source.
      const char* last = sourceFileName != nullptr ? lastPathSeparator(sourceFileName) : nullptr;
      if (last != nullptr) text.assign(sourceFileName, last - sourceFileName + 1);
      usePackage = false;
    }
  }
  if (usePackage) {
    std::string prefix = text;
    if (!appendPackage(&text, package, makeDirs, separator)) return nullptr;
    if (separator == '.' && name == nullptr && text.size() > prefix.size()) text.pop_back();
  }
  if (name != nullptr) {
    appendNative(&text, name);
    if (separator != '.' && extension != nullptr) text += extension;
  }
  return arenaString(text);
}

namespace {

// Characters that every host codeset spells as the same bytes, which a name's conversion passes
// through as they stand.
bool isPlainName(const Identifier* name) {
  const uint16_t* c = identifierChars(name);
  for (int32_t i = 0; i < name->length; i++)
    if (c[i] >= 0x80 || c[i] == '\\' || c[i] == '~') return false;
  return true;
}

}  // namespace

// A member's path is made for every class looked for in an archive: names of plain characters are
// copied straight into it, from its end back; any other takes makePath's conversion.
char* zipEntryPath(Package* package, Identifier* name, const char* extension) {
  size_t extensionLength = name != nullptr && extension != nullptr ? std::strlen(extension) : 0;
  size_t length = (name != nullptr ? name->length : 0) + extensionLength;
  bool plain = name == nullptr || isPlainName(name);
  for (const Package* p = package; plain && !isUnnamedPackage(p); p = p->parent) {
    plain = isPlainName(p->name);
    length += p->name->length + 1;
  }
  if (!plain) return makePath(nullptr, nullptr, package, name, false, '/', false, extension);
  auto* path = static_cast<char*>(arenaAllocUncleared(&global.mainArena, length + 1));
  char* end = path + length;
  *end = '\0';
  if (name != nullptr) {
    end -= extensionLength;
    std::memcpy(end, extension, extensionLength);
    end -= name->length;
    for (int32_t i = 0; i < name->length; i++) end[i] = static_cast<char>(identifierChars(name)[i]);
  }
  for (const Package* p = package; !isUnnamedPackage(p); p = p->parent) {
    *--end = '/';
    end -= p->name->length;
    for (int32_t i = 0; i < p->name->length; i++) end[i] = static_cast<char>(identifierChars(p->name)[i]);
  }
  return path;
}

char* entryFilePath(const char* directory, Package* package, Identifier* name, const char* extension) {
  return makePath(directory, nullptr, package, name, false, '/', true, extension);
}

char* classFilePath(ClassDef* cls, bool makeDirs) {
  computeBinaryName(cls);
  const char* source = cls->sourceFile != nullptr ? cls->sourceFile->name : nullptr;
  return makePath(global.outputDirectory, source, cls->package, cls->binaryName, makeDirs, '/', true, ".class");
}

char* makeDottedName(Package* package, Identifier* name) {
  return makePath(nullptr, nullptr, package, name, false, '.', false, nullptr);
}

// A package exists where classes of it can come from: the class path, the sources of the
// compile, and the directories of the source path (sources are never taken from archives).
bool packageExists(Package* package) {
  if (package->inSources) return true;
  if (entriesHolding(package, false)->count > 0) return true;
  if (global.sourcePathEntries == global.classPathEntries) return false;
  // Sources are never taken from archives.
  const PathEntryList* sources = entriesHolding(package, true);
  for (int32_t k = 0; k < sources->count; k++)
    if (global.sourcePathArchives[sources->indices[k]] == nullptr) return true;
  return false;
}

ClassDef* findClassFile(Package* package, Identifier* name, int32_t line, int32_t column) {
  return lookupAlongClassPath(package, name, line, column);
}

SourceFile* findAndParseSourceOnPath(Package* package, Identifier* name, int32_t, int32_t) {
  const PathEntryList* holding = entriesHolding(package, true);
  const char* member = holding->count > 0 ? zipEntryPath(package, name, ".java") : nullptr;
  std::string text;
  for (int32_t k = 0; k < holding->count; k++) {
    int32_t i = holding->indices[k];
    const char* entry = global.sourcePathEntries[i];
    if (global.sourcePathArchives[i] != nullptr || entry[0] == '\0') continue;
    if (holding->directories[k] != nullptr && !directoryMayHold(holding->directories[k], member)) continue;
    if (!isRegularFileCached(pathInEntry(&text, entry, member), nullptr)) continue;
    char* path = mainArenaCopy(text.c_str());
    if (findSourceFile(path) != nullptr) return nullptr;
    return addSourceFile(path);
  }
  return nullptr;
}

void loadClassFile(ClassDef* cls, ZipFile* archive, const char* entry, int32_t line, int32_t column) {
  // Messages name an archive's member with its archive: a.jar(p/C.class).
  std::string shown;
  const char* path = cls->classFilePath;
  if (archive != nullptr) {
    shown.append(archive->name).append("(").append(entry != nullptr ? entry : "").append(")");
    path = shown.c_str();
  }
  // A stored member is read where it lies in the archive's mapping; anything else into a buffer of
  // its own.
  const uint8_t* bytes = nullptr;
  uint8_t* buffer = nullptr;
  int64_t size = 0;
  if (archive != nullptr) {
    ZipEntry* member = zipFindEntry(archive, entry);
    uint64_t memberSize = zipEntrySize(archive, member);
    if (member != nullptr && memberSize <= MAX_CLASS_FILE_SIZE) {
      size = static_cast<int64_t>(memberSize);
      bytes = zipEntryBytes(archive, member, &buffer);
    }
  } else if (FileHandle* file = openFile(path, "rb")) {
    size = file->length;
    if (size >= 1 && size <= MAX_CLASS_FILE_SIZE) {
      buffer = static_cast<uint8_t*>(heapAllocate(size));
      if (buffer == nullptr) outOfMemory();
      if (readFile(buffer, 1, size, file) == size) {
        bytes = buffer;
      } else {
        std::free(buffer);
        buffer = nullptr;
      }
    }
    closeFile(file);
  }
  if (bytes == nullptr) {
    errorAt(line, column, "cant.read.classfile", path);
    cls->kind = CLASS_KIND_ERROR;
    return;
  }
  // A stop raised while the class is read (the error limit) must not leak the bytes.
  std::unique_ptr<uint8_t, decltype(&std::free)> owned(buffer, &std::free);
  Arena* saved = global.currentArena;
  global.currentArena = &global.mainArena;
  loadClassFromBuffer(path, cls, bytes, static_cast<int32_t>(size), line, column);
  global.currentArena = saved;
  owned.reset();
  if (global.verbose) {
    if (archive != nullptr)
      messageAt(nullptr, 0, 0, "verbose.loaded.zip.class", archive->name, entry);
    else
      messageAt(nullptr, 0, 0, "verbose.loaded.class", path);
  }
}

ClassDef* newErrorClass(Identifier* name) {
  return newClassDef(CLASS_KIND_ERROR, name);
}

ClassDef* lookupClass(Package* package, Identifier* name, int32_t line, int32_t column) {
  if (name == nullptr) return nullptr;
  if (package == nullptr) package = &rootPackage;
  ClassDef* cls = findClassInPackage(package, name, 0, 0);
  if (cls == nullptr) cls = findClassFile(package, name, line, column);
  if (cls == nullptr) {
    if (SourceFile* file = findAndParseSourceOnPath(package, name, line, column)) {
      parseOnDemand(file);
      if (file->package == package) cls = findClassInPackage(package, name, 0, 0);
      if (cls == nullptr)
        errorAt(line, column, "class.not.in.source", file->name, identToString(name), packageToString(package));
    }
  }
  if (cls == nullptr) {
    ClassDef* placeholder = newErrorClass(name);
    placeholder->package = package;
    addClassToPackage(package, placeholder);
    return nullptr;
  }
  if (cls->kind == CLASS_KIND_ERROR) return (cls->state & CLASS_UNREADABLE) ? cls : nullptr;
  // Source names a member class Outer.Inner; its binary name Outer$Inner is reported but found.
  if (line > 0 && cls->name != cls->binaryName && !readingClassFile())
    errorAt(line, column, "using.dollar.class", classToString(cls));
  noteDeprecatedClassUse(cls, line, column);
  return cls;
}

ClassDef* loadClass(Package* package, Identifier* name, int32_t line, int32_t column) {
  return usable(lookupClass(package, name, line, column));
}

namespace {
void findClassOfRef(SourceFile* file, ClassDef* fromClass, ClassRef* ref);
}  // namespace

// Resolves a mention of a class from fromClass's body (its source file standing for `file`), once.
// A qualified name is looked up as findClassInScope says (the package's class, else a member class
// of a class the qualifier names), its access checked; none found is "undef.class". A simple name
// is looked for in this order, the first that has it winning:
//  1. fromClass itself;
//  2. a local class in scope or a member class of fromClass and its supertypes, else an enclosing
//     class of the name or one of its local or member classes (findInnerClassUnique), access checked;
//  3. a single-type import of the name (resolved on first need; a failed one's placeholder stands,
//     so its uses stay silent);
//  4. a class of the file's own package;
//  5. the on-demand imports: the member classes an imported class declares, else the imported
//     package's classes; two different classes found so that fromClass may use are "ambig.class";
//  6. java.lang, where a different class of the name beside one from step 5 is "ambig.class".
// Nothing found is "undef.class". Reports are given only for a mention with a line; a reported
// failure leaves an error class as the resolution, so that the name is reported once. The
// resolution is set before the access check, which for a protected member class walks the
// superclasses of `fromClass`, and so perhaps this very reference.
void resolveClassRef(SourceFile* file, ClassDef* fromClass, ClassRef* ref) {
  if (ref == nullptr) return;
  if (ref->resolved != nullptr) {
    computeBinaryName(ref->resolved);
    return;
  }
  // A class's references are resolved, checked and reported in its own file, whichever file is
  // being worked on when one is first needed (a supertype met through a subclass elsewhere).
  struct CurrentFile {
    SourceFile* saved = global.current;
    explicit CurrentFile(SourceFile* file) {
      if (file != nullptr) global.current = file;
    }
    ~CurrentFile() { global.current = saved; }
    CurrentFile(const CurrentFile&) = delete;
    CurrentFile& operator=(const CurrentFile&) = delete;
  } current(fromClass != nullptr ? fromClass->sourceFile : nullptr);
  findClassOfRef(file, fromClass, ref);
  // In a body the lookups noted a deprecated class already; a declaration's mention is noted here.
  ClassDef* cls = usable(ref->resolved);
  if (cls != nullptr && (cls->flags & CF_DEPRECATED) && global.ctx.enclosing == nullptr && reportsAt(ref->line) &&
      global.current != nullptr && !readingClassFile() && usedFromAnotherClass(fromClass, cls))
    warnDeprecated(cls, nullptr, nullptr, nullptr, ref->line, ref->column);
}

namespace {

void findClassOfRef(SourceFile* file, ClassDef* fromClass, ClassRef* ref) {
  if (fromClass != nullptr) file = fromClass->sourceFile;
  int32_t line = ref->line;
  int32_t column = ref->column;
  bool report = reportsAt(line);
  Identifier* name = ref->name;
  if (ref->package != nullptr) {
    ClassDef* cls = findClassInScope(ref->package, name, fromClass, line, column);
    if (cls != nullptr) ref->resolved = cls;
    if (usable(cls) != nullptr) {
      mergeFlags(ref, cls);
      checkClassAccess(fromClass, cls, line, column);
    }
    if (cls == nullptr && report) {
      errorAt(line, column, "undef.class", classRefToString(ref));
      ref->resolved = newErrorClass(name);
    }
    return;
  }
  if (fromClass != nullptr && fromClass->name == name) {
    ref->resolved = fromClass;
    return;
  }
  if (fromClass != nullptr) {
    if (ClassDef* inner = findInnerClassUnique(fromClass, name, line, column, fromClass)) {
      mergeFlags(ref, inner);
      ref->resolved = inner;
      checkClassAccess(fromClass, inner, line, column);
      return;
    }
  }
  ClassDef* found = nullptr;
  // An on-demand import imports only the classes the file may use: one it may not use is no rival
  // of another, and is the answer (its access reported) only when there is none.
  ClassDef* unusable = nullptr;
  if (file != nullptr) {
    // The newest import of the name first; the older ones of it are asked only when it failed.
    for (ImportRecord* import = findSingleTypeImport(file, name); import != nullptr; import = import->next) {
      if (import->className != name) continue;
      if ((import->flags & IMPORT_RESOLVED) == 0) {
        SourceFile* importing = global.current;
        global.current = import->file;
        resolveImport(import);
        global.current = importing;
      }
      // A failed import was reported there; its placeholder keeps later uses silent.
      if (import->resolved != nullptr) {
        ref->resolved = import->resolved;
        return;
      }
    }
    found = lookupClass(file->package, name, line, column);
    if (found != nullptr) {
      // Always accessible, but one declared in a file named otherwise is warned about.
      ref->resolved = found;
      if (usable(found) != nullptr) checkClassAccess(fromClass, found, line, column);
      return;
    }
    for (ImportRecord* import = file->imports; import != nullptr; import = import->next) {
      if (import->className != nullptr) continue;
      // Access is checked once, for the class chosen. A class's import on demand imports the
      // member classes it declares, not those it inherits.
      ClassDef* candidate = nullptr;
      if (usable(import->resolved) == nullptr) {
        candidate = lookupClass(import->package, name, line, column);
      } else if ((candidate = findDeclaredMemberClass(import->resolved, name)) != nullptr) {
        noteDeprecatedClassUse(candidate, line, column);
      }
      if (candidate == nullptr || candidate == found) continue;
      if (usable(candidate) != nullptr && !isClassAccessible(fromClass, candidate)) {
        if (unusable == nullptr) unusable = candidate;
        continue;
      }
      if (found != nullptr) {
        if (report) errorAt(line, column, "ambig.class", classRefToString(ref));
        ref->resolved = newErrorClass(name);
        return;
      }
      found = candidate;
    }
  }
  if (javaLangPackage != nullptr) {
    ClassDef* lang = lookupClass(javaLangPackage, name, line, column);
    if (lang != nullptr && found != nullptr && lang != found) {
      if (report) errorAt(line, column, "ambig.class", classRefToString(ref));
      ref->resolved = newErrorClass(name);
      return;
    }
    if (found == nullptr) found = lang;
  }
  if (found == nullptr) found = unusable;
  if (found != nullptr) {
    ref->resolved = found;
    if (usable(found) != nullptr) checkClassAccess(fromClass, found, line, column);
    return;
  }
  if (report) {
    errorAt(line, column, "undef.class", classRefToString(ref));
    ref->resolved = newErrorClass(name);
  }
}

}  // namespace

void resolveRef(ClassRef* ref) {
  if (ref == nullptr) return;
  if (ref->context == nullptr) {
    ref->context = global.ctx.enclosing;
    resolveClassRef(global.current, ref->context, ref);
  } else {
    resolveClassRef(nullptr, ref->context, ref);
  }
}

void resolveOrError(ClassRef* ref, int32_t line, int32_t column) {
  if (ref->resolved != nullptr) {
    computeBinaryName(ref->resolved);
    return;
  }
  ClassDef* cls = lookupClass(ref->package, ref->name, ref->line, ref->column);
  if (cls != nullptr) {
    ref->resolved = cls;
    return;
  }
  errorAt(ref->line != 0 ? ref->line : line, ref->line != 0 ? ref->column : column, "undef.class",
          classRefToString(ref));
  ref->resolved = newErrorClass(ref->name);
}

// Each package of the qualifier may itself be a class: p.q.C is the class C of package p.q, or the
// member class C of a class q of package p, and so on outwards. The levels are worked through from
// the first one that is settled back in to the name, with a stack of their own, not a recursion per
// package.
ClassDef* findClassInScope(Package* package, Identifier* name, ClassDef* fromClass, int32_t line, int32_t column) {
  struct Level {
    Package* package;
    Identifier* name;
  };
  std::vector<Level> open;
  ClassDef* found;
  for (;; name = package->name, package = package->parent) {
    // A probe, not a use: a name that is no class here is reported by the caller.
    if (isUnnamedPackage(package)) {
      found = resolveClassByName(name, fromClass, 0, 0);
      break;
    }
    if ((found = usable(findClassInPackage(package, name, line, column))) != nullptr) break;
    open.push_back({package, name});
  }
  for (auto level = open.rbegin(); level != open.rend(); ++level) {
    ClassDef* outer = found;
    ClassDef* inner = usable(outer) != nullptr ? findInnerClassUnique(outer, level->name, line, column, fromClass) : nullptr;
    ClassDef* member = lookupClass(level->package, level->name, line, column);
    if (inner == nullptr) {
      // A class whose file cannot be used stands, silently, for the members looked for in it.
      found = member == nullptr && outer != nullptr && outer->kind == CLASS_KIND_ERROR ? outer : member;
      continue;
    }
    // The qualifier is used as a class; the class found is checked by the caller, once.
    checkClassAccess(fromClass, outer, line, column);
    if (member != nullptr && inner != member) errorAt(line, column, "class.dups.package", classToString(inner->outer));
    found = inner;
  }
  return found;
}

ClassDef* declareClass(ClassRef* ref) {
  initStringType();
  return enterClassStub(ref);
}

ClassDef* enterClassStub(ClassRef* ref) {
  Package* package = ref->package != nullptr ? ref->package : &rootPackage;
  ClassDef* cls = findClassInPackage(package, ref->name, 0, 0);
  if (cls == nullptr) {
    cls = newClassDef(CLASS_KIND_CLASS, ref->name);
    addClassAtPackageHead(package, cls);
  }
  ref->resolved = cls;
  return cls;
}

bool isResolvedType(Type* type) {
  while (type != nullptr && type->kind == TK_ARRAY) type = type->element;
  if (type == nullptr) return false;
  if (type->kind != TK_CLASS) return true;
  resolveRef(type->classRef);
  return type->classRef != nullptr && type->classRef->resolved != nullptr;
}

bool namesMissingClass(Type* type) {
  while (type != nullptr && type->kind == TK_ARRAY) type = type->element;
  if (type == nullptr || type->kind != TK_CLASS) return false;
  if (!isResolvedType(type)) return true;
  return type->classRef->resolved->kind == CLASS_KIND_ERROR;
}

void resolveMemberTypes(ClassDef* cls, Member* m) {
  m->owner = cls;
  isResolvedType(m->type);
  if (m->kind == MK_VARIABLE) {
    if (cls->kind == CLASS_KIND_INTERFACE) m->modifiers |= M_PUBLIC | M_STATIC | M_FINAL;
    return;
  }
  if (m->kind != MK_METHOD && m->kind != MK_CONSTRUCTOR) return;
  for (ThrowsEntry* t = m->throwsList; t != nullptr; t = t->next) resolveRef(t->classRef);
  for (Parameter* p = m->parameters; p != nullptr; p = p->next) isResolvedType(p->type);
  if (cls->kind == CLASS_KIND_INTERFACE) {
    m->modifiers |= M_PUBLIC | M_ABSTRACT;
  } else if ((m->modifiers & (M_STRICTFP | M_WIDEFP)) == 0) {
    if (cls->flags & CF_STRICTFP) m->modifiers |= M_STRICTFP;
    if (cls->flags & CF_WIDEFP) m->modifiers |= M_WIDEFP;
  }
}

void declareMember(ClassDef* cls, Member* member) {
  resolveMemberTypes(cls, member);
  if ((member->modifiers & M_STATIC) == 0 && member->kind == MK_VARIABLE)
    member->slot = allocLocalSlots(member->type != nullptr ? slotsForKind(member->type->kind) : 1);
}

// Only a field of primitive type or String with an initializer can be a constant: its initializer
// is parsed and attributed at its position, which decides its constant state and value.
void evaluateFieldConstant(Member* field) {
  Type* type = field->type;
  bool candidate = type != nullptr && (isPrimitiveType(type) || (stringClass() != nullptr && isClassType(type, stringClass())));
  if (!candidate || field->bodyOffset == 0)
    field->constantState = CONSTANT_NONE;
  else
    parseFieldInitializerFresh(field);
}

void checkClassesOfFile(SourceFile* file) {
  Package* package = file->package;
  for (ClassDef* cls = package->firstClass; cls != nullptr; cls = cls->next)
    if (cls->sourceFile == file && cls->outer == nullptr) forClassAndInner(cls, nameAndResolveSupertypes);
  for (ClassDef* cls = package->firstClass; cls != nullptr; cls = cls->next)
    if (cls->sourceFile == file && cls->outer == nullptr) forClassAndInner(cls, evaluateClassFieldConstants);
  for (ClassDef* cls = package->firstClass; cls != nullptr; cls = cls->next)
    if (cls->sourceFile == file && cls->outer == nullptr) forClassAndInner(cls, checkClass);
}
