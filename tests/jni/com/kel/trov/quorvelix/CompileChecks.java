package com.kel.trov.quorvelix;

import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * In-process compiles through tolvoMain, one check per mode; the native test runner starts one
 * virtual machine per mode and judges what it prints. Usage:
 *   CompileChecks LIBRARY MESSAGE_DIR CLASS_LIBRARY MODE ARGUMENT...
 */
public class CompileChecks {
  static String messages;
  static String classLibrary;

  public static void main(String[] a) throws Exception {
    System.load(a[0]);
    messages = a[1];
    classLibrary = a[2];
    String mode = a[3];
    String[] rest = Arrays.copyOfRange(a, 4, a.length);
    switch (mode) {
      case "compile": compile(rest); break;
      case "sequence": sequence(rest); break;
      case "nulls": nulls(rest); break;
      case "repeat": repeat(rest); break;
      case "busy": busy(rest); break;
      case "stack": onStack(rest); break;
      case "threads": threads(rest); break;
      case "empty": report(tolvoMain(messages, null, classLibrary, new String[0])); break;
      case "null-array": report(tolvoMain(messages, null, classLibrary, null)); break;
      case "only-nulls": report(tolvoMain(messages, null, classLibrary, new String[3])); break;
      case "long-array": report(tolvoMain(messages, null, classLibrary, new String[Integer.parseInt(rest[0])])); break;
      default: throw new IllegalArgumentException(mode);
    }
  }

  static int tolvoMain(String msgDir, String localeDir, String classPath, String[] args) {
    return ExpressionEvaluation.tolvoMain(msgDir, localeDir, classPath, args);
  }

  static void report(int errors) {
    System.out.println("result " + errors);
    System.out.flush();
  }

  /** One compile of the arguments as given. */
  static void compile(String[] args) {
    report(tolvoMain(messages, null, classLibrary, args));
  }

  /** Compiles given as groups "-d DIR SOURCE..." separated by "--", one after another. */
  static void sequence(String[] args) {
    List<String> group = new ArrayList<>();
    for (int i = 0; i <= args.length; i++) {
      if (i == args.length || args[i].equals("--")) {
        report(tolvoMain(messages, null, classLibrary, group.toArray(new String[0])));
        group.clear();
      } else {
        group.add(args[i]);
      }
    }
  }

  /** The arguments with a null before, between and after them. */
  static void nulls(String[] args) {
    String[] withNulls = new String[args.length * 2 + 1];
    for (int i = 0; i < args.length; i++) withNulls[2 * i + 1] = args[i];
    report(tolvoMain(messages, null, classLibrary, withNulls));
  }

  /** Compiles given as "KB -d DIR SOURCE...": each on a thread of its own with a stack of KB. */
  static void onStack(String[] args) throws Exception {
    long bytes = Long.parseLong(args[0]) * 1024;
    String[] compile = Arrays.copyOfRange(args, 1, args.length);
    int[] result = {-1};
    Thread caller = new Thread(null, () -> result[0] = tolvoMain(messages, null, classLibrary, compile), "small", bytes);
    caller.start();
    caller.join();
    report(result[0]);
  }

  /** COUNT compiles on each of two threads at once: groups "-d DIR SOURCE..." separated by "--". */
  static void threads(String[] args) throws Exception {
    int count = Integer.parseInt(args[0]);
    List<String[]> groups = new ArrayList<>();
    List<String> group = new ArrayList<>();
    for (int i = 1; i <= args.length; i++) {
      if (i == args.length || args[i].equals("--")) {
        groups.add(group.toArray(new String[0]));
        group.clear();
      } else {
        group.add(args[i]);
      }
    }
    int[] failed = new int[groups.size()];
    List<Thread> threads = new ArrayList<>();
    for (int g = 0; g < groups.size(); g++) {
      int which = g;
      threads.add(new Thread(() -> {
        for (int n = 0; n < count; n++)
          if (tolvoMain(messages, null, classLibrary, groups.get(which).clone()) != 0) failed[which]++;
      }));
    }
    for (Thread t : threads) t.start();
    for (Thread t : threads) t.join();
    System.out.println("failed " + Arrays.toString(failed));
  }

  static long residentKilobytes() throws Exception {
    for (String line : Files.readAllLines(Path.of("/proc/self/status")))
      if (line.startsWith("VmRSS:")) return Long.parseLong(line.replaceAll("[^0-9]", ""));
    throw new IllegalStateException("no VmRSS");
  }

  /** COUNT compiles of the arguments; the resident memory after a warm-up and at the end. */
  static void repeat(String[] args) throws Exception {
    int count = Integer.parseInt(args[0]);
    String[] compile = Arrays.copyOfRange(args, 1, args.length);
    int warmUp = count / 10;
    long before = 0;
    int failed = 0;
    for (int i = 0; i < count; i++) {
      if (i == warmUp) before = residentKilobytes();
      if (tolvoMain(messages, null, classLibrary, compile.clone()) != 0) failed++;
    }
    long after = residentKilobytes();
    System.out.println("failed " + failed);
    System.out.println("resident growth " + (after - before) + " KB over " + (count - warmUp) + " compiles");
  }

  static volatile boolean stop;
  static volatile int sink;

  static int divide(int a, int b) { return a / b; }

  static int length(String s) { return s.length(); }

  /**
   * COUNT compiles while another thread collects garbage and takes null pointer exceptions and
   * divisions by zero in compiled code, all of which the virtual machine takes as signals.
   */
  static void busy(String[] args) throws Exception {
    int count = Integer.parseInt(args[0]);
    String[] compile = Arrays.copyOfRange(args, 1, args.length);
    long[] caught = new long[2];
    Thread worker = new Thread(() -> {
      String[] strings = {"a", null};
      while (!stop) {
        for (int i = 0; i < 20000; i++) {
          try {
            sink += length(strings[i & 1]);
          } catch (NullPointerException e) {
            caught[0]++;
          }
          try {
            sink += divide(i, i & 1);
          } catch (ArithmeticException e) {
            caught[1]++;
          }
        }
        System.gc();
      }
    });
    worker.start();
    int failed = 0;
    for (int i = 0; i < count; i++)
      if (tolvoMain(messages, null, classLibrary, compile.clone()) != 0) failed++;
    stop = true;
    worker.join();
    System.out.println("failed " + failed);
    System.out.println("caught " + (caught[0] > 0) + " " + (caught[1] > 0));
  }
}
