// The layout of a small class: pool order, members, attributes and the debug tables, with the
// constructor of an inner class that stores its outer instance.
public class Layout implements Cloneable {
  static final int ANSWER = 42;
  static final String NAME = "layout";
  protected long total;
  private static Object cache;

  public Layout() {}

  Layout(int start) throws Exception {}

  int count(String text, long from) {
    return 0;
  }

  static native void poke();

  class Part {
    double weight;
  }
}
