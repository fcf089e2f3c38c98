package com.kel.trov.quorvelix;

import java.io.File;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

// Evaluations through the shared library on a real virtual machine: a worker thread suspended in
// a method holding locals of the eight primitive types, a string, arrays, nulls and an object with
// fields; expressions read through the getters as an IDE reads them; call sequences around
// jEvaluateDone and an in-process compile. Prints "N passed, M failed"; exits 1 on a failure.
// Arguments: the library, the message directory, a scratch directory.
public class EvaluationChecks {
    static class Point {
        int px = 3;
        double py = 2.5;
        Point next;
        static long count = 1234567890123L;
    }

    static class Base {
        int inherited = 11;
    }

    static class Holder extends Base {
        int x = 7;
        String s = "field";
        int[] own = {1, 2};

        static volatile boolean ready;
        static volatile boolean done;
        static volatile int spin;
        static volatile long sink;
        static Object[] seen;

        void hold() {
            boolean z = false;
            boolean b = true;
            byte by = -5;
            char c = 'q';
            short sh = -300;
            int i = 41;
            long l = 1L << 40;
            float f = 1.5f;
            double d = 10.0;
            String s = "hello";
            int[] arr = {10, 20, 30, 40, 50};
            Object nul = null;
            int[] nullArr = null;
            Point obj = new Point();
            obj.next = new Point();
            byte[] bytes = {-1, 127};
            char[] chars = {'\uffff', 'a'};
            String[] words = {"w0", null};
            long[][] grid = {{1L, 2L}, {3L, 4L}};
            seen = new Object[] {s, arr, obj, this, words[0], obj.next, grid[1]};
            ready = true;
            while (!done) spin++;
            int late = 5;
            sink = late + i + l + by + sh + c + (z ? 1 : 0) + (b ? 1 : 0) + (long) f + (long) d + s.length() + arr.length
                    + (nul == null ? 0 : 1) + (nullArr == null ? 0 : 1) + obj.px + bytes.length + chars.length
                    + words.length + grid.length;
        }
    }

    static int passed;
    static int failed;
    static String messages;
    static List<String> failures = new ArrayList<>();

    static void check(String what, boolean ok, String detail) {
        if (ok) {
            passed++;
        } else {
            failed++;
            failures.add(what + ": " + detail);
        }
    }

    static int evaluate(Thread t, int depth, String expression) {
        return ExpressionEvaluation.jEvaluate(t, depth, 0, expression, messages, null);
    }

    // One expression: its kind, the getter of that kind, then the signature after jEvaluateDone.
    // For kind 0 `value` is the error text; for kind 1 the expected object (compared with ==, a
    // String literal's text compared with equals when `value` is a String and identity false).
    static void value(Thread t, int depth, String expression, int kind, Object value, char signature) {
        int got = evaluate(t, depth, expression);
        String what = "`" + expression + "`";
        if (got != kind) {
            String text = got == 0 ? ExpressionEvaluation.jErrorString() : "";
            check(what, false, "kind " + got + ", expected " + kind + " " + text);
            ExpressionEvaluation.jEvaluateDone();
            return;
        }
        switch (kind) {
            case 0: {
                String text = ExpressionEvaluation.jErrorString();
                check(what, value.equals(text), "text " + text + ", expected " + value);
                break;
            }
            case 1: {
                Object o = ExpressionEvaluation.jObjectValue();
                boolean same = o == value || (value instanceof Literal && ((Literal) value).text.equals(o));
                check(what, same, "object " + o + ", expected " + value);
                break;
            }
            case 2: {
                long v = ExpressionEvaluation.jLongValue();
                check(what, v == ((Number) value).longValue(), "long " + v + ", expected " + value);
                break;
            }
            case 3:
            case 6: {
                double v = ExpressionEvaluation.jDoubleValue();
                check(what, v == ((Number) value).doubleValue(), "double " + v + ", expected " + value);
                break;
            }
            case 4: {
                char v = ExpressionEvaluation.jCharacterValue();
                check(what, v == (Character) value, "char " + (int) v + ", expected " + (int) (Character) value);
                break;
            }
            case 5: {
                boolean v = ExpressionEvaluation.jBooleanValue();
                check(what, v == (Boolean) value, "boolean " + v + ", expected " + value);
                break;
            }
            default:
                check(what, false, "no such kind");
        }
        ExpressionEvaluation.jEvaluateDone();
        char letter = ExpressionEvaluation.evaluateSignature();
        check(what + " signature", letter == signature, "signature '" + letter + "', expected '" + signature + "'");
    }

