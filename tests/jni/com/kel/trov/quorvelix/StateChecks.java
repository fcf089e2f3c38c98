package com.kel.trov.quorvelix;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * Compiles and evaluations in one virtual machine, one after another, each printed between
 * markers ("== NAME" on standard output and on standard error) with its result, so that the
 * native test runner can hold every call against the same call in a fresh virtual machine.
 * Usage: StateChecks LIBRARY MESSAGE_DIR CLASS_LIBRARY (one CALL | orders CALL...), where "orders"
 * runs the calls in every order, one order after another. The calls: "bad" (a compile with a
 * syntax error), "good" (a clean compile with dependency lines), "value" and "fails" (an
 * evaluation that gives a value and one that fails, on a suspended thread).
 */
public class StateChecks {
  static volatile boolean ready;
  static volatile boolean done;
  static volatile long sink;

  static void hold() {
    int i = 41;
    int[] arr = {10, 20};
    ready = true;
    while (!done) sink++;
    sink += i + arr.length;
  }

  static String messages;
  static String classLibrary;
  static Thread holder;
  static int depth = -1;

  static void evaluation(String expression) {
    int kind = ExpressionEvaluation.jEvaluate(holder, depth, 0, expression, messages, null);
    String value;
    switch (kind) {
      case 0: value = ExpressionEvaluation.jErrorString(); break;
      case 2: value = String.valueOf(ExpressionEvaluation.jLongValue()); break;
      default: value = "?"; break;
    }
    ExpressionEvaluation.jEvaluateDone();
    System.out.println("kind " + kind + " " + value + " signature '" + ExpressionEvaluation.evaluateSignature() + "'");
  }

  static void run(String call) {
    System.out.println("== " + call);
    System.out.flush();
    System.err.println("== " + call);
    System.err.flush();
    switch (call) {
      case "bad":
        System.out.println("errors " + ExpressionEvaluation.tolvoMain(messages, null, classLibrary,
                new String[] {"-d", "bad", "Bad.java"}));
        break;
      case "good":
        System.out.println("errors " + ExpressionEvaluation.tolvoMain(messages, null, classLibrary,
                new String[] {"-xdepend", "-d", "good", "Good.java"}));
        break;
      case "value": evaluation("i + arr[1]"); break;
      case "fails": evaluation("arr[7]"); break;
      default: throw new IllegalArgumentException(call);
    }
    System.out.flush();
  }

  static void permute(List<String> done, List<String> left, List<List<String>> orders) {
    if (left.isEmpty()) orders.add(new ArrayList<>(done));
    for (int n = 0; n < left.size(); n++) {
      List<String> rest = new ArrayList<>(left);
      done.add(rest.remove(n));
      permute(done, rest, orders);
      done.remove(done.size() - 1);
    }
  }

  public static void main(String[] a) throws Exception {
    System.load(a[0]);
    messages = a[1];
    classLibrary = a[2];
    holder = new Thread(StateChecks::hold, "holder");
    holder.setDaemon(true);
    holder.start();
    while (!ready) Thread.sleep(1);
    holder.suspend();
    StackTraceElement[] stack = holder.getStackTrace();
    for (int n = 0; n < stack.length && depth < 0; n++)
      if (stack[n].getMethodName().equals("hold")) depth = n;
    List<String> calls = Arrays.asList(a).subList(4, a.length);
    if (a[3].equals("one")) {
      run(calls.get(0));
    } else {
      List<List<String>> orders = new ArrayList<>();
      permute(new ArrayList<>(), calls, orders);
      for (List<String> order : orders)
        for (String call : order) run(call);
    }
    holder.resume();
    done = true;
    holder.join();
  }
}
