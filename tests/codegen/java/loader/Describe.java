import java.lang.reflect.Field;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.Arrays;
import java.util.Comparator;

// Loads and initializes each named class (the caller runs with -Xverify:all) and prints what the
// virtual machine made of it: modifiers, methods, and the values of its static fields.
public class Describe {
  public static void main(String[] args) throws Exception {
    for (String name : args) {
      Class<?> c = Class.forName(name);
      System.out.println(Modifier.toString(c.getModifiers()) + " " + c.getName());
      Method[] methods = c.getDeclaredMethods();
      Arrays.sort(methods, Comparator.comparing(Method::getName));
      for (Method m : methods) System.out.println("  " + Modifier.toString(m.getModifiers()) + " " + m.getName());
      Field[] fields = c.getDeclaredFields();
      Arrays.sort(fields, Comparator.comparing(Field::getName));
      for (Field f : fields) {
        String value = "";
        if (Modifier.isStatic(f.getModifiers())) {
          f.setAccessible(true);
          Object v = f.get(null);
          value = " = " + (v instanceof String ? "\"" + escape((String) v) + "\"" : escape(String.valueOf(v)));
        }
        System.out.println("  " + Modifier.toString(f.getModifiers()) + " " + f.getName() + value);
      }
    }
  }

  static String escape(String s) {
    StringBuilder b = new StringBuilder();
    for (char ch : s.toCharArray()) {
      if (ch >= 0x20 && ch < 0x7F) b.append(ch);
      else b.append(String.format("\\u%04x", (int) ch));
    }
    return b.toString();
  }
}
