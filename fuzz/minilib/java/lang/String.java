package java.lang;

public final class String {
    public String() {}
    public static String valueOf(Object o) { return null; }
    public int length() { return 0; }
}
