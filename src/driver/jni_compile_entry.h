// The in-process compile that an IDE's virtual machine runs through the native method tolvoMain of
// com.kel.trov.quorvelix.ExpressionEvaluation: the same driver as the console program, returning
// the error count.
#pragma once

#include <jni.h>

extern "C" JNIEXPORT jint JNICALL Java_com_kel_trov_quorvelix_ExpressionEvaluation_tolvoMain(
    JNIEnv* env, jclass caller, jstring messageDirectory, jstring localeDirectory, jstring classPath,
    jobjectArray arguments);
