package com.kel.trov.quorvelix;

import java.io.File;
import java.lang.reflect.Method;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import javax.tools.JavaCompiler;
import javax.tools.ToolProvider;

/**
 * The evaluation table both ways: every expression of the table is compiled (by javac, with -g)
 * into a program that computes it in a frame holding locals of the eight primitive types, strings,
 * arrays, nulls and objects, and evaluated by the library in that very frame, suspended; the
 * evaluation must give the compiled value, kind and signature letter. An expression whose compiled
 * code throws must fail to evaluate; one marked "@refused" is one the README says the evaluator
 * refuses, and must fail; "@null" marks an expression of the null type, passed on as an Object.
 * Prints "N passed, M failed". Arguments: the library, the message directory, the table, a
 * scratch directory.
 */
public class EvaluationTable {
    static final String LOCALS =
            "boolean z = false; boolean b = true; byte by = -5; byte by2 = 100; char c = 'q'; char c2 = '\\uffff';"
            + " short sh = -300; short sh2 = 30000; int i = 41; int i2 = -7; int imax = Integer.MAX_VALUE;"
            + " int imin = Integer.MIN_VALUE; int zero = 0; long l = 1L << 40; long l2 = -3; long lmax = Long.MAX_VALUE;"
            + " long lmin = Long.MIN_VALUE; float f = 1.5f; float f2 = -0.0f; float fnan = Float.NaN;"
            + " float finf = Float.POSITIVE_INFINITY; float fmin = Float.MIN_VALUE; double d = 10.0; double d2 = 2.5;"
            + " double dnan = Double.NaN; double dinf = Double.NEGATIVE_INFINITY; double dneg0 = -0.0;"
            + " double dmin = Double.MIN_VALUE; String s = \"hello\"; String s2 = \"\"; int[] arr = {10, 20, 30, 40, 50};"
            + " byte[] bytes = {-1, 127}; char[] chars = {'\\uffff', 'a'}; short[] shorts = {-32768, 7};"
            + " long[] longs = {Long.MIN_VALUE, 9}; float[] floats = {0.1f, Float.NaN}; double[] doubles = {-0.0, 1e300};"
            + " boolean[] bools = {true, false}; String[] words = {\"w0\", null}; long[][] grid = {{1L, 2L}, {3L, 4L}};"
            + " Object nul = null; int[] nullArr = null; String nullStr = null; TablePoint obj = new TablePoint();"
            + " obj.next = new TablePoint(); obj.next.name = \"second\";";

    static final String[] LOCAL_NAMES = {"z", "b", "by", "by2", "c", "c2", "sh", "sh2", "i", "i2", "imax", "imin", "zero",
        "l", "l2", "lmax", "lmin", "f", "f2", "fnan", "finf", "fmin", "d", "d2", "dnan", "dinf", "dneg0", "dmin", "s", "s2",
        "arr", "bytes", "chars", "shorts", "longs", "floats", "doubles", "bools", "words", "grid", "nul", "nullArr",
        "nullStr", "obj"};

    // Expressions per method that computes them, far below what one method's code holds.
    static final int PER_METHOD = 80;

    static final class Entry {
        final String expression;
        final boolean refused;
        final boolean nullType;

        Entry(String line) {
            String text = line;
            boolean r = false;
            boolean n = false;
            while (text.startsWith("@")) {
                int blank = text.indexOf(' ');
                String tag = text.substring(0, blank);
                if (tag.equals("@refused")) r = true;
                else if (tag.equals("@null")) n = true;
                else throw new IllegalArgumentException("unknown tag " + tag);
                text = text.substring(blank + 1).trim();
            }
            expression = text;
            refused = r;
            nullType = n;
        }
    }

    static int passed;
    static final List<String> failures = new ArrayList<>();

    static void check(String what, boolean ok, String detail) {
        if (ok) passed++;
        else failures.add(what + ": " + detail);
    }

    // The locals as the parameters of a method that computes a part of the table.
    static String parameters() throws Exception {
        StringBuilder list = new StringBuilder();
        for (String declaration : LOCALS.split(";")) {
            declaration = declaration.trim();
            if (declaration.isEmpty() || declaration.startsWith("obj.")) continue;
            String[] words = declaration.split("[ =]+");
            if (list.length() > 0) list.append(", ");
            list.append(words[0]).append(' ').append(words[1]);
        }
        return list.toString();
    }

    static String frameSource(List<Entry> entries) throws Exception {
        StringBuilder out = new StringBuilder();
        out.append("import com.kel.trov.quorvelix.TableValue;\n");
        out.append("class TableBase { int inherited = 11; }\n");
        out.append("class TablePoint { int px = 3; double py = 2.5; boolean pz = true; char pc = 'p'; byte pb = -8;"
                + " short ps = 1000; long pl = 1L << 50; float pf = 0.25f; String name = \"point\"; TablePoint next;"
                + " static long count = 1234567890123L; }\n");
        out.append("public class TableFrame extends TableBase {\n");
        out.append("  public static volatile boolean ready, done;\n  public static volatile int spin;\n");
        out.append("  public static Object[] values = new Object[" + entries.size() + "];\n");
        out.append("  int x = 7; String fs = \"field\"; int[] own = {1, 2}; long ownLong = -9; boolean flag = true;\n");
        String arguments = String.join(", ", LOCAL_NAMES);
        int methods = (entries.size() + PER_METHOD - 1) / PER_METHOD;
        out.append("  public void hold() {\n    " + LOCALS + "\n");
        for (int m = 0; m < methods; m++) out.append("    values" + m + "(" + arguments + ");\n");
        out.append("    ready = true;\n    while (!done) spin++;\n");
        out.append("    TableValue.keep(" + arguments + ");\n  }\n");
        String parameters = parameters();
        for (int m = 0; m < methods; m++) {
            out.append("  void values" + m + "(" + parameters + ") {\n");
            for (int k = m * PER_METHOD; k < Math.min(entries.size(), (m + 1) * PER_METHOD); k++) {
                Entry e = entries.get(k);
                String value = e.nullType ? "(Object) (" + e.expression + ")" : e.expression;
                out.append("    try { values[" + k + "] = TableValue.of(" + value + "); } catch (Throwable t) { values[" + k
                        + "] = TableValue.thrown(t); }\n");
            }
            out.append("  }\n");
        }
        out.append("}\n");
        return out.toString();
    }

