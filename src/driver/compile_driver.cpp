// One whole compile: traps and signals, message location and encodings, options, search paths,
// the source files and the fixed sequence of passes, then the closing notes and summaries.
#include "driver/compile_driver.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "codegen/class_file_output.h"
#include "codegen/class_generation.h"
#include "driver/argument_files.h"
#include "driver/options.h"
#include "driver/search_paths.h"
#include "driver/source_passes.h"
#include "driver/wildcards.h"
#include "platform/crash_signals.h"
#include "semantic/class_table.h"
#include "semantic/passes.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/encodings.h"
#include "support/fatal_stops.h"
#include "support/global.h"
#include "support/message_file.h"
#include "support/path_cache.h"
#include "support/source_file.h"
#include "syntax/nested_classes.h"
#include "syntax/scanner.h"

void freeArgv(int count, char** arguments) {
  if (arguments == nullptr) return;
  for (int i = 0; i < count; i++) {
    std::free(arguments[i]);
    arguments[i] = nullptr;
  }
  std::free(arguments);
}

void onFatalSignal(int) {
  std::fflush(stdout);
  writeToStandardError("quorvelix: Internal compiler error, SEGV, ILL, or FPE\n");
  abortIfStandalone();
  siglongjmp(global.fatalTrap, 1);
}

static ZipFile** newArchiveArray(int32_t slots) {
  return arenaNewArray<ZipFile*>(&global.mainArena, slots);
}

static char** newEntryArray(int32_t slots) {
  return arenaNewArray<char*>(&global.mainArena, slots);
}

// Lookup order: the boot class path, the output directory, the class path.
static void buildSearchPaths() {
  int32_t slots = 1 + countPathEntries(global.bootClassPath) + (global.outputDirectory != nullptr ? 1 : 0) +
                  countPathEntries(global.classPath);
  global.classPathEntries = newEntryArray(slots);
  global.classPathArchives = newArchiveArray(slots);
  splitPathList(global.classPathEntries, global.classPathArchives, global.bootClassPath);
  if (global.outputDirectory != nullptr)
    appendPathEntry(global.classPathEntries, global.classPathArchives, global.outputDirectory);
  splitPathList(global.classPathEntries, global.classPathArchives, global.classPath);

  if (global.sourcePath != nullptr) {
    slots = countPathEntries(global.sourcePath) + 1;
    global.sourcePathEntries = newEntryArray(slots);
    global.sourcePathArchives = newArchiveArray(slots);
    splitPathList(global.sourcePathEntries, global.sourcePathArchives, global.sourcePath);
  } else {
    global.sourcePathEntries = global.classPathEntries;
    global.sourcePathArchives = global.classPathArchives;
  }
}

static void printArguments(int count, char** arguments) {
  std::printf("internalTolvo: args\n");
  for (int i = 0; i < count; i++)
    std::printf("args[%d] = \"%s\"\n", i, arguments[i] != nullptr ? arguments[i] : "nil");
}

// With "-Werror" the warnings of the sources fail the compile: reported before the generation pass,
// no class file is written; warnings that come while bodies are generated keep their source's
// classes from being written (diagnostics) and fail the compile at the end.
static void failOnWarnings() {
  if (!global.warningsAsErrors || global.warningsFailed || global.warningCount <= global.optionWarnings) return;
  global.warningsFailed = 1;
  errorInFile(nullptr, 0, 0, "warnings.as.errors");
}

static void runPasses() {
  parseAllFiles();
  initJavaIo();
  resolveImports();
  resolveAllSupertypes();
  initStringBufferMethods();
  resolveImports();
  resolveAllSupertypes();
  checkAllClasses();
  resolveImports();
  resolveAllSupertypes();
  evaluateAllFieldConstants();
  failOnWarnings();
  // The bodies are checked whatever the passes before reported; class files are written, and
  // dependency lines printed for them, only by a compile without "-nowrite" and without an error
  // so far.
  global.writeClassFiles = global.errorCount == 0 && !global.noWrite;
  if (!global.writeClassFiles) global.dependencyOutput = 0;
  resolveImports();
  resolveAllSupertypes();
  generateAllClasses();
}

static void compileSources(int count, char** arguments) {
  for (int i = 0; i < count; i++)
    if (arguments[i] != nullptr && arguments[i][0] != '-') addSourceFile(arguments[i]);
  if (global.sources == nullptr) return;
  if (global.scanOnly) {
    scanOnlyFiles();
    return;
  }
  runPasses();
}

static void printSummaries() {
  if (global.deprecatedUses != 0 && !global.deprecation && !global.noWarnings) {
    int32_t files = 0;
    SourceFile* only = nullptr;
    for (SourceFile* file = global.sources; file != nullptr; file = file->next) {
      if (file->deprecationUsed != 0) {
        files++;
        only = file;
      }
    }
    if (files == 1)
      messageAt(nullptr, 0, 0, "deprecation.file", only->name);
    else
      messageAt(nullptr, 0, 0, "deprecations.count", intToString(files));
    global.warningCount += global.deprecatedUses;
  }
  if (global.warningCount != 0 && (!global.noWarnings || global.deprecationAfterNoWarn)) {
    if (global.warningCount > 1)
      messageAt(nullptr, 0, 0, "warnings.count", intToString(global.warningCount));
    else
      messageAt(nullptr, 0, 0, "warning.count", "1");
  }
  if (global.errorCount != 0) {
    if (global.errorCount > 1)
      messageAt(nullptr, 0, 0, "errors.count", intToString(global.errorCount));
    else
      messageAt(nullptr, 0, 0, "error.count", "1");
  }
}