    // A string the library makes anew, equal but not the same.
    static final class Literal {
        final String text;

        Literal(String text) {
            this.text = text;
        }

        public String toString() {
            return "\"" + text + "\"";
        }
    }

    static String internal(String detail) {
        return "<Internal error in the debugger evaluation: " + detail + ".>";
    }

    static void table(Thread t, int depth) {
        Object[] seen = Holder.seen;
        Object s = seen[0], arr = seen[1], obj = seen[2], self = seen[3], w0 = seen[4], next = seen[5], row = seen[6];
        value(t, depth, "i + 1", 2, 42, 'I');
        value(t, depth, "l * 2", 2, 1L << 41, 'J');
        value(t, depth, "d / 3", 3, 10.0 / 3, 'D');
        value(t, depth, "f", 6, 1.5, 'F');
        value(t, depth, "f * 2", 6, 3.0, 'F');
        value(t, depth, "c", 4, 'q', 'C');
        value(t, depth, "b && !z", 5, true, 'Z');
        value(t, depth, "z || !b", 5, false, 'Z');
        value(t, depth, "by", 2, -5, 'B');
        value(t, depth, "sh", 2, -300, 'S');
        value(t, depth, "s", 1, s, 'L');
        value(t, depth, "arr", 1, arr, '[');
        value(t, depth, "arr.length", 2, 5, 'I');
        value(t, depth, "arr[2]", 2, 30, 'I');
        value(t, depth, "arr[i - 37]", 2, 50, 'I');
        value(t, depth, "bytes[0]", 2, -1, 'B');
        value(t, depth, "chars[0]", 4, '\uffff', 'C');
        value(t, depth, "words[0]", 1, w0, 'L');
        value(t, depth, "words[1]", 1, null, 'L');
        value(t, depth, "grid[1]", 1, row, '[');
        value(t, depth, "grid[1][0] + grid[0][1]", 2, 5L, 'J');
        value(t, depth, "nul", 1, null, 'L');
        value(t, depth, "obj", 1, obj, 'L');
        value(t, depth, "obj.px", 2, 3, 'I');
        value(t, depth, "obj.py * 2", 3, 5.0, 'D');
        value(t, depth, "obj.next", 1, next, 'L');
        value(t, depth, "obj.next.next", 1, null, 'L');
        value(t, depth, "obj.count", 2, 1234567890123L, 'J');
        value(t, depth, "this", 1, self, 'L');
        value(t, depth, "this.x", 2, 7, 'I');
        value(t, depth, "x * i", 2, 287, 'I');
        value(t, depth, "this.s", 1, ((Holder) self).s, 'L');
        value(t, depth, "own[1]", 2, 2, 'I');
        value(t, depth, "(int) d", 2, 10, 'I');
        value(t, depth, "(char) (i + 24)", 4, 'A', 'C');
        value(t, depth, "(byte) 300", 2, 44, 'B');
        value(t, depth, "(float) i", 6, 41.0, 'F');
        value(t, depth, "(long) i << 33", 2, 41L << 33, 'J');
        value(t, depth, "1 + 2", 2, 3, 'I');
        value(t, depth, "'a'", 4, 'a', 'C');
        value(t, depth, "1.5f", 6, 1.5, 'F');
        value(t, depth, "0x7fffffff + 1", 2, Integer.MIN_VALUE, 'I');
        value(t, depth, "true", 5, true, 'Z');
        value(t, depth, "null", 1, null, 'L');
        value(t, depth, "\"ab\u00e9\" + 1", 1, new Literal("ab\u00e91"), 'L');
        value(t, depth, "i > 40 ? l : 2", 2, 1L << 40, 'J');
        value(t, depth, "nul instanceof Object", 5, false, 'Z');
        value(t, depth, "nullArr instanceof Object", 5, false, 'Z');
        value(t, depth, "s instanceof Object", 5, true, 'Z');
        // Errors, each key of the evaluation.
        value(t, depth, "nosuch", 0, "<No field named nosuch can be found.>", ' ');
        value(t, depth, "late", 0, "<Local variable late exists in this method but is not in scope at the current point.>", ' ');
        value(t, depth, "obj.nofield", 0, "<No field named nofield can be found.>", ' ');
        // Fields of a superclass are not the object's class's own.
        value(t, depth, "inherited", 0, "<No field named inherited can be found.>", ' ');
        value(t, depth, "i.x", 0, "<The expression before the dot does not have a class type.>", ' ');
        // A value that cannot be read still has its type for the signature.
        value(t, depth, "arr[5]", 0, "<The debugger cannot read this element: the array index is out of bounds.>", 'I');
        value(t, depth, "arr[-1]", 0, "<The debugger cannot read this element: the array index is out of bounds.>", 'I');
        value(t, depth, "nullArr.length", 0, "<The debugger cannot use this array because it is null.>", 'I');
        value(t, depth, "nullArr[0]", 0, "<The debugger cannot use this array because it is null.>", 'I');
        value(t, depth, "arr[9] * 2.0", 0, "<The debugger cannot read this element: the array index is out of bounds.>", 'D');
        value(t, depth, "grid[2]", 0, "<The debugger cannot read this element: the array index is out of bounds.>", '[');
        // A division that would throw is not folded.
        value(t, depth, "i / (i - 41)", 0, "<The debugger could not evaluate this expression.>", 'I');
        value(t, depth, "toString()", 0, "<The debugger cannot evaluate method calls.>", ' ');
        value(t, depth, "s.length()", 0, "<The debugger cannot evaluate method calls.>", ' ');
        value(t, depth, "i = 3", 0, "<The debugger could not evaluate this expression.>", ' ');
        // A result that folding could not reach keeps its type for the signature.
        value(t, depth, "s + 1", 0, "<The debugger could not evaluate this expression.>", 'L');
        value(t, depth, "Holder.seen", 0, "<No field named Holder can be found.>", ' ');
    }

