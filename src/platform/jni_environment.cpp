// The JNI environment of the entry in progress and the JNI operations the library uses. Entries
// take turns, so one saved environment serves them all.
#include "platform/jni_environment.h"

#include <cstdio>
#include <mutex>

static JNIEnv* savedEnv;
// Held by the entry in progress. No entry calls another, and none calls back into Java code that
// could, so a thread never waits for itself.
static std::mutex entryTurn;

JniEntry::Turn::Turn() {
  entryTurn.lock();
}

JniEntry::Turn::~Turn() {
  entryTurn.unlock();
}

JniEntry::JniEntry(JNIEnv* env) {
  savedEnv = env;
}

JniEntry::~JniEntry() {
  std::fflush(stdout);
  std::fflush(stderr);
  savedEnv = nullptr;
}

JNIEnv* currentJNIEnv() {
  return savedEnv;
}

// An out-of-memory error thrown by the virtual machine must not stay pending into the next call.
static bool exceptionCleared() {
  if (!savedEnv->ExceptionCheck()) return false;
  savedEnv->ExceptionClear();
  return true;
}

jsize jniGetStringLength(jstring string) {
  if (string == nullptr) return 0;
  return savedEnv->GetStringLength(string);
}

const jchar* jniGetStringChars(jstring string) {
  if (string == nullptr) return nullptr;
  const jchar* characters = savedEnv->GetStringChars(string, nullptr);
  if (exceptionCleared()) return nullptr;
  return characters;
}

void jniReleaseStringChars(jstring string, const jchar* characters) {
  if (string != nullptr && characters != nullptr) savedEnv->ReleaseStringChars(string, characters);
}

jstring jniNewString(const jchar* characters, jsize count) {
  if (count < 0) count = 0;
  jstring string = savedEnv->NewString(characters, count);
  if (exceptionCleared()) return nullptr;
  return string;
}

jsize jniGetArrayLength(jarray array) {
  if (array == nullptr) return 0;
  return savedEnv->GetArrayLength(array);
}

jobject jniGetObjectArrayElement(jobjectArray array, jsize index) {
  if (array == nullptr) return nullptr;
  jobject element = savedEnv->GetObjectArrayElement(array, index);
  if (exceptionCleared()) return nullptr;
  return element;
}

void jniDeleteLocalRef(jobject reference) {
  if (reference != nullptr) savedEnv->DeleteLocalRef(reference);
}
