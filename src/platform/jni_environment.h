// The JNI environment of the entry in progress and the few JNI operations the library uses, each
// through that environment. Every operation that the virtual machine may answer with an exception
// clears it, so that no later JNI call runs with one pending. Each entry runs as a JniEntry.
#pragma once

#include <jni.h>

#include <cstdint>

#include "platform/thread_locale.h"

// One call of the library from the virtual machine, for the lifetime of the scope, in this order:
// the calls of all threads take turns (a second caller waits until the call that runs returns,
// since every call shares the compiler's state); the user's locale on the calling thread; the
// entry's environment kept. When it ends, whatever the call printed is flushed, so that its
// output comes before what the caller prints next.
class JniEntry {
 public:
  explicit JniEntry(JNIEnv* env);
  ~JniEntry();
  JniEntry(const JniEntry&) = delete;
  JniEntry& operator=(const JniEntry&) = delete;

 private:
  struct Turn {
    Turn();
    ~Turn();
  } turn;
  ThreadLocaleScope locale;
};

// The environment of the entry in progress; null between entries.
JNIEnv* currentJNIEnv();

jsize jniGetStringLength(jstring string);
// The characters of the string, or null when the virtual machine cannot give them.
const jchar* jniGetStringChars(jstring string);
void jniReleaseStringChars(jstring string, const jchar* characters);
// A new Java string, or null when the virtual machine cannot make it; a negative count is none.
jstring jniNewString(const jchar* characters, jsize count);
jsize jniGetArrayLength(jarray array);
// A local reference to the element, or null (a null element, or an index the array does not have).
jobject jniGetObjectArrayElement(jobjectArray array, jsize index);
void jniDeleteLocalRef(jobject reference);
