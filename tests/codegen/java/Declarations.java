// Classes whose members need no statement code: constants of every type, abstract and native
// methods, interfaces, nested classes of every access, and the strictfp and widefp modifiers.
public class Declarations {
  public static final int I = 2147483647;
  public static final long J = 9007199254740993L;
  public static final float F = 3.4028235e38f;
  public static final double D = 4.9e-324;
  public static final boolean Z = true;
  public static final char C = '\u00e9';
  public static final byte B = 127;
  public static final short S = 32767;
  public static final String STR = "tab\there \u4e2d\u0000end";
  public static final String EMPTY = "";
  final int instanceConstant = 3;
  int plain;
  transient volatile long flags;

  public Declarations() {}
}

abstract class Shape {
  abstract double area();
  native int id();
  strictfp double exact() { return 0.0; }
  widefp float loose() { return 0.0f; }
  synchronized void locked() {}
}

interface Named {
  String PREFIX = "n:";
  String name();
}

class Outer {
  protected static class Guarded {}
  private class Hidden {}
  public interface Inside {}
}

strictfp class Strict {
  double m() { return 0.0; }
}
