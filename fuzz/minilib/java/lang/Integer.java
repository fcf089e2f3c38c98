package java.lang;

public final class Integer {
    public static final int MIN_VALUE = 0x80000000;
    public static final int MAX_VALUE = 0x7fffffff;
    public static int parseInt(String s) { return 0; }
    public static String toHexString(int i) { return null; }
}
