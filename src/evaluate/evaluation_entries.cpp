// The debugger's evaluation entries: each runs as a JniEntry and hands the work to
// expression_evaluation over the running machine's view.
#include "evaluate/evaluation_entries.h"

#include <cstdlib>

#include "evaluate/expression_evaluation.h"
#include "platform/jni_environment.h"
#include "evaluate/jvmti_view.h"
#include "semantic/expression_nodes.h"
#include "support/java_strings.h"

namespace {

JvmtiView machine;

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
