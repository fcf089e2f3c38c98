// The option table, tested in order; the first match applies. Option values are copied into the
// main arena, so the argument they came from can be freed at once.
#include "driver/options.h"

#include <cstdlib>
#include <cstring>

#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/encodings.h"
#include "support/global.h"
#include "support/multibyte_strings.h"

const char* const usageKeys[] = {
    "usage.tolvo",     "usage.options.heading", "usage.help",        "usage.classpath",
    "usage.bootclasspath", "usage.extdirs",     "usage.sourcepath",  "usage.d",
    "usage.g",         "usage.O",               "usage.xdepend",     "usage.qeb",
    "usage.nomessage", "usage.nowarn",          "usage.nowrite",     "usage.err",
    "usage.msg",       "usage.deprecation",     "usage.encoding",    "usage.version",
    "usage.V",         "usage.depend",          "usage.verbose",     "usage.debug",
    "usage.J",         "usage.njc",             "usage.gnodebug",    "usage.Ointerclass",
    "usage.uncomment", "usage.scanonly",        "usage.noi18n",      "usage.i18napi",
    "usage.argfile",   "usage.cp",              "usage.gnone",       "usage.glist",
    "usage.source",    "usage.target",          "usage.Werror",      "usage.X",
    "usage.processors",
};
const int32_t usageKeyCount = sizeof usageKeys / sizeof usageKeys[0];

void printUsage() {
  static bool printed;
  if (printed) return;
  for (int32_t i = 0; i < usageKeyCount; i++) messageAtArgs(nullptr, 0, 0, usageKeys[i], MessageArguments{});
  printed = true;
}

