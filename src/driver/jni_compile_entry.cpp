// The in-process compile entry. Each call is a whole compile from a zero state, whatever ran before
// it in the process (another compile, an evaluation), and gives back everything it took.
#include "driver/jni_compile_entry.h"

#include <cstdio>
#include <cstdlib>

#include "driver/compile_driver.h"
#include "evaluate/expression_evaluation.h"
#include "platform/jni_environment.h"
#include "platform/crash_signals.h"
#include "platform/thread_locale.h"
#include "platform/thread_stack.h"
#include "support/arena.h"
#include "support/fatal_stops.h"
#include "support/global.h"
#include "support/java_strings.h"
#include "support/locale_name.h"
#include "support/message_file.h"

// The Java strings of the argument array as heap strings, null elements left out; the array has
// one spare slot. Null when memory ran out.
static char** copyArguments(jobjectArray arguments, int* count) {
  jsize length = jniGetArrayLength(arguments);
  char** copy = static_cast<char**>(heapAllocateZeroed(static_cast<size_t>(length) + 1, sizeof(char*)));
  if (copy == nullptr) return nullptr;
  int kept = 0;
  for (jsize i = 0; i < length; i++) {
    jobject element = jniGetObjectArrayElement(arguments, i);
    if (element == nullptr) continue;
    copy[kept++] = javaStringToNative(static_cast<jstring>(element));
    // A long argument list must not fill the call's table of local references.
    jniDeleteLocalRef(element);
  }
  *count = kept;
  return copy;
}

namespace {

struct CompileCall {
  int count;
  char** arguments;
  char* classPath;
  int32_t errors;
};

// The compile on its own thread: the user's locale and the crash handlers are that thread's too.
void runCompile(void* argument) {
  auto* call = static_cast<CompileCall*>(argument);
  ThreadLocaleScope locale;
  ArmedCrashHandlers crashHandlers(onFatalSignal);
  call->errors = internalTolvo(call->count, call->arguments, global.messageDirectory, global.localeDirectory, nullptr,
                               nullptr, call->classPath, nullptr, 1);
}

// Out of memory before the compile began: a failed compile, never a success.
int32_t failedForMemory(CompileCall* call) {
  freeArgv(call->count, call->arguments);
  std::free(call->classPath);
  std::fputs("quorvelix: out.of.memory\n", stderr);
  releaseMemory();
  return 1;
}

}  // namespace

// Steps: everything an earlier call left given back; the arguments converted on the calling
// thread, the only one that may use its JNI environment; the compile on a thread of its own with
// the console program's stack, since a thread of the virtual machine may have a stack of 256 KB
// and a compile nests as deeply as the console program lets it.
extern "C" JNIEXPORT jint JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_tolvoMain(
    JNIEnv* env, jclass, jstring messageDirectory, jstring localeDirectory, jstring classPath,
    jobjectArray arguments) {
  JniEntry entry(env);
  // An evaluation's result and its references go too, and global starts from zero.
  releaseEvaluation();
  CompileCall call{};
  {
    // A crash in the compiler ends the process, as in the console program; the virtual machine's
    // own signals on its other threads, and in its own code, stay its own.
    global.abortOnFatal = 1;
    ArmedCrashHandlers crashHandlers(onFatalSignal);
    global.localeName = getLocaleName();
    global.maxCharBytes = static_cast<int32_t>(MB_CUR_MAX);
    try {
      // The conversions below may warn about characters the locale cannot hold; the warning needs
      // the arenas and the message location.
      initMemory();
      // Held in global from here on, so that a release frees them whatever happens next.
      global.messageDirectory = javaStringToNative(messageDirectory);
      global.localeDirectory = javaStringToNative(localeDirectory);
      setMessageLocation(global.messageDirectory, global.localeDirectory);
      call.arguments = copyArguments(arguments, &call.count);
      if (call.arguments == nullptr) outOfMemory();
      call.classPath = javaStringToNative(classPath);
    } catch (const CompileStop&) {
      return failedForMemory(&call);
    }
  }
  if (!runOnOwnStack(runCompile, &call, consoleStackSize())) return failedForMemory(&call);
  return call.errors;
}
