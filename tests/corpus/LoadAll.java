// Loads and initializes every class file below each directory named, on a JDK run with
// -Xverify:all, so that each is verified; prints the count. A class that fails verification or
// the format checks is printed as "failed: " with its name and the error, and the exit status is 1.
// An initializer that throws, or a class that needs what the run does not have, is no fault of
// the file and is counted as loaded.

import java.io.File;
import java.net.URL;
import java.net.URLClassLoader;
import java.util.ArrayList;
import java.util.List;

public final class LoadAll {
  public static void main(String[] args) throws Exception {
    // Initializers may take the standard streams for themselves.
    java.io.PrintStream out = System.out;
    java.io.PrintStream err = System.err;
    int loaded = 0;
    int failed = 0;
    for (String directory : args) {
      File root = new File(directory);
      List<String> names = new ArrayList<>();
      collect(root, "", names);
      try (URLClassLoader loader = new URLClassLoader(new URL[] {root.toURI().toURL()}, LoadAll.class.getClassLoader())) {
        for (String name : names) {
          try {
            Class.forName(name, true, loader);
          } catch (VerifyError | ClassFormatError e) {
            out.println("failed: " + directory + " " + name + ": " + e);
            failed++;
            continue;
          } catch (Throwable e) {
            // Not the class file's fault.
          }
          System.setOut(out);
          System.setErr(err);
          loaded++;
        }
      }
    }
    out.println("loaded " + loaded + ", failed " + failed);
    System.exit(failed == 0 ? 0 : 1);
  }

  static void collect(File dir, String prefix, List<String> names) {
    File[] files = dir.listFiles();
    if (files == null) return;
    for (File f : files) {
      if (f.isDirectory())
        collect(f, prefix + f.getName() + ".", names);
      else if (f.getName().endsWith(".class"))
        names.add(prefix + f.getName().substring(0, f.getName().length() - 6));
    }
  }
}