    // The calling thread's own frame, one below the native entry.
    static void ownFrame() {
        int k = 5;
        String label = "own";
        Thread self = Thread.currentThread();
        check("own frame int", ExpressionEvaluation.jEvaluate(self, 1, 0, "k * 2", messages, null) == 2
                && ExpressionEvaluation.jLongValue() == 10, "k * 2");
        check("own frame object", ExpressionEvaluation.jEvaluate(self, 1, 0, "label", messages, null) == 1
                && ExpressionEvaluation.jObjectValue() == label, "label");
        // Through value(), frame 1 is the static helper evaluate(): a static method's frame has no
        // this, and a name no local has is not found at all.
        value(self, 1, "nosuch", 0, "<The debugger found no variable named nosuch in the current frame.>", ' ');
        value(self, 1, "this", 0, "<The debugger found no variable named this in the current frame.>", ' ');
        sinkAll(k, label);
    }

    static void sinkAll(int k, String label) {
        Holder.sink += k + label.length();
    }

    static void sequences(Thread t, int depth, String scratch) {
        // Twice without jEvaluateDone: the second releases the first.
        check("twice 1", evaluate(t, depth, "obj") == 1, "kind");
        check("twice 2", evaluate(t, depth, "i") == 2, "kind");
        check("twice value", ExpressionEvaluation.jLongValue() == 41, "value");
        ExpressionEvaluation.jEvaluateDone();
        // Getters after jEvaluateDone answer as without a result.
        check("after done 1", evaluate(t, depth, "obj") == 1, "kind");
        ExpressionEvaluation.jEvaluateDone();
        check("after done object", ExpressionEvaluation.jObjectValue() == null, "object");
        check("after done long", ExpressionEvaluation.jLongValue() == 0, "long");
        check("after done double", ExpressionEvaluation.jDoubleValue() == 0.0, "double");
        check("after done char", ExpressionEvaluation.jCharacterValue() == 0, "char");
        check("after done boolean", !ExpressionEvaluation.jBooleanValue(), "boolean");
        check("after done signature", ExpressionEvaluation.evaluateSignature() == 'L', "signature");
        check("after done text", "INTERNAL ERROR".equals(ExpressionEvaluation.jErrorString()), "text");
        ExpressionEvaluation.jEvaluateDone();
        ExpressionEvaluation.jEvaluateDone();
        // Evaluate, done, compile, evaluate.
        check("compile 1", evaluate(t, depth, "c") == 4, "kind");
        ExpressionEvaluation.jEvaluateDone();
        int errors = ExpressionEvaluation.tolvoMain(messages, null, scratch,
                new String[] {"-nowrite", new File(scratch, "Missing.java").getPath()});
        check("compile errors", errors > 0, "errors " + errors);
        check("compile 2", evaluate(t, depth, "c") == 4, "kind");
        check("compile value", ExpressionEvaluation.jCharacterValue() == 'q', "value");
        // A compile right after an evaluation with its result still held.
        errors = ExpressionEvaluation.tolvoMain(messages, null, scratch,
                new String[] {"-nowrite", new File(scratch, "Missing.java").getPath()});
        check("compile after result", errors > 0 && ExpressionEvaluation.jObjectValue() == null, "errors " + errors);
        // Early failures: no frame there, a null or empty expression; the text is the fallback.
        check("bad frame", evaluate(t, 999, "i") == 0, "kind");
        check("bad frame text", "INTERNAL ERROR".equals(ExpressionEvaluation.jErrorString()), "text");
        check("after bad frame", evaluate(t, depth, "i") == 2 && ExpressionEvaluation.jLongValue() == 41, "kind");
        check("null expression", evaluate(t, depth, null) == 0, "kind");
        check("null text", "INTERNAL ERROR".equals(ExpressionEvaluation.jErrorString()), "text");
        check("empty expression", evaluate(t, depth, "") == 0, "kind");
        check("empty text", "INTERNAL ERROR".equals(ExpressionEvaluation.jErrorString()), "text");
        // A success has no message of its own.
        check("success text 1", evaluate(t, depth, "1") == 2, "kind");
        check("success text", "<The debugger could not evaluate this expression.>".equals(ExpressionEvaluation.jErrorString()),
                "text");
        ExpressionEvaluation.jEvaluateDone();
        // Many evaluations in a row hold no reference past their end.
        for (int n = 0; n < 2000; n++) {
            evaluate(t, depth, "obj.next");
            ExpressionEvaluation.jObjectValue();
        }
        ExpressionEvaluation.jEvaluateDone();
        check("many", true, "");
    }