int32_t internalTolvo(int count, char** arguments, char* messageDirectory, char* localeDirectory,
                      char* bootClassPath, char* extDirs, char* classPath, char* sourcePath,
                      int32_t inProcess) {
  global.maxCharBytes = static_cast<int32_t>(MB_CUR_MAX);
  global.abortOnFatal = 1;
  if (sigsetjmp(global.fatalTrap, 1) != 0) std::abort();
  // In-process the entry has armed handlers of its own, which leave the host's signals to the host.
  if (inProcess == 0) {
    installCrashHandlers(onFatalSignal);
    removeTemporariesOnInterrupt();
  }
  global.messageDirectory = messageDirectory;
  global.localeDirectory = localeDirectory;
  setMessageLocation(messageDirectory, localeDirectory);
  global.defaultEncoding = nullptr;
  global.sourceEncoding = nullptr;

  int32_t stop = STOP_NONE;
  try {
    setEncodings(nullptr, nullptr);
    initScanner();
    resetClassTable();
    resetCodeGeneration();
    setLocalClassGenerator(generateLocalClass);
    global.currentArena = &global.mainArena;
    global.maxErrors = 20;
    global.maxMessages = 50;
    // An argument file that cannot be read leaves nothing sound to compile, as a bad option does.
    if (!expandArgumentFiles(&count, &arguments)) std::exit(1);
    expandWildcards(&count, &arguments);
    int32_t sources = parseOptions(count, arguments);
    global.optionWarnings = global.warningCount;
    if (arguments != nullptr && global.traceLevel == TRACE_ARGUMENTS) printArguments(count, arguments);
    if (global.printVersion) {
      std::printf("quorvelix: %s %s (quorvelix %s)\n", "Hollowmere 3.0", "", "3.0dev");
      std::fflush(stdout);
    }
    // A bad option has been reported in one line: the usage text is for a call with no sources.
    if (sources <= 0) {
      if (sources == 0 && !global.printVersion) printUsage();
      std::exit(1);
    }
    if (global.outputDirectory != nullptr && !isDirectory(global.outputDirectory)) {
      try {
        fatalError(nullptr, 0, 0, "dest.not.dir", global.outputDirectory);
      } catch (const CompileStop&) {
      }
      std::exit(1);
    }
    if (global.bootClassPath == nullptr) global.bootClassPath = bootClassPath;
    if (global.extDirs == nullptr) global.extDirs = extDirs;
    if (global.classPath == nullptr) global.classPath = classPath;
    if (global.sourcePath == nullptr) global.sourcePath = sourcePath;
    if (global.classPath == nullptr) global.classPath = mainArenaCopy(".");
    buildSearchPaths();
  } catch (const CompileStop& s) {
    stop = s.code;
  } catch (const std::bad_alloc&) {
    stop = STOP_OUT_OF_MEMORY;
  }

  if (stop == STOP_NONE) {
    try {
      compileSources(count, arguments);
      failOnWarnings();
    } catch (const CompileStop& s) {
      stop = s.code;
    } catch (const std::bad_alloc&) {
      // The walk stacks and tables that own their memory run out as the arenas do.
      stop = STOP_OUT_OF_MEMORY;
    }
  }

  // A stop while the closing notes print (memory for the message table, the limit while the
  // messages are dumped) ends that step only.
  try {
    // A compile that ran out of memory failed; so did one stopped by anything else, whether or not
    // an error was counted before.
    if (stop == STOP_OUT_OF_MEMORY || (stop != STOP_NONE && global.errorCount == 0)) global.errorCount++;
    if (stop == STOP_ERROR_LIMIT) messageAt(nullptr, 0, 0, "too.many.errors");
    if (stop == STOP_OUT_OF_MEMORY) messageAt(nullptr, 0, 0, "out.of.memory");
    if (stop == STOP_MESSAGE_LIMIT) messageAt(nullptr, 0, 0, "too.many.messages");
  } catch (const CompileStop&) {
  }
  try {
    deleteListedFiles();
    dropKeptClassFiles();
    printSummaries();
    if (global.traceLevel == TRACE_DUMP_MESSAGES) dumpAllMessages();
  } catch (const CompileStop&) {
  }

  std::free(bootClassPath);
  std::free(extDirs);
  std::free(classPath);
  std::free(sourcePath);
  freeArgv(count, arguments);

  int32_t errors = global.errorCount;
  resetEncodings();
  // In-process everything goes, the error count too: what runs next in the process (a compile,
  // an evaluation) starts from zero.
  if (inProcess == 1) releaseMemory();
  return errors;
}
