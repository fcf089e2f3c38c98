// The one compiler-state record shared by every subsystem. It is zero at process start and zeroed
// whole at the end of an in-process compile, so it holds plain data only: pointers into the arenas
// or the C heap, never an owning C++ container.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <type_traits>

#include "support/arena.h"
#include "support/parser_context.h"

struct Identifier;
struct SourceFile;
struct ZipFile;

// Why a compile ended early. A stop unwinds to the driver as a CompileStop carrying the code.
enum StopCode : int32_t {
  STOP_NONE = 0,
  STOP_ERROR_LIMIT = 1,
  STOP_OUT_OF_MEMORY = 2,
  STOP_MESSAGE_LIMIT = 3,
  STOP_FATAL = 4,
};

struct CompileStop {
  int32_t code;
};

// Leaves through the innermost armed compile trap (a try block of the driver, the option parser or
// the evaluator).
[[noreturn]] void stopCompile(int32_t code);

// The identifier table starts with this many buckets and doubles as names come.
constexpr int32_t IDENTIFIER_BUCKETS = 1024;

using MessageCallback = void (*)(const char* text);

struct Global {
  int32_t maxCharBytes;

  // Memory.
  Arena mainArena;
  Arena tempArena;
  Arena genArena;
  Arena* currentArena;

  // Sources.
  SourceFile* sources;
  SourceFile* current;

  // Work buffers (C heap).
  uint16_t* nameBuffer;
  int32_t nameLength;
  int32_t nameCapacity;
  char* scratchBuffer;
  int32_t scratchSize;
  char* charBuffer;
  int32_t charSize;
  char* classFileBuffer;
  int32_t classFileSize;

  // Identifier table: buckets in the main arena, a power of two of them; none before the first name.
  Identifier** identifierTable;
  uint32_t identifierBuckets;
  uint32_t identifierCount;
  // Escaped texts already reported as unconvertible to the host encoding: an open hash set whose
  // capacity is a power of two, in the main arena.
  char** warnedTexts;
  int32_t warnedTextCapacity;
  int32_t warnedTextCount;
  Identifier* lengthName;
  Identifier* cloneName;

  // Paths and locale.
  char* outputDirectory;
  char* messageDirectory;
  char* localeDirectory;
  const char* localeName;
  char* bootClassPath;
  char* extDirs;
  char* classPath;
  char** classPathEntries;
  ZipFile** classPathArchives;
  char* sourcePath;
  char** sourcePathEntries;
  ZipFile** sourcePathArchives;

  // Mode and output flags.
  uint8_t evaluating;
  uint8_t localVariableTables;
  uint8_t lineNumbers;
  uint8_t dependencyOutput;
  int32_t traceLevel;
  uint8_t noMessages;
  uint8_t noWarnings;
  MessageCallback messageCallback;
  uint8_t verbose;

  // Counters and limits.
  int32_t errorCount;
  int32_t warningCount;
  int32_t maxErrors;    // 0: no limit
  int32_t maxMessages;  // errors plus warnings; 0: no limit
  uint8_t pipeOutput;

  // Traps. The compile trap is a try block around the code that may stop (see stopCompile); the
  // crash trap is a jump buffer because it is reached from a signal handler.
  sigjmp_buf fatalTrap;
  int32_t abortOnFatal;

  // Further option flags.
  uint8_t optimize;
  uint8_t deprecation;
  uint8_t deprecationAfterNoWarn;  // -deprecation came after -nowarn: its warnings still print
  uint8_t noWrite;
  uint8_t writeClassFiles;  // the generation pass writes what it generates (compile_driver.cpp)
  uint8_t printVersion;
  uint8_t sourcePathAttribute;
  uint8_t echoTokens;
  uint8_t scanOnly;
  uint8_t noI18n;
  char* i18nApi;
  char* workingDirectory;
  int32_t deprecatedUses;
  const char* defaultEncoding;
  const char* sourceEncoding;
  // The host's name of the encoding that source files are converted from to UTF-8 when read; null
  // when they are decoded in the locale's own codeset.
  const char* sourceConversion;
  uint8_t noSourceFileAttribute;  // "-g:none", or a "-g:" list without "source"
  uint8_t warningsAsErrors;       // "-Werror"
  const char* sourceRelease;      // the last "-source" and "-target", checked once all options are read
  const char* targetRelease;
  uint8_t warningsFailed;         // "-Werror" has failed the compile
  int32_t optionWarnings;         // warnings the options gave, which "-Werror" leaves alone

  ParserContext ctx;
  // Parts of the text passed over by syntax errors so far: a declaration parse that adds to it
  // leaves its class or file with members or imports missing (syntax/compilation_unit.h).
  int32_t skippedParts;
  int32_t parseNesting;  // levels of nested classes, blocks and expressions being parsed
  // Captured values that a class took after its synthetic members were used (CLASS_CAPTURES_USED):
  // the local class being compiled around it is generated again (syntax/nested_classes.cpp).
  int32_t lateCaptures;
  int32_t generationRound;  // one more for every local class generated again
  int32_t regenerating;     // local classes being generated again
  uint8_t parseNestingReported;  // "nesting.too.deep" given for the level now passed over
  // Where the parse must stop on the calling thread's stack, 0 for no such point (a thread with a
  // stack of the console program's size), and the levels it allowed once it was reached.
  uintptr_t stackFloor;
  int32_t parseNestingLimit;
};

static_assert(std::is_trivially_copyable_v<Global>, "global must be zeroable whole");

extern Global global;

// One zeroed record from the arena that node, type and scope constructors use.
template <class T>
T* currentNew() {
  return arenaNew<T>(global.currentArena);
}

// Trace word values.
constexpr int32_t TRACE_GENERAL = 1;
constexpr int32_t TRACE_DUMP_MESSAGES = 2;     // compared for equality
constexpr int32_t TRACE_ARGUMENTS = 4;         // compared for equality
constexpr int32_t TRACE_MESSAGE_FORMAT = 8;
constexpr int32_t TRACE_NOT_LOCALIZED = 16;
constexpr int32_t TRACE_FLOW = 64;
