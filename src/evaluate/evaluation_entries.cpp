// The debugger's evaluation entries: each runs as a JniEntry and hands the work to
// expression_evaluation over the running machine's view.
#include "evaluate/evaluation_entries.h"

#include <cstdlib>

#include "evaluate/expression_evaluation.h"
#include "evaluate/jni_environment.h"
#include "evaluate/jvmti_view.h"
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
  JniEntry entry(env);
  machine.setThread(static_cast<jthread>(thread));
  char* text = javaStringToEscapedAscii(expression);
  EvalResultKind kind = evaluateExpression(&machine, frame, text, convertDirectory, messageDirectory, localeDirectory);
  std::free(text);
  return kind;
}

JNIEXPORT void JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jEvaluateDone(JNIEnv* env, jclass) {
  JniEntry entry(env);
  evaluationDone();
}

JNIEXPORT jstring JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jErrorString(JNIEnv* env, jclass) {
  JniEntry entry(env);
  char16_t units[ERROR_TEXT_UNITS];
  int32_t count = evaluationErrorText(units);
  return jniNewString(reinterpret_cast<const jchar*>(units), count);
}

JNIEXPORT jobject JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jObjectValue(JNIEnv* env, jclass) {
  JniEntry entry(env);
  const ExprNode* result = evaluationResult();
  // A string result is a new string of this call; an object read from the frame a new local
  // reference to it.
  VmObject value = evaluationObjectValue();
  jobject object = reinterpret_cast<jobject>(value);
  if (object != nullptr && result->op == O_OBJECT) object = env->NewLocalRef(object);
  return object;
}

JNIEXPORT jlong JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jLongValue(JNIEnv* env, jclass) {
  JniEntry entry(env);
  return evaluationLongValue();
}

JNIEXPORT jdouble JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jDoubleValue(JNIEnv* env, jclass) {
  JniEntry entry(env);
  return evaluationDoubleValue();
}

JNIEXPORT jchar JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jCharacterValue(JNIEnv* env, jclass) {
  JniEntry entry(env);
  return evaluationCharacterValue();
}

JNIEXPORT jboolean JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jBooleanValue(JNIEnv* env, jclass) {
  JniEntry entry(env);
  return evaluationBooleanValue();
}

JNIEXPORT jchar JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_evaluateSignature(JNIEnv* env, jclass) {
  JniEntry entry(env);
  return evaluationSignature();
}
}