namespace {

enum OptionAction {
  OPT_HELP,
  OPT_OUTPUT,
  OPT_CLASSPATH,
  OPT_SOURCEPATH,
  OPT_BOOTCLASSPATH,
  OPT_EXTDIRS,
  OPT_ENCODING,
  OPT_DEPENDENCIES,
  OPT_DEPRECATION,
  OPT_DEBUG_TABLES,
  OPT_NO_DEBUG_TABLES,
  OPT_TRACE_ONE,
  OPT_TRACE,
  OPT_NO_MESSAGES,
  OPT_NO_WARNINGS,
  OPT_IGNORED,
  OPT_NO_WRITE,
  OPT_VERBOSE,
  OPT_OPTIMIZE,
  OPT_VERSION,
  OPT_UNIMPLEMENTED,
  OPT_MAX_ERRORS,
  OPT_MAX_MESSAGES,
  OPT_JAVA,
  OPT_SOURCE_PATH_ATTRIBUTE,
  OPT_UNCOMMENT,
  OPT_SCAN_ONLY,
  OPT_NO_I18N,
  OPT_I18N_API,
  OPT_NO_DEBUG_INFO,
  OPT_DEBUG_LIST,
  OPT_SOURCE_RELEASE,
  OPT_TARGET_RELEASE,
  OPT_WARNINGS_AS_ERRORS,
  OPT_EXTRA,
  OPT_GENERATED_SOURCES,
};

struct Option {
  const char* text;
  size_t prefix;  // 0: exact match; else the number of characters compared
  OptionAction action;
};

const Option options[] = {
    {"-help", 0, OPT_HELP},
    {"-d", 0, OPT_OUTPUT},
    {"-classpath", 0, OPT_CLASSPATH},
    {"-sourcepath", 0, OPT_SOURCEPATH},
    {"-bootclasspath", 0, OPT_BOOTCLASSPATH},
    {"-extdirs", 0, OPT_EXTDIRS},
    {"-encoding", 9, OPT_ENCODING},
    {"-qeb", 0, OPT_DEPENDENCIES},
    {"-deprecation", 0, OPT_DEPRECATION},
    {"-xdepend", 0, OPT_DEPENDENCIES},
    {"-g", 0, OPT_DEBUG_TABLES},
    {"-g:nodebug", 0, OPT_NO_DEBUG_TABLES},
    {"-=", 0, OPT_TRACE_ONE},
    {"-=", 2, OPT_TRACE},
    {"-nomessage", 0, OPT_NO_MESSAGES},
    {"-nowarn", 0, OPT_NO_WARNINGS},
    {"-depend", 0, OPT_IGNORED},
    {"-nowrite", 0, OPT_NO_WRITE},
    {"-verbose", 0, OPT_VERBOSE},
    {"-O", 0, OPT_OPTIMIZE},
    {"-O:interclass", 0, OPT_OPTIMIZE},
    {"-nologo", 0, OPT_IGNORED},
    {"-V", 0, OPT_VERSION},
    {"-version", 0, OPT_VERSION},
    {"-debug", 0, OPT_UNIMPLEMENTED},
    {"-err=", 5, OPT_MAX_ERRORS},
    {"-msg=", 5, OPT_MAX_MESSAGES},
    {"-J", 2, OPT_JAVA},
    {"-njc", 0, OPT_SOURCE_PATH_ATTRIBUTE},
    {"-uncomment", 0, OPT_UNCOMMENT},
    {"-scanonly", 0, OPT_SCAN_ONLY},
    {"-noi18n", 0, OPT_NO_I18N},
    {"-i18napi", 0, OPT_I18N_API},
    // The spellings of the peers' compilers that build tools pass.
    {"-cp", 0, OPT_CLASSPATH},
    {"-g:none", 0, OPT_NO_DEBUG_INFO},
    {"-g:", 3, OPT_DEBUG_LIST},
    {"-source", 0, OPT_SOURCE_RELEASE},
    {"-target", 0, OPT_TARGET_RELEASE},
    {"-Werror", 0, OPT_WARNINGS_AS_ERRORS},
    {"-X", 2, OPT_EXTRA},
    // What the peers do with annotation processors, which this compiler does not run: nothing is
    // generated, and sources found on the paths are compiled.
    {"-s", 0, OPT_GENERATED_SOURCES},
    {"-proc:none", 0, OPT_IGNORED},
    {"-implicit:class", 0, OPT_IGNORED},
};

// The "-X" options whose value is the next argument; every other one carries its value in itself.
const char* const extraOptionsWithValue[] = {"-Xmaxerrs", "-Xmaxwarns", "-Xstdout"};

bool isExtraOptionWithValue(const char* argument) {
  for (const char* option : extraOptionsWithValue)
    if (stringsEqual(argument, option)) return true;
  return false;
}

// The debugging information a "-g:" list names: "source", "lines" and "vars", separated by
// commas, in any order; false for an empty list or any other word.
struct DebugInfo {
  bool source;
  bool lines;
  bool vars;
};

void setDebugInfo(const DebugInfo& info) {
  global.localVariableTables = info.vars;
  global.lineNumbers = info.lines;
  global.noSourceFileAttribute = !info.source;
}

bool parseDebugList(const char* list, DebugInfo* info) {
  *info = DebugInfo{false, false, false};
  for (const char* p = list;; p++) {
    const char* end = std::strchr(p, ',');
    size_t length = end != nullptr ? static_cast<size_t>(end - p) : std::strlen(p);
    auto is = [&](const char* word) { return length == std::strlen(word) && std::strncmp(p, word, length) == 0; };
    if (is("source"))
      info->source = true;
    else if (is("lines"))
      info->lines = true;
    else if (is("vars"))
      info->vars = true;
    else
      return false;
    if (end == nullptr) return true;
    p = end;
  }
}

// The language levels the compiler reads (the Java 1.1 language with inner classes) and the one
// class-file version it writes.
bool isSupportedSource(const char* release) {
  return stringsEqual(release, "1.1") || stringsEqual(release, "1.2") || stringsEqual(release, "1.3");
}

bool isSupportedTarget(const char* release) {
  return stringsEqual(release, "1.1");
}

const Option* findOption(const char* argument) {
  for (const Option& option : options) {
    bool matches = option.prefix == 0 ? stringsEqual(argument, option.text)
                                      : stringsEqualN(argument, option.text, option.prefix);
    if (matches) return &option;
  }
  return nullptr;
}

bool needsValue(OptionAction action) {
  switch (action) {
    case OPT_OUTPUT:
    case OPT_CLASSPATH:
    case OPT_SOURCEPATH:
    case OPT_BOOTCLASSPATH:
    case OPT_EXTDIRS:
    case OPT_I18N_API:
    case OPT_SOURCE_RELEASE:
    case OPT_TARGET_RELEASE:
    case OPT_GENERATED_SOURCES:
      return true;
    default:
      return false;
  }
}

void setPath(char** field, const char* option, const char* value) {
  if (*field != nullptr) errorInFile(nullptr, 0, 0, "duplicate.option", option);
  *field = mainArenaCopy(value);
}

}  // namespace

