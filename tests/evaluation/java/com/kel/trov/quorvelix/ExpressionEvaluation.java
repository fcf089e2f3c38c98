package com.kel.trov.quorvelix;

// The natives of the shared library as an IDE declares them.
public class ExpressionEvaluation {
    public static native int tolvoMain(String msgDir, String localeDir, String classPath, String[] args);
    public static native int jEvaluate(Thread t, int frame, int ignored, String expression, String msgDir, String localeDir);
    public static native void jEvaluateDone();
    public static native String jErrorString();
    public static native Object jObjectValue();
    public static native long jLongValue();
    public static native double jDoubleValue();
    public static native char jCharacterValue();
    public static native boolean jBooleanValue();
    public static native char evaluateSignature();
}
