// The debugger's evaluation entries. Placeholder: no expression is evaluated yet; every entry
// answers as if there were no result.
#include "evaluate/evaluation_entries.h"

#include "evaluate/jni_environment.h"

extern "C" {

JNIEXPORT jint JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jEvaluate(JNIEnv*, jclass, jobject, jint,
                                                                                  jint, jstring, jstring, jstring) {
  return 0;
}

JNIEXPORT void JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jEvaluateDone(JNIEnv*, jclass) {}

JNIEXPORT jstring JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jErrorString(JNIEnv* env, jclass) {
  setCurrentJNIEnv(env);
  static const jchar text[] = {'I', 'N', 'T', 'E', 'R', 'N', 'A', 'L', ' ', 'E', 'R', 'R', 'O', 'R'};
  jstring result = jniNewString(text, sizeof text / sizeof text[0]);
  clearCurrentJNIEnv();
  return result;
}

JNIEXPORT jobject JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jObjectValue(JNIEnv*, jclass) {
  return nullptr;
}

JNIEXPORT jlong JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jLongValue(JNIEnv*, jclass) {
  return 0;
}

JNIEXPORT jdouble JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jDoubleValue(JNIEnv*, jclass) {
  return 0.0;
}

JNIEXPORT jchar JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jCharacterValue(JNIEnv*, jclass) {
  return 0;
}

JNIEXPORT jboolean JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jBooleanValue(JNIEnv*, jclass) {
  return JNI_FALSE;
}

JNIEXPORT jchar JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_evaluateSignature(JNIEnv*, jclass) {
  return 0;
}
}
