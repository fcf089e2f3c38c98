// The debugger's evaluation entries of com.kel.trov.quorvelix.ExpressionEvaluation, exported by
// the shared library: jEvaluate, then the getter of the kind it returned or jErrorString, then
// jEvaluateDone, after which evaluateSignature gives the result's type letter.
#pragma once

#include <jni.h>

extern "C" {
JNIEXPORT jint JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jEvaluate(
    JNIEnv* env, jclass caller, jobject thread, jint frame, jint ignored, jstring expression,
    jstring messageDirectory, jstring localeDirectory);
JNIEXPORT void JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jEvaluateDone(JNIEnv* env, jclass caller);
JNIEXPORT jstring JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jErrorString(JNIEnv* env,
                                                                                         jclass caller);
JNIEXPORT jobject JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jObjectValue(JNIEnv* env,
                                                                                         jclass caller);
JNIEXPORT jlong JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jLongValue(JNIEnv* env, jclass caller);
JNIEXPORT jdouble JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jDoubleValue(JNIEnv* env,
                                                                                         jclass caller);
JNIEXPORT jchar JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jCharacterValue(JNIEnv* env,
                                                                                          jclass caller);
JNIEXPORT jboolean JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_jBooleanValue(JNIEnv* env,
                                                                                           jclass caller);
JNIEXPORT jchar JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_evaluateSignature(JNIEnv* env,
                                                                                            jclass caller);
}
