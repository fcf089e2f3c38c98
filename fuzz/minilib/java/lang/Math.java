package java.lang;

public final class Math {
    public static int abs(int i) { return i; }
    public static double sqrt(double d) { return d; }
    public static int max(int a, int b) { return a; }
    public static int min(int a, int b) { return a; }
}