    static final Pattern TOO_DEEP =
            Pattern.compile("<Classes, blocks and expressions may nest at most (\\d+) levels deep; this one is skipped.>");

    // (1 + (1 + ... (1 + i)...)): every parenthesis a level of the parse.
    static String nested(int levels) {
        StringBuilder text = new StringBuilder();
        for (int n = 0; n < levels; n++) text.append("(1 + ");
        text.append('i');
        for (int n = 0; n < levels; n++) text.append(')');
        return text.toString();
    }

    // Evaluations on a thread of the given stack: a deep expression gives its value or, where the
    // stack or the limit of 256 levels ends it first, the nesting message with a smaller limit;
    // the virtual machine lives on either way.
    static void onStack(Thread t, int depth, long stackBytes) throws Exception {
        String label = stackBytes / 1024 + " KB stack";
        List<String> results = new ArrayList<>();
        Thread caller = new Thread(null, () -> {
            for (int levels : new int[] {0, 50, 100, 200, 255, 300, 5000}) {
                int kind = evaluate(t, depth, nested(levels));
                String text = kind == 0 ? ExpressionEvaluation.jErrorString() : "";
                results.add(levels + " " + kind + " " + (kind == 2 ? ExpressionEvaluation.jLongValue() : text));
                ExpressionEvaluation.jEvaluateDone();
            }
        }, "small", stackBytes);
        caller.start();
        caller.join();
        check(label + " results", results.size() == 7, String.valueOf(results));
        for (String result : results) {
            String[] parts = result.split(" ", 3);
            int levels = Integer.parseInt(parts[0]);
            Matcher deep = TOO_DEEP.matcher(parts[2]);
            boolean value = parts[1].equals("2") && parts[2].equals(String.valueOf(41 + levels));
            boolean stopped = parts[1].equals("0") && deep.matches() && Integer.parseInt(deep.group(1)) <= 256;
            check(label + " " + levels + " levels", value || stopped, result);
            // A plain expression always has room; more than 256 levels never.
            if (levels <= 50 && stackBytes >= 1024 * 1024 || levels == 0) check(label + " room", value, result);
            if (levels > 256) check(label + " limit", stopped, result);
        }
    }

