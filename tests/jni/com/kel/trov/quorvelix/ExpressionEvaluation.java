package com.kel.trov.quorvelix;

/** The natives of the shared library, declared as an IDE declares them. */
public class ExpressionEvaluation {
  static native int tolvoMain(String msgDir, String localeDir, String classPath, String[] args);

  static native int jEvaluate(Thread t, int frame, int ignored, String expression, String msgDir, String localeDir);

  static native void jEvaluateDone();

  static native String jErrorString();

  static native Object jObjectValue();

  static native long jLongValue();

  static native double jDoubleValue();

  static native char jCharacterValue();

  static native boolean jBooleanValue();

  static native char evaluateSignature();
}
