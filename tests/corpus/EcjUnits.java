// Judges each unit of the corpus with ecj -1.3 in one virtual machine: a unit whose files need
// what the corpus left out (files it did not keep) is rejected by ecj too. Each line of the list
// is a unit's directory, its source path and its files, separated by tabs; the verdicts, one line
// each ("accept" or "reject" and the directory), go to standard output.

import java.io.PrintWriter;
import java.io.StringWriter;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;

import org.eclipse.jdt.core.compiler.batch.BatchCompiler;

public final class EcjUnits {
  public static void main(String[] args) throws Exception {
    String classPath = args[0];
    for (String line : Files.readAllLines(Paths.get(args[1]), StandardCharsets.UTF_8)) {
      if (line.isEmpty()) continue;
      String[] parts = line.split("\t");
      List<String> command = new ArrayList<>(List.of("-1.3", "-nowarn", "-proc:none", "-d", "none", "-classpath",
          classPath, "-sourcepath", parts[1]));
      for (int i = 2; i < parts.length; i++) command.add(Paths.get(parts[0], parts[i]).toString());
      StringWriter text = new StringWriter();
      PrintWriter out = new PrintWriter(text);
      boolean ok = BatchCompiler.compile(command.toArray(new String[0]), out, out, null);
      System.out.println((ok ? "accept\t" : "reject\t") + parts[0]);
    }
  }
}
