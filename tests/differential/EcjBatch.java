// Compiles many small programs with ecj in one virtual machine, a few at a time: each line of the
// list names a program's directory and its source files, separated by tabs. For each program the
// verdict goes into ecj.verdict in its directory: "accept", or "reject" and the lines of its
// errors; ecj's own report beside it in ecj.out.

import java.io.IOException;
import java.io.PrintWriter;
import java.io.StringWriter;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;
import java.util.TreeSet;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

import org.eclipse.jdt.core.compiler.batch.BatchCompiler;

public final class EcjBatch {
  private static final Pattern ERROR_LINE = Pattern.compile("ERROR in .* \\(at line (\\d+)\\)");

  public static void main(String[] args) throws Exception {
    if (args.length != 2) {
      System.err.println("usage: EcjBatch <class library> <program list>");
      System.exit(2);
    }
    String library = args[0];
    List<String> programs = Files.readAllLines(Paths.get(args[1]), StandardCharsets.UTF_8);
    int threads = Math.max(1, Math.min(4, Runtime.getRuntime().availableProcessors()));
    ExecutorService pool = Executors.newFixedThreadPool(threads);
    List<Future<?>> done = new ArrayList<>();
    for (String program : programs) {
      if (program.isEmpty()) continue;
      done.add(pool.submit(() -> {
        compile(library, program);
        return null;
      }));
    }
    for (Future<?> f : done) f.get();
    pool.shutdown();
  }

  private static void compile(String library, String program) throws IOException {
    String[] parts = program.split("\t");
    Path dir = Paths.get(parts[0]);
    List<String> command = new ArrayList<>(List.of("-1.3", "-source", "1.3", "-target", "1.1", "-nowarn",
        "-proceedOnError", "-d", dir.resolve("ecj-out").toString(), "-bootclasspath", library, "-cp", library));
    for (int i = 1; i < parts.length; i++) command.add(dir.resolve("src").resolve(parts[i]).toString());
    StringWriter report = new StringWriter();
    PrintWriter writer = new PrintWriter(report);
    boolean accepted = BatchCompiler.compile(command.toArray(new String[0]), writer, writer, null);
    writer.flush();
    TreeSet<Integer> lines = new TreeSet<>();
    Matcher m = ERROR_LINE.matcher(report.toString());
    while (m.find()) lines.add(Integer.parseInt(m.group(1)));
    StringBuilder verdict = new StringBuilder(accepted && lines.isEmpty() ? "accept" : "reject");
    for (int line : lines) verdict.append(' ').append(line);
    Files.writeString(dir.resolve("ecj.out"), report.toString(), StandardCharsets.UTF_8);
    Files.writeString(dir.resolve("ecj.verdict"), verdict.append('\n').toString(), StandardCharsets.UTF_8);
  }
}