int32_t parseOptions(int count, char** arguments) {
  global.lineNumbers = 1;
  int32_t sources = 0;
  bool help = false;
  for (int i = 0; i < count; i++) {
    char* argument = arguments[i];
    if (argument == nullptr) continue;
    if (argument[0] != '-') {
      sources++;
      continue;
    }
    const Option* option = findOption(argument);
    DebugInfo debugInfo{};
    if (option != nullptr && option->action == OPT_DEBUG_LIST && !parseDebugList(argument + 3, &debugInfo))
      option = nullptr;
    // An option the compile cannot go on with: reported, then the driver exits.
    if (option == nullptr) {
      try {
        fatalError(nullptr, 0, 0, "bad.option", argument);
      } catch (const CompileStop&) {
      }
      return -1;
    }
    const char* value = nullptr;
    bool takesNext = needsValue(option->action) || (option->action == OPT_ENCODING && argument[9] == '\0') ||
                     (option->action == OPT_EXTRA && isExtraOptionWithValue(argument));
    char* consumed = nullptr;
    if (takesNext) {
      if (i + 1 >= count || arguments[i + 1] == nullptr) {
        try {
          fatalError(nullptr, 0, 0, "option.value.missing", argument);
        } catch (const CompileStop&) {
        }
        return -1;
      }
      consumed = arguments[++i];
      arguments[i] = nullptr;
      value = consumed;
    } else if (option->action == OPT_ENCODING) {
      value = argument + 9;
    }
    switch (option->action) {
      case OPT_HELP: help = true; break;
      case OPT_OUTPUT: global.outputDirectory = mainArenaCopy(value); break;
      case OPT_CLASSPATH: setPath(&global.classPath, argument, value); break;
      case OPT_SOURCEPATH: setPath(&global.sourcePath, argument, value); break;
      case OPT_BOOTCLASSPATH: setPath(&global.bootClassPath, argument, value); break;
      case OPT_EXTDIRS: setPath(&global.extDirs, argument, value); break;
      case OPT_ENCODING:
        global.sourceEncoding = mainArenaCopy(value);
        setEncodings(global.defaultEncoding, global.sourceEncoding);
        break;
      case OPT_DEPENDENCIES: global.dependencyOutput = 1; break;
      case OPT_DEPRECATION:
        global.deprecation = 1;
        global.deprecationAfterNoWarn = 1;
        break;
      case OPT_DEBUG_TABLES: setDebugInfo(DebugInfo{true, true, true}); break;
      case OPT_NO_DEBUG_TABLES:
        global.localVariableTables = 0;
        global.lineNumbers = 0;
        break;
      case OPT_TRACE_ONE: global.traceLevel = 1; break;
      case OPT_TRACE: global.traceLevel = std::atoi(argument + 2); break;
      case OPT_NO_MESSAGES: global.noMessages = 1; break;
      case OPT_NO_WARNINGS:
        global.noWarnings = 1;
        global.deprecationAfterNoWarn = 0;
        break;
      case OPT_IGNORED: break;
      case OPT_NO_WRITE: global.noWrite = 1; break;
      case OPT_VERBOSE: global.verbose = 1; break;
      case OPT_OPTIMIZE: global.optimize = 1; break;
      case OPT_VERSION: global.printVersion = 1; break;
      case OPT_UNIMPLEMENTED: warningAt(nullptr, 0, 0, "warn.unimplemented.option", argument); break;
      case OPT_MAX_ERRORS: global.maxErrors = std::atoi(argument + 5); break;
      case OPT_MAX_MESSAGES: global.maxMessages = std::atoi(argument + 5); break;
      case OPT_JAVA:
        if (stringsEqual(argument, "-J-Dtolvo.pipe.output=true")) global.pipeOutput = 1;
        break;
      case OPT_SOURCE_PATH_ATTRIBUTE: global.sourcePathAttribute = 1; break;
      case OPT_UNCOMMENT:
        global.echoTokens = 1;
        global.scanOnly = 1;
        break;
      case OPT_SCAN_ONLY: global.scanOnly = 1; break;
      case OPT_NO_I18N: global.noI18n = 1; break;
      case OPT_I18N_API: global.i18nApi = mainArenaCopy(value); break;
      case OPT_NO_DEBUG_INFO: setDebugInfo(DebugInfo{false, false, false}); break;
      case OPT_DEBUG_LIST: setDebugInfo(debugInfo); break;
      case OPT_SOURCE_RELEASE: global.sourceRelease = mainArenaCopy(value); break;
      case OPT_TARGET_RELEASE: global.targetRelease = mainArenaCopy(value); break;
      case OPT_WARNINGS_AS_ERRORS: global.warningsAsErrors = 1; break;
      case OPT_GENERATED_SOURCES: break;
      case OPT_EXTRA:
        // The one "-X" option with a behaviour of its own here: the error limit.
        if (stringsEqual(argument, "-Xmaxerrs"))
          global.maxErrors = std::atoi(value);
        else
          warningAt(nullptr, 0, 0, "warn.unimplemented.option", argument);
        break;
    }
    std::free(consumed);
  }
  // As for the peers, the last -source and -target count: a build tool may put its own defaults
  // before the user's values.
  if (global.sourceRelease != nullptr && !isSupportedSource(global.sourceRelease))
    errorInFile(nullptr, 0, 0, "source.release", global.sourceRelease);
  if (global.targetRelease != nullptr && !isSupportedTarget(global.targetRelease))
    errorInFile(nullptr, 0, 0, "target.release", global.targetRelease);
  if (help) printUsage();
  return sources;
}
