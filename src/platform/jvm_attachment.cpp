// Attachment to the virtual machine: the agent entry asks for the capability to read locals while
// the virtual machine is still starting, the only phase in which JDK 17 grants it; the library
// entry keeps the virtual machine and takes a tool environment if the agent entry made none.
#include "platform/jvm_attachment.h"

static JavaVM* javaVm;
static jvmtiEnv* jvmti;
static bool localsReadable;

static void attach(JavaVM* vm) {
  javaVm = vm;
  if (jvmti != nullptr) return;
  void* environment = nullptr;
  if (vm->GetEnv(&environment, JVMTI_VERSION_1_2) != JNI_OK) return;
  jvmti = static_cast<jvmtiEnv*>(environment);
  jvmtiCapabilities wanted{};
  wanted.can_access_local_variables = 1;
  localsReadable = jvmti->AddCapabilities(&wanted) == JVMTI_ERROR_NONE;
}

extern "C" {

JNIEXPORT jint JNICALL Agent_OnLoad(JavaVM* vm, char*, void*) {
  attach(vm);
  // A virtual machine that cannot give the capability still runs; the evaluator then reports it
  // cannot read locals.
  return JNI_OK;
}

JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void*) {
  attach(vm);
  return JNI_VERSION_1_8;
}
}

JavaVM* attachedJavaVM() {
  return javaVm;
}

jvmtiEnv* attachedJvmti() {
  return jvmti;
}

bool canReadLocals() {
  return localsReadable;
}
