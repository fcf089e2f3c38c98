package java.lang;

public final class System {
    public static final java.io.PrintStream out = null;
    public static final java.io.PrintStream err = null;
    public static void arraycopy(Object src, int from, Object dst, int to, int length) {}
}
