// Start-up of the console program. The message and locale directories and the development kit
// are found from the program's own location, so an installed tree works wherever it is put.
#include "driver/startup.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

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
  void* block = std::malloc(size);
  if (block == nullptr) outOfMemory();
  return block;
}

void freeMemory(void* block) {
  std::free(block);
}

// Appends one directory separator ("/" on this host) unless the path is empty or already ends
// with one; the buffer has room for it.
void appendBackslash(char* path) {
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
  char* home = static_cast<char*>(checkedMalloc(length + 2));
  std::memcpy(home, chosen, length + 1);
  appendBackslash(home);
  freeMemory(besideProgram);
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

int consoleMain(int argc, char** argv) {
  std::free(std::malloc(512000));
  try {
    initMemory();
    global.localeName = getLocaleName();
    // The paths below are split by characters of the locale just set.
    global.maxCharBytes = static_cast<int32_t>(MB_CUR_MAX);
    char* programDirectory = programDirectoryOf(argc > 0 ? argv[0] : nullptr);
    char* messageDirectory = concatenate({programDirectory, "/../../lib/"});
    char* localeDirectory = concatenate({programDirectory, "/../lib/locale/", global.localeName, "/"});
    // The kit warning below must find its text.
    setMessageLocation(messageDirectory, localeDirectory);
    char* home = findZpkHome(programDirectory, "../../../ZPK12/");
    freeMemory(programDirectory);
    // An empty CLASSPATH is no class path: the driver takes ".", as for one that is not set.
    const char* classPathValue = environmentValue("CLASSPATH");
    char* classPath = classPathValue != nullptr ? concatenate({classPathValue}) : nullptr;
    const char separator[] = {HOST_PATH_LIST_SEPARATOR, '\0'};
    char* bootClassPath = concatenate({home, "classes", separator, home, "lib/classes.zip", separator, home,
                                       "jre/lib/rt.jar"});
    char** arguments = static_cast<char**>(checkedMalloc(sizeof(char*) * (argc > 0 ? argc : 1)));
    for (int i = 1; i < argc; i++) arguments[i - 1] = concatenate({argv[i]});
    internalTolvo(argc > 0 ? argc - 1 : 0, arguments, messageDirectory, localeDirectory, bootClassPath, nullptr,
                  classPath, nullptr, 0);
    freeMemory(home);
  } catch (const CompileStop&) {
    // Only start-up itself gets here: the driver catches every stop of the compile.
    std::fputs("quorvelix: out.of.memory\n", stderr);
    std::exit(1);
  }
  std::exit(global.errorCount != 0 ? 1 : 0);
}