    static String describe(int kind) {
        switch (kind) {
            case 0: return "kind 0 " + ExpressionEvaluation.jErrorString();
            case 1: {
                Object o = ExpressionEvaluation.jObjectValue();
                return "kind 1 " + (o instanceof String ? "\"" + o + "\"" : String.valueOf(o));
            }
            case 2: return "kind 2 " + ExpressionEvaluation.jLongValue();
            case 3:
            case 6: return "kind " + kind + " " + ExpressionEvaluation.jDoubleValue();
            case 4: return "kind 4 " + (int) ExpressionEvaluation.jCharacterValue();
            case 5: return "kind 5 " + ExpressionEvaluation.jBooleanValue();
            default: return "kind " + kind;
        }
    }

    // The value of the kind the evaluation gave, against the compiled one of the same kind.
    static boolean sameValue(int kind, TableValue expected) {
        switch (kind) {
            case 1: {
                Object o = ExpressionEvaluation.jObjectValue();
                return o == expected.object || (o instanceof String && o.equals(expected.object));
            }
            case 2: return ExpressionEvaluation.jLongValue() == expected.integral;
            case 3:
            case 6: return Double.compare(ExpressionEvaluation.jDoubleValue(), expected.floating) == 0;
            case 4: return ExpressionEvaluation.jCharacterValue() == (char) expected.integral;
            case 5: return ExpressionEvaluation.jBooleanValue() == (expected.integral != 0);
            default: return false;
        }
    }

    static void evaluate(Thread t, int depth, String messages, Entry e, TableValue expected) {
        String what = "`" + e.expression + "`";
        int kind = ExpressionEvaluation.jEvaluate(t, depth, 0, e.expression, messages, null);
        if (e.refused || expected.thrown != null) {
            String because = e.refused ? "refused" : "compiled code " + expected;
            check(what, kind == 0, because + ", evaluated to " + describe(kind));
            ExpressionEvaluation.jEvaluateDone();
            return;
        }
        if (kind != expected.kind || !sameValue(kind, expected)) {
            check(what, false, "compiled " + expected + ", evaluated " + describe(kind));
            ExpressionEvaluation.jEvaluateDone();
            return;
        }
        ExpressionEvaluation.jEvaluateDone();
        char letter = ExpressionEvaluation.evaluateSignature();
        check(what, letter == expected.letter, "compiled '" + expected.letter + "', evaluated signature '" + letter + "'");
    }

    public static void main(String[] args) throws Exception {
        System.load(args[0]);
        String messages = args[1];
        List<Entry> entries = new ArrayList<>();
        for (String line : Files.readAllLines(Path.of(args[2]), StandardCharsets.UTF_8)) {
            line = line.trim();
            if (!line.isEmpty() && !line.startsWith("#")) entries.add(new Entry(line));
        }
        Path work = Path.of(args[3]);
        Path sources = work.resolve("src");
        Path classes = work.resolve("classes");
        Files.createDirectories(sources);
        Files.createDirectories(classes);
        Path source = sources.resolve("TableFrame.java");
        Files.writeString(source, frameSource(entries), StandardCharsets.UTF_8);
        JavaCompiler javac = ToolProvider.getSystemJavaCompiler();
        int status = javac.run(null, null, null, "-g", "-nowarn", "--release", "8", "-encoding", "UTF-8", "-cp",
                System.getProperty("java.class.path"), "-d", classes.toString(), source.toString());
        if (status != 0) throw new IllegalStateException("javac failed on " + source);

        URLClassLoader loader = new URLClassLoader(new URL[] {classes.toUri().toURL()}, EvaluationTable.class.getClassLoader());
        Class<?> frame = loader.loadClass("TableFrame");
        Object instance = frame.getConstructor().newInstance();
        Method hold = frame.getMethod("hold");
        Thread worker = new Thread(() -> {
            try {
                hold.invoke(instance);
            } catch (Exception e) {
                throw new IllegalStateException(e);
            }
        }, "table");
        worker.setDaemon(true);
        worker.start();
        while (!frame.getField("ready").getBoolean(null)) Thread.sleep(1);
        worker.suspend();
        int depth = -1;
        StackTraceElement[] stack = worker.getStackTrace();
        for (int n = 0; n < stack.length && depth < 0; n++)
            if (stack[n].getMethodName().equals("hold")) depth = n;
        if (depth < 0) throw new IllegalStateException("no frame of hold: " + Arrays.toString(stack));
        Object[] values = (Object[]) frame.getField("values").get(null);
        for (int k = 0; k < entries.size(); k++) evaluate(worker, depth, messages, entries.get(k), (TableValue) values[k]);
        worker.resume();
        frame.getField("done").setBoolean(null, true);
        worker.join();
        for (String f : failures) System.out.println("FAILED " + f);
        System.out.println(passed + " passed, " + failures.size() + " failed of " + entries.size() + " expressions");
        System.exit(failures.isEmpty() ? 0 : 1);
    }
}
