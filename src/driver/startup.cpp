// Start-up of the console program. The message and locale directories and the development kit
// are found from the program's own location, so an installed tree works wherever it is put.
#include "driver/startup.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>
#include <utility>

#include "driver/compile_driver.h"
#include "platform/host_path.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/encodings.h"
#include "support/fatal_stops.h"
#include "support/file_io.h"
#include "support/global.h"
#include "support/locale_name.h"
#include "support/message_file.h"
#include "support/multibyte_strings.h"

bool fileExists(const char* path) {
  char hostName[HOST_PATH_MAX];
  struct stat status;
  return toHostPath(path, hostName, sizeof hostName) && stat(hostName, &status) == 0;
}

void* checkedMalloc(size_t size) {
  void* block = heapAllocate(size);
  if (block == nullptr) outOfMemory();
  return block;
}

void freeMemory(void* block) {
  std::free(block);
}

// Appends one directory separator ("/" on this host) unless the path is empty or already ends
// with one; the buffer has room for it.
void appendPathSeparator(char* path) {
  size_t length = std::strlen(path);
  if (length == 0 || endsWithPathSeparator(path)) return;
  path[length] = '/';
  path[length + 1] = '\0';
}

static char* concatenate(std::initializer_list<const char*> parts) {
  size_t length = 0;
  for (const char* part : parts) length += std::strlen(part);
  char* text = static_cast<char*>(checkedMalloc(length + 3));
  text[0] = '\0';
  for (const char* part : parts) std::strcat(text, part);
  return text;
}

static const char* environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

char* findZpkHome(const char* programDirectory, const char* kitPath) {
  char* besideProgram = concatenate({programDirectory, "/", kitPath});
  size_t directoryLength = std::strlen(programDirectory);
  if (endsWithPathSeparator(programDirectory))
    std::strcpy(besideProgram + directoryLength, kitPath);
  const char* candidates[] = {besideProgram, environmentValue("_QV_ZPK"), environmentValue("JAVA_HOME"),
                              "/usr/local/zpk1.2"};
  const char* chosen = nullptr;
  for (const char* candidate : candidates) {
    if (candidate == nullptr) continue;
    const char* resolved = fullPath(candidate);
    if (resolved != nullptr && fileExists(resolved)) {
      chosen = resolved;
      break;
    }
  }
  if (chosen == nullptr) {
    chosen = ".";
    warningAt(nullptr, 0, 0, "warn.cannot.find.zpk");
  }
  size_t length = std::strlen(chosen);
  char* home = static_cast<char*>(heapAllocate(length + 2));
  if (home != nullptr) {
    std::memcpy(home, chosen, length + 1);
    appendPathSeparator(home);
  }
  freeMemory(besideProgram);
  if (home == nullptr) outOfMemory();
  return home;
}

// The directory part of the program's name, or where the running executable lies.
static char* programDirectoryOf(char* programName) {
  char* separator = programName != nullptr ? lastPathSeparator(programName) : nullptr;
  if (separator != nullptr) {
    *separator = '\0';
    return concatenate({programName[0] != '\0' ? programName : "/"});
  }
  char directory[HOST_PATH_MAX];
  if (executableDirectory(directory, sizeof directory)) return concatenate({directory});
  return concatenate({"."});
}

[[noreturn]] static void startupOutOfMemory() {
  useDefaultMessages();
  messageAt(nullptr, 0, 0, "out.of.memory");
  messageAt(nullptr, 0, 0, "error.count", "1");
  std::exit(1);
}

namespace {

// The strings start-up makes: what the driver takes over is handed to it, the rest is freed when
// start-up ends, also when memory runs out part of the way.
struct StartupStrings {
  char* programDirectory = nullptr;
  char* messageDirectory = nullptr;
  char* localeDirectory = nullptr;
  char* home = nullptr;
  char* classPath = nullptr;
  char* bootClassPath = nullptr;
  char** arguments = nullptr;
  int argumentCount = 0;  // the copies made so far
  StartupStrings() = default;
  StartupStrings(const StartupStrings&) = delete;
  StartupStrings& operator=(const StartupStrings&) = delete;
  ~StartupStrings() {
    for (char* text : {programDirectory, messageDirectory, localeDirectory, home, classPath, bootClassPath})
      freeMemory(text);
    freeArgv(argumentCount, arguments);
  }
};

}  // namespace

int consoleMain(int argc, char** argv) {
  std::free(std::malloc(512000));
  try {
    StartupStrings made;
    initMemory();
    global.localeName = getLocaleName();
    // The paths below are split by characters of the locale just set.
    global.maxCharBytes = static_cast<int32_t>(MB_CUR_MAX);
    made.programDirectory = programDirectoryOf(argc > 0 ? argv[0] : nullptr);
    made.messageDirectory = concatenate({made.programDirectory, "/../../lib/"});
    made.localeDirectory = concatenate({made.programDirectory, "/../lib/locale/", global.localeName, "/"});
    // The kit warning below must find its text.
    setMessageLocation(made.messageDirectory, made.localeDirectory);
    made.home = findZpkHome(made.programDirectory, "../../../ZPK12/");
    // An empty CLASSPATH is no class path: the driver takes ".", as for one that is not set.
    const char* classPathValue = environmentValue("CLASSPATH");
    made.classPath = classPathValue != nullptr ? concatenate({classPathValue}) : nullptr;
    const char separator[] = {HOST_PATH_LIST_SEPARATOR, '\0'};
    const char* home = made.home;
    made.bootClassPath =
        concatenate({home, "classes", separator, home, "lib/classes.zip", separator, home, "jre/lib/rt.jar"});
    made.arguments = static_cast<char**>(checkedMalloc(sizeof(char*) * (argc > 0 ? argc : 1)));
    for (int i = 1; i < argc; i++) {
      made.arguments[i - 1] = concatenate({argv[i]});
      made.argumentCount = i;
    }
    // The driver owns these from here on; the directories stay with it for the whole run.
    char** arguments = std::exchange(made.arguments, nullptr);
    made.argumentCount = 0;
    internalTolvo(argc > 0 ? argc - 1 : 0, arguments, std::exchange(made.messageDirectory, nullptr),
                  std::exchange(made.localeDirectory, nullptr), std::exchange(made.bootClassPath, nullptr), nullptr,
                  std::exchange(made.classPath, nullptr), nullptr, 0);
  } catch (const CompileStop&) {
    // Only start-up itself runs out of memory here: the driver catches every stop of the compile.
    // The message files may not be known yet, and there is no memory to read them.
    startupOutOfMemory();
  } catch (const std::bad_alloc&) {
    startupOutOfMemory();
  }
  // Lines of the compile that standard output did not take (dependency lines, the banner, on a
  // full disk or a closed descriptor) make it fail, as a class file that could not be written does.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    messageAt(nullptr, 0, 0, "output.write.failed");
    std::exit(1);
  }
  std::exit(global.errorCount != 0 ? 1 : 0);
}
