// The debugger's evaluation entries: each keeps its JNI environment for the duration of the call
// and hands the work to expression_evaluation over the running machine's view.
#include "evaluate/evaluation_entries.h"

#include <cstdlib>

#include "evaluate/expression_evaluation.h"
#include "evaluate/jni_environment.h"
#include "evaluate/jvmti_view.h"
#include "platform/thread_locale.h"
#include "semantic/expression_nodes.h"
#include "support/encodings.h"

namespace {

JvmtiView machine;

// The expression as ASCII with every other unit a "\u" escape; null for a null or empty
// string, one whose characters are not available, or one that converts to nothing.
char* javaStringToEscapedAscii(jstring string) {
  jsize length = jniGetStringLength(string);
  if (length <= 0) return nullptr;
  const jchar* characters = jniGetStringChars(string);
  if (characters == nullptr) return nullptr;
  int64_t size = 6 * static_cast<int64_t>(length) + 1;
  char* text = size <= INT32_MAX ? static_cast<char*>(std::malloc(size)) : nullptr;
  if (text != nullptr) {
    int32_t k = unicodeToEscapedAscii(reinterpret_cast<const char16_t*>(characters), length, text,
                                      static_cast<int32_t>(size));
    if (k < 1) {
      std::free(text);
      text = nullptr;
    }
  }
  jniReleaseStringChars(string, characters);
  return text;
}

char* convertDirectory(const void* directory) {
  return javaStringToNative(static_cast<jstring>(const_cast<void*>(directory)));
}

}  // namespace

extern "C" {

JNIEXPORT jint JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jEvaluate(JNIEnv* env, jclass, jobject thread,
                                                                                  jint frame, jint, jstring expression,
                                                                                  jstring messageDirectory,
                                                                                  jstring localeDirectory) {
  // The user's locale for the messages and the conversions, on this thread only.
  ThreadLocaleScope locale;
  setCurrentJNIEnv(env);
  machine.setThread(static_cast<jthread>(thread));
  char* text = javaStringToEscapedAscii(expression);
  EvalResultKind kind = evaluateExpression(&machine, frame, text, convertDirectory, messageDirectory, localeDirectory);
  std::free(text);
  clearCurrentJNIEnv();
  return kind;
}

JNIEXPORT void JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jEvaluateDone(JNIEnv* env, jclass) {
  setCurrentJNIEnv(env);
  evaluationDone();
  clearCurrentJNIEnv();
}

JNIEXPORT jstring JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jErrorString(JNIEnv* env, jclass) {
  ThreadLocaleScope locale;
  setCurrentJNIEnv(env);
  char16_t units[ERROR_TEXT_UNITS];
  int32_t count = evaluationErrorText(units);
  jstring result = jniNewString(reinterpret_cast<const jchar*>(units), count);
  clearCurrentJNIEnv();
  return result;
}

JNIEXPORT jobject JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jObjectValue(JNIEnv* env, jclass) {
  setCurrentJNIEnv(env);
  const ExprNode* result = evaluationResult();
  // A string result is a new string of this call; an object read from the frame a new local
  // reference to it.
  VmObject value = evaluationObjectValue();
  jobject object = reinterpret_cast<jobject>(value);
  if (object != nullptr && result->op == O_OBJECT) object = env->NewLocalRef(object);
  clearCurrentJNIEnv();
  return object;
}

JNIEXPORT jlong JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jLongValue(JNIEnv* env, jclass) {
  setCurrentJNIEnv(env);
  jlong value = evaluationLongValue();
  clearCurrentJNIEnv();
  return value;
}

JNIEXPORT jdouble JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jDoubleValue(JNIEnv* env, jclass) {
  setCurrentJNIEnv(env);
  jdouble value = evaluationDoubleValue();
  clearCurrentJNIEnv();
  return value;
}

JNIEXPORT jchar JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jCharacterValue(JNIEnv* env, jclass) {
  setCurrentJNIEnv(env);
  jchar value = evaluationCharacterValue();
  clearCurrentJNIEnv();
  return value;
}

JNIEXPORT jboolean JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jBooleanValue(JNIEnv* env, jclass) {
  setCurrentJNIEnv(env);
  jboolean value = evaluationBooleanValue();
  clearCurrentJNIEnv();
  return value;
}

JNIEXPORT jchar JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_evaluateSignature(JNIEnv* env, jclass) {
  setCurrentJNIEnv(env);
  jchar value = evaluationSignature();
  clearCurrentJNIEnv();
  return value;
}
}