    // Messages: German ones from their own file's encoding whatever the locale (the test runs under
    // LC_ALL=C), and message and locale directories named with or without their final "/".
    static void messageFiles(Thread t, int depth) {
        String german = Path.of(messages, "..", "bin", "lib", "locale", "de").normalize().toString();
        String bounds = "<Der Debugger kann dieses Element nicht lesen: Der Array-Index liegt au\u00dferhalb der Grenzen.>";
        for (String locale : new String[] {german, german + "/"}) {
            int kind = ExpressionEvaluation.jEvaluate(t, depth, 0, "arr[5]", messages, locale);
            String text = ExpressionEvaluation.jErrorString();
            check("german " + locale, kind == 0 && bounds.equals(text), text);
            ExpressionEvaluation.jEvaluateDone();
        }
        String plain = messages.endsWith("/") ? messages.substring(0, messages.length() - 1) : messages;
        int kind = ExpressionEvaluation.jEvaluate(t, depth, 0, "nosuch", plain, null);
        String text = ExpressionEvaluation.jErrorString();
        check("message directory without its slash", kind == 0 && "<No field named nosuch can be found.>".equals(text), text);
        ExpressionEvaluation.jEvaluateDone();
    }

    // Two threads evaluating at once, and one compiling meanwhile: the calls take turns, so every
    // evaluation returns its own kind and every compile its own count. A getter reads the last
    // result whichever thread made it: it is one of the two values, or none once a call released it.
    static void twoThreads(Thread t, int depth, String scratch) throws Exception {
        List<String> wrong = Collections.synchronizedList(new ArrayList<>());
        Runnable first = () -> {
            for (int n = 0; n < 300; n++) {
                int kind = evaluate(t, depth, "i + 1");
                long value = ExpressionEvaluation.jLongValue();
                if (kind != 2 || (value != 42 && value != 82 && value != 0)) wrong.add("i + 1: " + kind + " " + value);
            }
        };
        Runnable second = () -> {
            for (int n = 0; n < 300; n++) {
                int kind = evaluate(t, depth, "i * 2");
                if (kind != 2) wrong.add("i * 2: " + kind);
                ExpressionEvaluation.jEvaluateDone();
            }
        };
        Runnable compiler = () -> {
            for (int n = 0; n < 20; n++) {
                int errors = ExpressionEvaluation.tolvoMain(messages, null, scratch,
                        new String[] {"-nowrite", new File(scratch, "Missing.java").getPath()});
                if (errors != 1) wrong.add("compile: " + errors);
            }
        };
        Thread[] threads = {new Thread(first), new Thread(second), new Thread(compiler)};
        for (Thread thread : threads) thread.start();
        for (Thread thread : threads) thread.join();
        check("two threads", wrong.isEmpty(), String.valueOf(wrong));
    }

    public static void main(String[] args) throws Exception {
        System.load(args[0]);
        messages = args[1];
        Holder holder = new Holder();
        Thread worker = new Thread(holder::hold, "holder");
        worker.setDaemon(true);
        worker.start();
        while (!Holder.ready) Thread.sleep(1);
        worker.suspend();
        int depth = -1;
        StackTraceElement[] stack = worker.getStackTrace();
        for (int n = 0; n < stack.length && depth < 0; n++)
            if (stack[n].getMethodName().equals("hold")) depth = n;
        check("frame found", depth >= 0, "no frame of hold");
        if (depth >= 0) {
            table(worker, depth);
            sequences(worker, depth, args[2]);
            messageFiles(worker, depth);
            onStack(worker, depth, 160 * 1024);
            onStack(worker, depth, 256 * 1024);
            onStack(worker, depth, 1024 * 1024);
            twoThreads(worker, depth, args[2]);
        }
        ownFrame();
        worker.resume();
        // A thread that runs has no frame to read.
        check("running thread", evaluate(worker, depth, "i") == 0, "kind");
        check("running thread text", "INTERNAL ERROR".equals(ExpressionEvaluation.jErrorString()), "text");
        ExpressionEvaluation.jEvaluateDone();
        Holder.done = true;
        worker.join();
        for (String f : failures) System.out.println("FAILED " + f);
        System.out.println(passed + " passed, " + failed + " failed");
        System.exit(failed == 0 ? 0 : 1);
    }
}
