// Runs the main method of the class named first, as the java launcher would, then loads and
// initializes every other class file of the class path's first directory, so that the virtual
// machine (run with -Xverify:all) verifies each class the compiler wrote, also those the run never
// reached. What those initializers print is dropped; a class that fails verification or format
// checks is reported as "RunAndLoad: " and the class name on standard error, with exit status 3.

import java.io.File;
import java.io.OutputStream;
import java.io.PrintStream;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

public final class RunAndLoad {
  public static void main(String[] args) throws Throwable {
    int status = 0;
    try {
      Method main = Class.forName(args[0]).getMethod("main", String[].class);
      main.invoke(null, (Object) new String[0]);
    } catch (InvocationTargetException e) {
      System.out.flush();
      // As the launcher does for an uncaught exception.
      System.err.print("Exception in thread \"main\" ");
      e.getCause().printStackTrace();
      status = 1;
    }
    System.out.flush();
    PrintStream out = System.out;
    System.setOut(new PrintStream(OutputStream.nullOutputStream()));
    String first = System.getProperty("java.class.path").split(File.pathSeparator)[0];
    List<String> names = new ArrayList<>();
    collect(new File(first), "", names);
    Collections.sort(names);
    for (String name : names) {
      try {
        Class.forName(name);
      } catch (VerifyError | ClassFormatError e) {
        System.err.println("RunAndLoad: " + name + ": " + e);
        status = 3;
      } catch (Throwable e) {
        // An initializer that throws, or a class the run never needed, is no fault of the file.
      }
    }
    System.setOut(out);
    System.exit(status);
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
