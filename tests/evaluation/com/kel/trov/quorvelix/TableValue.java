package com.kel.trov.quorvelix;

/**
 * The value of one expression of the evaluation table as the compiled program computed it, with
 * the kind and signature letter the library gives a result of its static type (the overload that
 * javac picks is the type), or the exception it threw.
 */
public final class TableValue {
    final int kind;
    final char letter;
    final long integral;
    final double floating;
    final Object object;
    final Throwable thrown;

    private TableValue(int kind, char letter, long integral, double floating, Object object, Throwable thrown) {
        this.kind = kind;
        this.letter = letter;
        this.integral = integral;
        this.floating = floating;
        this.object = object;
        this.thrown = thrown;
    }

    public static TableValue of(boolean v) { return new TableValue(5, 'Z', v ? 1 : 0, 0, null, null); }
    public static TableValue of(byte v) { return new TableValue(2, 'B', v, 0, null, null); }
    public static TableValue of(short v) { return new TableValue(2, 'S', v, 0, null, null); }
    public static TableValue of(int v) { return new TableValue(2, 'I', v, 0, null, null); }
    public static TableValue of(long v) { return new TableValue(2, 'J', v, 0, null, null); }
    public static TableValue of(char v) { return new TableValue(4, 'C', v, 0, null, null); }
    public static TableValue of(float v) { return new TableValue(6, 'F', 0, v, null, null); }
    public static TableValue of(double v) { return new TableValue(3, 'D', 0, v, null, null); }
    public static TableValue of(Object v) { return new TableValue(1, 'L', 0, 0, v, null); }
    public static TableValue of(Object[] v) { return array(v); }
    public static TableValue of(boolean[] v) { return array(v); }
    public static TableValue of(byte[] v) { return array(v); }
    public static TableValue of(short[] v) { return array(v); }
    public static TableValue of(int[] v) { return array(v); }
    public static TableValue of(long[] v) { return array(v); }
    public static TableValue of(char[] v) { return array(v); }
    public static TableValue of(float[] v) { return array(v); }
    public static TableValue of(double[] v) { return array(v); }

    private static TableValue array(Object v) { return new TableValue(1, '[', 0, 0, v, null); }

    public static TableValue thrown(Throwable t) { return new TableValue(0, ' ', 0, 0, null, t); }

    /** Uses every local of the frame after the point where it stops, so that each one's range covers it. */
    public static void keep(Object... locals) {}

    @Override
    public String toString() {
        if (thrown != null) return "threw " + thrown;
        switch (kind) {
            case 1: return "kind 1 '" + letter + "' " + (object instanceof String ? "\"" + object + "\"" : String.valueOf(object));
            case 3:
            case 6: return "kind " + kind + " '" + letter + "' " + floating;
            case 4: return "kind 4 '" + letter + "' " + (int) integral;
            default: return "kind " + kind + " '" + letter + "' " + integral;
        }
    }
}
