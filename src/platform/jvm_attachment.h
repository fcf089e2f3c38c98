// The virtual machine the shared library is loaded into, and the tool interface the evaluator reads
// frames and locals through. Reading locals needs a capability that only an agent gets on JDK 17:
// started with -agentpath (or JAVA_TOOL_OPTIONS) the library asks for it in Agent_OnLoad, and a
// later System.loadLibrary of the same file shares it. Loaded only with System.loadLibrary, the tool
// interface is there but locals cannot be read.
#pragma once

#include <jni.h>
#include <jvmti.h>

extern "C" {
JNIEXPORT jint JNICALL Agent_OnLoad(JavaVM* vm, char* options, void* reserved);
JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void* reserved);
}

// The virtual machine, or null while the library has not been loaded by one.
JavaVM* attachedJavaVM();
// The tool interface environment, or null when the virtual machine gave none.
jvmtiEnv* attachedJvmti();
// Whether the tool interface granted the capability to read local variables.
bool canReadLocals();
