// Random programs compiled here and by ecj -1.3, both sets of class files run on this JDK with
// -Xverify:all, their outputs compared program by program.
//
//   check --seed S --count N --work DIR --quorvelix PATH --library ZIP [--profile P] [--keep-going]
//         [--avoid-constant-edges] [--jobs J]
//       generates N programs (program i from seed S and i, so one program is made again alone with
//       --first i --count 1), compiles each with both compilers, runs both sets in a child virtual
//       machine each, and reports every difference: a program one compiler refuses, a run that
//       prints or ends otherwise. Exit status 0 when there is none. A program whose classes from
//       ecj fail verification (ecj's finally subroutines, now and then) is not compared.
//   generate --seed S --count N --out DIR [--first K] [--profile P] [--avoid-constant-edges]
//       only writes the programs (DIR/p<i>/Main.java).
//   run p0 p1 ...
//       the runner of the child virtual machine: each program's main, then every class of its
//       package loaded and initialized, the output of each under a header line.
//
// Profiles: "general" (expressions of every primitive type with edge values, casts, compound
// assignments, increments of locals, fields and array elements, string concatenation, switches,
// labelled loops, try, catch and finally, synchronized, arrays, static and instance members
// through every kind of qualifier), and "finally" (try statements nested three deep in the try,
// catch and finally blocks alike, with returns, breaks, continues and throws from every level and
// locals of every type in each block). Every program is valid Java 1.1: its statements are
// reachable, its locals are assigned where declared, its loops are bounded and it prints only
// values, never an object's identity. Two places where ecj's classes compute otherwise than the
// language (and javac) are left out: + on a floating -0.0 and c ? true : true as a condition.
// --avoid-constant-edges leaves out constant conditions, constant zero divisors, constant shift
// counts out of range, folded floating values turned into strings and final locals.

import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.IOException;
import java.io.PrintStream;
import java.io.PrintWriter;
import java.io.StringWriter;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;
import java.util.Random;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.concurrent.TimeUnit;

public final class RandomPrograms {
  public static void main(String[] args) throws Exception {
    if (args.length == 0) usage();
    String mode = args[0];
    Options o = new Options(Arrays.copyOfRange(args, 1, args.length));
    switch (mode) {
      case "run":
        System.exit(Runner.run(o.rest));
        break;
      case "generate":
        for (int i = o.first; i < o.first + o.count; i++) writeProgram(Paths.get(o.out), o.seed, i, o.profile, o.avoidConstantEdges);
        break;
      case "check":
        System.exit(new Checker(o).check());
        break;
      default:
        usage();
    }
  }

  static void usage() {
    System.err.println("usage: RandomPrograms check --seed S --count N --work DIR --quorvelix PATH --library ZIP"
        + " [--first K] [--profile general|finally] [--keep-going] [--avoid-constant-edges] [--jobs J]\n"
        + "       RandomPrograms generate --seed S --count N --out DIR [--first K] [--profile P] [--avoid-constant-edges]\n"
        + "       RandomPrograms run p0 p1 ...");
    System.exit(2);
  }

  static final class Options {
    long seed = 1;
    int first = 0;
    int count = 10;
    int jobs = 4;
    String out = "random-programs";
    String work = "random-programs";
    String quorvelix;
    String library;
    String profile = "general";
    boolean keepGoing;
    boolean avoidConstantEdges;
    List<String> rest = new ArrayList<>();

    Options(String[] args) {
      for (int i = 0; i < args.length; i++) {
        String a = args[i];
        switch (a) {
          case "--seed": seed = Long.parseLong(args[++i]); break;
          case "--first": first = Integer.parseInt(args[++i]); break;
          case "--count": count = Integer.parseInt(args[++i]); break;
          case "--jobs": jobs = Integer.parseInt(args[++i]); break;
          case "--out": out = args[++i]; break;
          case "--work": work = args[++i]; break;
          case "--quorvelix": quorvelix = args[++i]; break;
          case "--library": library = args[++i]; break;
          case "--profile": profile = args[++i]; break;
          case "--keep-going": keepGoing = true; break;
          case "--avoid-constant-edges": avoidConstantEdges = true; break;
          default:
            if (a.startsWith("--")) usage();
            rest.add(a);
        }
      }
      if (!profile.equals("general") && !profile.equals("finally")) usage();
    }
  }

  static String packageName(int index) {
    return "p" + index;
  }

  static Path writeProgram(Path root, long seed, int index, String profile, boolean avoidConstantEdges) throws IOException {
    Path dir = root.resolve(packageName(index));
    Files.createDirectories(dir);
    Path file = dir.resolve("Main.java");
    long programSeed = seed * 1_000_003L + index;
    String text = new Generator(new Random(programSeed), packageName(index), profile.equals("finally"), avoidConstantEdges).program();
    Files.writeString(file, "// seed " + seed + ", program " + index + ", profile " + profile + "\n" + text);
    return file;
  }

  // ---------------------------------------------------------------------------------------------
  // The generator.

  static final class Var {
    final String name;
    final String type;
    final boolean readOnly;  // loop counters and the like: read, never assigned

    Var(String name, String type, boolean readOnly) {
      this.name = name;
      this.type = type;
      this.readOnly = readOnly;
    }
  }

  // A statement that break or continue may leave: a loop, a switch, or a labelled block.
  static final class Jump {
    static final int LOOP = 0, SWITCH = 1, BLOCK = 2;
    final int kind;
    final String label;
    int breaks;
    int continues;

    Jump(int kind, String label) {
      this.kind = kind;
      this.label = label;
    }
  }

  static final class MethodSig {
    final String name;
    final boolean isStatic;
    final String result;
    final String[] parameters;

    MethodSig(String name, boolean isStatic, String result, String[] parameters) {
      this.name = name;
      this.isStatic = isStatic;
      this.result = result;
      this.parameters = parameters;
    }
  }

  static final String[] PRIMITIVES = {"boolean", "byte", "short", "char", "int", "long", "float", "double"};
  static final String[] NUMERIC = {"byte", "short", "char", "int", "long", "float", "double"};
  static final String[] VALUE_TYPES = {"boolean", "byte", "short", "char", "int", "long", "float", "double", "String"};
  // Catch types in an order where no class comes after one of its superclasses.
  static final String[] CATCH_TYPES = {"ArithmeticException", "ArrayIndexOutOfBoundsException", "NullPointerException",
      "ClassCastException", "NegativeArraySizeException", "U0", "E0", "RuntimeException", "Exception", "Throwable"};

  static boolean isIntegral(String t) {
    return t.equals("byte") || t.equals("short") || t.equals("char") || t.equals("int") || t.equals("long");
  }

  static String promoted(String t) {
    return t.equals("byte") || t.equals("short") || t.equals("char") ? "int" : t;
  }

  static String promoted(String a, String b) {
    if (a.equals("double") || b.equals("double")) return "double";
    if (a.equals("float") || b.equals("float")) return "float";
    if (a.equals("long") || b.equals("long")) return "long";
    return "int";
  }

  // Short field and array names per type.
  static String letter(String t) {
    switch (t) {
      case "boolean": return "z";
      case "byte": return "b";
      case "short": return "s";
      case "char": return "c";
      case "int": return "i";
      case "long": return "l";
      case "float": return "f";
      case "double": return "d";
      default: return "t";
    }
  }

  static final class Generator {
    final Random r;
    final String pkg;
    final boolean finallyProfile;
    // Steers clear of what a constant expression may bring: if and while conditions, integral
    // divisors and shift counts are never constants that are zero or out of range, floating
    // values join strings through a call, and no local is final.
    final boolean avoidConstantEdges;
    final StringBuilder out = new StringBuilder();
    int indent;
    int names;
    final List<MethodSig> methods = new ArrayList<>();

    // The method being generated.
    MethodSig method;
    int methodIndex;
    final List<Var> locals = new ArrayList<>();
    final List<Jump> jumps = new ArrayList<>();
    // Per open try body: whether an E0 may come out of it (so that catch (E0 e) is allowed).
    final List<boolean[]> checkedSites = new ArrayList<>();
    int statementBudget;
    // In the static initializer: no return.
    boolean inInitializer;
    int tryDepth;
    int loopDepth;
    // String variables read in the expression being made: one at most, so that no loop doubles a
    // string's length at every turn.
    int stringReads;

    Generator(Random r, String pkg, boolean finallyProfile, boolean avoidConstantEdges) {
      this.r = r;
      this.pkg = pkg;
      this.finallyProfile = finallyProfile;
      this.avoidConstantEdges = avoidConstantEdges;
    }

    boolean chance(double p) {
      return r.nextDouble() < p;
    }

    int pick(int n) {
      return r.nextInt(n);
    }

    <T> T pick(T[] a) {
      return a[r.nextInt(a.length)];
    }

    <T> T pick(List<T> a) {
      return a.get(r.nextInt(a.size()));
    }

    String fresh(String prefix) {
      return prefix + (names++);
    }

    void line(String s) {
      for (int i = 0; i < indent; i++) out.append("  ");
      out.append(s).append('\n');
    }

    // ----- the program -----

    String program() {
      out.append("package ").append(pkg).append(";\n\n");
      out.append("class E0 extends Exception { int code; E0(int c) { code = c; } }\n");
      out.append("class U0 extends RuntimeException { }\n");
      out.append("interface I { int im(int a); }\n");
      out.append("class Base implements I {\n");
      out.append("  public int im(int a) { return a * 7 + bf; }\n");
      out.append("  int bf = " + intLiteral() + "; long bl = " + longLiteral() + "; static int bs = " + intLiteral() + ";\n");
      out.append("  int vm(int a) { bf += a; return a ^ bf; }\n");
      out.append("  static int sm(int a) { bs++; return a + 1; }\n");
      out.append("}\n");
      out.append("class Sub extends Base {\n");
      out.append("  int bf = " + intLiteral() + ";\n");
      out.append("  int vm(int a) { bf -= a; return super.vm(a) * 3 + bf; }\n");
      out.append("  static int sm(int a) { bs += 2; return a - 1; }\n");
      out.append("  Sub() { }\n");
      out.append("  Sub(int a) { bf = a; bl += a; }\n");
      out.append("}\n\n");
      out.append("public class Main {\n");
      indent = 1;
      for (String t : VALUE_TYPES) {
        line("static " + t + " s" + letter(t) + "0 = " + literal(t) + ", s" + letter(t) + "1 = " + literal(t) + ";");
        line(t + " f" + letter(t) + "0 = " + literal(t) + ";");
        StringBuilder init = new StringBuilder();
        for (int i = 0; i < 4; i++) init.append(i == 0 ? "" : ", ").append(literal(t));
        line("static final " + t + "[] a" + letter(t) + " = { " + init + " };");
      }
      line("static Main mo = new Main();");
      line("static Main mnull;");
      line("static Base bo = new Sub();");
      line("static final int[][] aii = { { 1, 2 }, { 3, 4, 5, 6 }, { }, null };");
      line("static final Base[] abo = { new Base(), new Sub(), null, bo };");
      line("static Object ob = \"ob\";");
      line("static final Object lock = new Object();");
      line("static void p(String s) { System.out.println(s); }");
      line("static Main mine() { return mo; }");
      line("static Main none() { return null; }");
      line("static boolean nc(boolean b) { return b; }");
      line("static float nf(float f) { return f; }");
      line("static double nd(double d) { return d; }");
      generateStaticInitializer();
      generateConstructor();
      int count = finallyProfile ? 2 + pick(3) : 3 + pick(4);
      for (int i = 0; i < count; i++) {
        boolean isStatic = chance(0.6);
        String result = chance(0.2) ? "void" : pick(VALUE_TYPES);
        int n = pick(4);
        String[] parameters = new String[n];
        for (int k = 0; k < n; k++) parameters[k] = pick(VALUE_TYPES);
        methods.add(new MethodSig("m" + i, isStatic, result, parameters));
      }
      for (int i = 0; i < count; i++) generateMethod(i);
      generateMain();
      indent = 0;
      line("}");
      return out.toString();
    }

    // A static initializer of statements, all inside a try that catches everything, since an
    // initializer may not complete abruptly.
    void generateStaticInitializer() {
      method = new MethodSig("<clinit>", true, "void", new String[0]);
      methodIndex = 0;
      locals.clear();
      jumps.clear();
      checkedSites.clear();
      inInitializer = true;
      statementBudget = 6 + pick(6);
      line("static {");
      indent++;
      line("try {");
      indent++;
      block(2, 4);
      indent--;
      line("} catch (Throwable t) {");
      line("  p(\"clinit threw \" + t.getClass().getName());");
      line("}");
      indent--;
      line("}");
      inInitializer = false;
    }

    // The constructor, which the static initializer runs for mo: its statements inside a try that
    // catches everything, so that the class always initializes.
    void generateConstructor() {
      method = new MethodSig("<init>", false, "void", new String[0]);
      methodIndex = 0;
      locals.clear();
      jumps.clear();
      checkedSites.clear();
      statementBudget = 4 + pick(6);
      line("Main() {");
      indent++;
      line("try {");
      indent++;
      block(2, 3);
      indent--;
      line("} catch (Throwable t) {");
      line("  p(\"init threw \" + t.getClass().getName());");
      line("}");
      indent--;
      line("}");
    }

    void generateMain() {
      line("public static void main(String[] args) {");
      indent++;
      locals.clear();
      method = null;
      for (MethodSig m : methods) {
        for (int round = 0; round < 2; round++) {
          StringBuilder call = new StringBuilder(m.isStatic ? m.name : "mo." + m.name).append('(');
          for (int k = 0; k < m.parameters.length; k++) call.append(k == 0 ? "" : ", ").append(literalArgument(m.parameters[k]));
          call.append(')');
          String tag = "\"" + m.name + "." + round + " \"";
          line("try {");
          if (m.result.equals("void")) {
            line("  " + call + ";");
            line("  p(" + tag + " + \"done\");");
          } else {
            line("  p(" + tag + " + " + call + ");");
          }
          line("} catch (Throwable t) {");
          line("  p(" + tag + " + \"threw \" + t.getClass().getName());");
          line("}");
        }
      }
      StringBuilder state = new StringBuilder("\"state\"");
      for (String t : VALUE_TYPES) {
        String l = letter(t);
        state.append(" + \" \" + s" + l + "0 + \" \" + s" + l + "1 + \" \" + mo.f" + l + "0");
      }
      line("p(" + state + ");");
      line("p(\"base \" + bo.bf + \" \" + ((Sub) bo).bf + \" \" + bo.bl + \" \" + Base.bs);");
      for (String t : VALUE_TYPES) {
        line("for (int i = 0; i < a" + letter(t) + ".length; i++) p(\"a" + letter(t) + " \" + i + \" \" + a" + letter(t) + "[i]);");
      }
      indent--;
      line("}");
    }

    // An argument of main's calls: a literal, so that main needs nothing of its own.
    String literalArgument(String t) {
      String v = literal(t);
      return t.equals("byte") || t.equals("short") || t.equals("char") ? "(" + t + ") " + v : v;
    }

    void generateMethod(int index) {
      method = methods.get(index);
      methodIndex = index;
      locals.clear();
      jumps.clear();
      checkedSites.clear();
      tryDepth = 0;
      loopDepth = 0;
      statementBudget = finallyProfile ? 20 + pick(20) : 25 + pick(40);
      StringBuilder head = new StringBuilder(method.isStatic ? "static " : "").append(method.result).append(' ')
          .append(method.name).append('(');
      for (int k = 0; k < method.parameters.length; k++) {
        String name = "a" + k;
        head.append(k == 0 ? "" : ", ").append(method.parameters[k]).append(' ').append(name);
        locals.add(new Var(name, method.parameters[k], false));
      }
      head.append(") throws Exception {");
      line(head.toString());
      indent++;
      // Now and then enough locals first that the method's own take slots above 255 (the wide
      // forms of loads, stores, iinc and ret).
      if (chance(0.1)) {
        StringBuilder pad = new StringBuilder("long");
        for (int k = 0; k < 130; k++) pad.append(k == 0 ? " " : ", ").append("pad").append(k).append(" = ").append(k);
        line(pad + ";");
      }
      boolean completes = finallyProfile ? tryStatement(3) && block(2, 3) : block(3, 6);
      if (completes && !method.result.equals("void")) line("return " + returned() + ";");
      indent--;
      line("}");
    }

    // ----- statements; each returns whether it can complete normally -----

    // Statements up to `count` (fewer when the budget is spent), stopping after one that cannot
    // complete normally, since a statement after it would be unreachable.
    boolean statements(int depth, int count) {
      int n = 1 + pick(count);
      for (int i = 0; i < n && statementBudget > 0; i++) {
        if (!statement(depth)) return false;
      }
      return true;
    }

    // A block of its own scope.
    boolean block(int depth, int count) {
      int mark = locals.size();
      boolean completes = statements(depth, count);
      truncate(mark);
      return completes;
    }

    void truncate(int mark) {
      while (locals.size() > mark) locals.remove(locals.size() - 1);
    }

    boolean braced(int depth, int count) {
      line("{");
      indent++;
      boolean completes = block(depth, count);
      indent--;
      line("}");
      return completes;
    }

    boolean statement(int depth) {
      statementBudget--;
      if (depth <= 0) return simpleStatement();
      int choice = pick(finallyProfile ? 24 : 30);
      switch (choice) {
        case 0: case 1: case 2: return declaration();
        case 3: case 4: return ifStatement(depth);
        case 5: return forLoop(depth);
        case 6: return whileLoop(depth);
        case 7: return doLoop(depth);
        case 8: return switchStatement(depth);
        case 9: case 10: return tryStatement(depth);
        case 11: return synchronizedStatement(depth);
        case 12: return labelledBlock(depth);
        case 13: return jumpOut(true);
        case 14: return leaveMethod(true);
        default: return simpleStatement();
      }
    }

    boolean simpleStatement() {
      switch (pick(10)) {
        case 0: case 1: return declaration();
        case 2: case 3: case 4:
          line("p(\"" + fresh("v") + " \" + " + printed(pick(VALUE_TYPES), 3) + ");");
          return true;
        case 5:
          return jumpOut(true);
        default:
          line(statementExpression() + ";");
          return true;
      }
    }

    boolean declaration() {
      String t = pick(VALUE_TYPES);
      String name = fresh("v");
      // A final local shares its slot with later locals of other blocks, which definite
      // assignment's loop check takes for the final one: avoided with the constant edges.
      boolean isFinal = !avoidConstantEdges && chance(0.15);
      line((isFinal ? "final " : "") + t + " " + name + " = " + expression(t, 3) + ";");
      locals.add(new Var(name, t, isFinal));
      if (chance(0.1)) {
        String array = fresh("v");
        String element = pick(PRIMITIVES);
        line(element + "[] " + array + " = new " + element + "[" + (chance(0.85) ? String.valueOf(pick(5)) : "(" + expression("int", 1) + ") & 7") + "];");
        locals.add(new Var(array, element + "[]", true));
      }
      return true;
    }

    // An assignment, compound assignment, increment, call or creation.
    String statementExpression() {
      switch (pick(6)) {
        case 0: {
          String t = pick(VALUE_TYPES);
          return lvalue(t) + " = " + expression(t, 3);
        }
        case 1: case 2: return compound(pick(VALUE_TYPES), 3);
        case 3: return increment(pick(NUMERIC));
        case 4: {
          String call = call(null, 2);
          if (call != null) return call;
          return increment(pick(NUMERIC));
        }
        default:
          return chance(0.5) ? "bo.vm(" + expression("int", 2) + ")" : chance(0.5) ? "new Sub()" : "bo = new Sub(" + expression("int", 2) + ")";
      }
    }

    boolean ifStatement(int depth) {
      line("if (" + condition(3) + ") {");
      indent++;
      boolean a = block(depth - 1, 3);
      indent--;
      if (chance(0.5)) {
        line("} else {");
        indent++;
        boolean b = block(depth - 1, 3);
        indent--;
        line("}");
        return a || b;
      }
      line("}");
      return true;
    }

    String labelFor() {
      return chance(0.3) ? fresh("L") : null;
    }

    boolean loop(int depth, String head, String tail, String label, boolean isDo) {
      Jump jump = new Jump(Jump.LOOP, label);
      jumps.add(jump);
      line((label != null ? label + ": " : "") + head);
      indent++;
      loopDepth++;
      boolean body = block(depth - 1, 4);
      loopDepth--;
      indent--;
      line(tail);
      jumps.remove(jumps.size() - 1);
      // A for or while loop whose condition is no constant completes normally; a do loop when its
      // body can, or a continue reaches its condition, or a break leaves it.
      return !isDo || body || jump.continues > 0 || jump.breaks > 0;
    }

    boolean forLoop(int depth) {
      String i = fresh("i");
      String label = labelFor();
      int mark = locals.size();
      locals.add(new Var(i, "int", true));
      boolean c = loop(depth, "for (int " + i + " = " + pick(2) + "; " + i + " < " + (1 + pick(4)) + "; " + i + "++) {", "}", label, false);
      truncate(mark);
      return c;
    }

    boolean whileLoop(int depth) {
      String w = fresh("w");
      line("int " + w + " = 0;");
      locals.add(new Var(w, "int", true));
      String condition = w + "++ < " + (1 + pick(4));
      if (chance(0.4)) condition += " && " + condition(2);
      return loop(depth, "while (" + condition + ") {", "}", labelFor(), false);
    }

    boolean doLoop(int depth) {
      String w = fresh("w");
      line("int " + w + " = 0;");
      locals.add(new Var(w, "int", true));
      return loop(depth, "do {", "} while (" + w + "++ < " + pick(4) + ");", labelFor(), true);
    }

    boolean labelledBlock(int depth) {
      String label = fresh("L");
      Jump jump = new Jump(Jump.BLOCK, label);
      jumps.add(jump);
      line(label + ": {");
      indent++;
      boolean body = block(depth - 1, 4);
      indent--;
      line("}");
      jumps.remove(jumps.size() - 1);
      return body || jump.breaks > 0;
    }

    boolean switchStatement(int depth) {
      String t = pick(new String[] {"int", "char", "byte", "short"});
      Jump jump = new Jump(Jump.SWITCH, null);
      jumps.add(jump);
      line("switch (" + expression(t, 2) + ") {");
      indent++;
      int groups = 1 + pick(4);
      List<Integer> keys = new ArrayList<>();
      boolean hasDefault = false;
      boolean lastCompletes = true;
      boolean labelsAtEnd = false;
      for (int g = 0; g < groups; g++) {
        int labels = 1 + pick(2);
        for (int k = 0; k < labels; k++) {
          if (!hasDefault && chance(0.15)) {
            line("default:");
            hasDefault = true;
            continue;
          }
          int key;
          do {
            key = switchKey(t);
          } while (keys.contains(key));
          keys.add(key);
          line("case " + switchKeyText(t, key) + ":");
        }
        if (g == groups - 1 && chance(0.15)) {
          labelsAtEnd = true;
          break;
        }
        indent++;
        lastCompletes = braced(depth - 1, 3);
        if (lastCompletes && chance(0.5)) {
          line("break;");
          jump.breaks++;
          lastCompletes = false;
        }
        indent--;
      }
      indent--;
      line("}");
      jumps.remove(jumps.size() - 1);
      return lastCompletes || labelsAtEnd || jump.breaks > 0 || !hasDefault;
    }

    // A case key that fits the switch's type (a char key as its unsigned value).
    int switchKey(String t) {
      int key;
      switch (pick(4)) {
        case 0: key = pick(8); break;
        case 1: key = -pick(8); break;
        default:
          switch (t) {
            case "char": key = new int[] {65, 97, 0xffff, 0x7f}[pick(4)]; break;
            case "byte": key = new int[] {-128, 127, -1, 5}[pick(4)]; break;
            case "short": key = new int[] {-32768, 32767, 255, -3}[pick(4)]; break;
            default: key = new int[] {Integer.MIN_VALUE, Integer.MAX_VALUE, 1000, -1000, 65536}[pick(5)]; break;
          }
      }
      return t.equals("char") ? key & 0xffff : key;
    }

    static String switchKeyText(String t, int key) {
      if (t.equals("char")) return "(char) " + key;
      if (key == Integer.MIN_VALUE) return "0x80000000";
      return key < 0 ? "(" + key + ")" : String.valueOf(key);
    }

    boolean synchronizedStatement(int depth) {
      String lock = pick(new String[] {"lock", "mo", "ob", "bo", "a" + letter(pick(PRIMITIVES)), "\"s\""});
      if (method != null && !method.isStatic && chance(0.3)) lock = "this";
      if (chance(0.05)) lock = "(Object) mnull";
      line("synchronized (" + lock + ") {");
      indent++;
      boolean body = block(depth - 1, 4);
      indent--;
      line("}");
      return body;
    }

    // break or continue, alone or under an if; whether what follows can be reached.
    boolean jumpOut(boolean maybeConditional) {
      List<String> options = new ArrayList<>();
      List<Jump> targets = new ArrayList<>();
      List<Boolean> continues = new ArrayList<>();
      for (int i = jumps.size() - 1; i >= 0; i--) {
        Jump j = jumps.get(i);
        boolean innermostBreakable = true;
        boolean innermostLoop = true;
        for (int k = jumps.size() - 1; k > i; k--) {
          Jump inner = jumps.get(k);
          if (inner.kind != Jump.BLOCK) innermostBreakable = false;
          if (inner.kind == Jump.LOOP) innermostLoop = false;
        }
        if (j.kind != Jump.BLOCK && innermostBreakable) {
          options.add("break;");
          targets.add(j);
          continues.add(false);
        }
        if (j.kind == Jump.LOOP && innermostLoop) {
          options.add("continue;");
          targets.add(j);
          continues.add(true);
        }
        if (j.label != null) {
          options.add("break " + j.label + ";");
          targets.add(j);
          continues.add(false);
          if (j.kind == Jump.LOOP) {
            options.add("continue " + j.label + ";");
            targets.add(j);
            continues.add(true);
          }
        }
      }
      if (options.isEmpty()) {
        line(statementExpression() + ";");
        return true;
      }
      int k = pick(options.size());
      if (continues.get(k))
        targets.get(k).continues++;
      else
        targets.get(k).breaks++;
      if (maybeConditional && chance(0.7)) {
        line("if (" + condition(2) + ") " + options.get(k));
        return true;
      }
      line(options.get(k));
      return false;
    }

    // return or throw, alone or under an if.
    boolean leaveMethod(boolean maybeConditional) {
      String s;
      if (chance(0.65) && !inInitializer) {
        s = method.result.equals("void") ? "return;" : "return " + returned() + ";";
      } else if (chance(0.5)) {
        s = "throw new U0();";
      } else {
        s = "throw new E0(" + expression("int", 1) + ");";
        noteCheckedSite();
      }
      if (maybeConditional && chance(0.6)) {
        line("if (" + condition(2) + ") " + s);
        return true;
      }
      line(s);
      return false;
    }

    void noteCheckedSite() {
      if (!checkedSites.isEmpty()) checkedSites.get(checkedSites.size() - 1)[0] = true;
    }

    boolean tryStatement(int depth) {
      statementBudget -= 2;
      int[] breaksBefore = jumpCounts(true);
      int[] continuesBefore = jumpCounts(false);
      tryDepth++;
      line("try {");
      indent++;
      checkedSites.add(new boolean[1]);
      boolean body = tryBlock(depth);
      boolean throwsChecked = checkedSites.remove(checkedSites.size() - 1)[0];
      indent--;
      List<String> catches = new ArrayList<>();
      for (String c : CATCH_TYPES) {
        if (c.equals("E0") && !throwsChecked) continue;
        if (chance(finallyProfile ? 0.15 : 0.25)) catches.add(c);
      }
      boolean hasFinally = catches.isEmpty() || chance(finallyProfile ? 0.8 : 0.5);
      boolean anyCatchCompletes = false;
      boolean absorbed = false;
      checkedSites.add(new boolean[1]);
      for (String c : catches) {
        String e = fresh("e");
        line("} catch (" + c + " " + e + ") {");
        indent++;
        int mark = locals.size();
        if (chance(0.5)) line("p(\"" + fresh("c") + " \" + " + (c.equals("E0") ? e + ".code" : e + ".getClass().getName()") + ");");
        boolean completes;
        if (!c.equals("Throwable") && chance(0.1)) {
          line("throw " + e + ";");
          if (c.equals("E0")) noteCheckedSite();
          completes = false;
        } else {
          completes = tryBlock(depth);
        }
        truncate(mark);
        indent--;
        anyCatchCompletes |= completes;
        absorbed |= c.equals("E0") || c.equals("Exception") || c.equals("Throwable");
      }
      boolean catchesThrowChecked = checkedSites.remove(checkedSites.size() - 1)[0];
      int[] breaksAfterCatches = jumpCounts(true);
      int[] continuesAfterCatches = jumpCounts(false);
      boolean finallyCompletes = true;
      if (hasFinally) {
        line("} finally {");
        indent++;
        finallyCompletes = tryBlock(depth);
        indent--;
      }
      line("}");
      tryDepth--;
      // What the try and catch blocks throw gets out unless a finally that cannot complete
      // discards it.
      if (finallyCompletes && ((throwsChecked && !absorbed) || catchesThrowChecked)) noteCheckedSite();
      if (!finallyCompletes) {
        // A break or continue of the try or catch blocks never gets past a finally that cannot
        // complete: only those of the finally block itself count.
        restoreJumpCounts(true, breaksBefore, breaksAfterCatches);
        restoreJumpCounts(false, continuesBefore, continuesAfterCatches);
      }
      return (body || anyCatchCompletes) && finallyCompletes;
    }

    int[] jumpCounts(boolean breaks) {
      int[] counts = new int[jumps.size()];
      for (int i = 0; i < counts.length; i++) counts[i] = breaks ? jumps.get(i).breaks : jumps.get(i).continues;
      return counts;
    }

    void restoreJumpCounts(boolean breaks, int[] before, int[] afterCatches) {
      for (int i = 0; i < before.length; i++) {
        Jump j = jumps.get(i);
        if (breaks)
          j.breaks = before[i] + (j.breaks - afterCatches[i]);
        else
          j.continues = before[i] + (j.continues - afterCatches[i]);
      }
    }

    // The block of a try, catch or finally: in the finally profile locals of several types, a
    // nested try while the nest is not three deep, and a way out (return, throw, break, continue)
    // now and then.
    boolean tryBlock(int depth) {
      int mark = locals.size();
      boolean completes = true;
      if (finallyProfile) {
        int n = 1 + pick(3);
        for (int k = 0; k < n; k++) declaration();
        if (tryDepth < 3 && statementBudget > 0 && chance(0.7)) completes = tryStatement(depth);
        if (completes && loopDepth < 2 && tryDepth < 3 && statementBudget > 0 && chance(0.25)) completes = finallyLoop(depth);
        if (completes && chance(0.3)) {
          line("p(\"" + fresh("v") + " \" + " + printed(pick(VALUE_TYPES), 2) + ");");
        }
        // Now and then a statement of any kind: a switch, a synchronized statement, a loop.
        if (completes && statementBudget > 0 && chance(0.25)) completes = statement(Math.max(1, depth - 1));
        if (completes && chance(0.45)) completes = chance(0.6) ? leaveMethod(true) : jumpOut(true);
      } else {
        completes = statements(depth - 1, 3);
      }
      truncate(mark);
      return completes;
    }

    // A loop around a further try, so that breaks and continues have somewhere to go.
    boolean finallyLoop(int depth) {
      String i = fresh("i");
      String label = fresh("L");
      Jump jump = new Jump(Jump.LOOP, label);
      jumps.add(jump);
      int mark = locals.size();
      locals.add(new Var(i, "int", true));
      line(label + ": for (int " + i + " = 0; " + i + " < " + (1 + pick(3)) + "; " + i + "++) {");
      indent++;
      loopDepth++;
      if (chance(0.5)) declaration();
      tryStatement(depth);
      loopDepth--;
      indent--;
      line("}");
      truncate(mark);
      jumps.remove(jumps.size() - 1);
      return true;
    }

    // ----- expressions: each made with exactly the type asked for -----

    // The condition of an if or a while. With avoidConstantEdges never a constant expression: it
    // goes through nc(), which returns its argument.
    String condition(int depth) {
      String c = expression("boolean", depth);
      return avoidConstantEdges ? "nc(" + c + ")" : c;
    }

    // An expression printed or joined to a string. With avoidConstantEdges a float or double goes
    // through nf() or nd(), which return their argument: a folded constant's string would be the
    // compiler's own conversion, which for some values is shorter than the Float.toString and
    // Double.toString of JDK 17 (2.14748365E9f).
    String concatenated(String t, int depth) {
      String e = expr(t, depth);
      if (!avoidConstantEdges) return e;
      if (t.equals("float")) return "nf(" + e + ")";
      if (t.equals("double")) return "nd(" + e + ")";
      return e;
    }

    String printed(String t, int depth) {
      stringReads = 0;
      return concatenated(t, depth);
    }

    // The value of a return. With avoidConstantEdges a boolean goes through nc(): a boolean
    // return is made into branches, and a constant operand (b && false) must not make one of
    // them look unreachable.
    String returned() {
      String e = expression(method.result, 2);
      return avoidConstantEdges && method.result.equals("boolean") ? "nc(" + e + ")" : e;
    }

    // A shift count; with avoidConstantEdges masked into the range of the shifted type, so that a
    // constant count is never out of range.
    String shiftCount(String count, String shifted) {
      if (!avoidConstantEdges) return count;
      return "(" + count + " & " + (shifted.equals("long") ? "63" : "31") + ")";
    }

    String expression(String t, int depth) {
      stringReads = 0;
      return expr(t, depth);
    }

    String expr(String t, int depth) {
      if (depth <= 0 || chance(0.25)) return leaf(t);
      switch (t) {
        case "boolean": return booleanExpr(depth);
        case "String": return stringExpr(depth);
        case "byte": case "short": case "char": return narrowExpr(t, depth);
        default: return numericExpr(t, depth);
      }
    }

    // `e` of type `from` as type `to` (a cast where the types differ).
    String as(String to, String from, String e) {
      return to.equals(from) ? e : "((" + to + ") " + e + ")";
    }

    String anyNumeric() {
      return pick(NUMERIC);
    }

    String intLike() {
      return pick(new String[] {"byte", "short", "char", "int", "int"});
    }

    String numericExpr(String t, int depth) {
      switch (pick(14)) {
        case 0: case 1: case 2: {
          String a = t.equals("int") ? intLike() : chance(0.5) ? t : anyNumeric();
          String b = t.equals("int") ? intLike() : chance(0.5) ? t : anyNumeric();
          String op = pick(new String[] {"+", "-", "*", "/", "%"});
          String right = expr(b, depth - 1);
          if ((op.equals("/") || op.equals("%")) && isIntegral(b) && (avoidConstantEdges || chance(0.7))) {
            right = "(" + right + " | 1)";
            b = promoted(b);
          }
          return as(t, promoted(a, b), "(" + expr(a, depth - 1) + " " + op + " " + right + ")");
        }
        case 3: {
          if (!isIntegral(t)) break;
          String a = t.equals("int") ? intLike() : pick(new String[] {"int", "long", "char"});
          String b = pick(new String[] {"int", "long", "byte", "char"});
          String op = pick(new String[] {"&", "|", "^"});
          return as(t, promoted(a, b), "(" + expr(a, depth - 1) + " " + op + " " + expr(b, depth - 1) + ")");
        }
        case 4: {
          if (!isIntegral(t)) break;
          String a = t.equals("int") ? intLike() : "long";
          String op = pick(new String[] {"<<", ">>", ">>>"});
          String count = shiftCount(expr(pick(new String[] {"int", "long", "char"}), depth - 1), promoted(a));
          return as(t, promoted(a), "(" + expr(a, depth - 1) + " " + op + " " + count + ")");
        }
        case 5: {
          String op = pick(new String[] {"-", "+", "~"});
          String a = t.equals("int") ? intLike() : t;
          if (op.equals("~") && !isIntegral(a)) op = "-";
          // ecj folds + -0.0 to 0.0 (javac and the language keep -0.0): no unary plus on a
          // floating operand.
          if (op.equals("+") && !isIntegral(a)) op = "-";
          return as(t, promoted(a), "(" + op + " " + expr(a, depth - 1) + ")");
        }
        case 6: case 7:
          return "((" + t + ") " + expr(pick(PRIMITIVES_NUMERIC_OR_CHAR), depth - 1) + ")";
        case 8: {
          if (chance(0.5))
            return "(" + expr("boolean", depth - 1) + " ? " + expr(t, depth - 1) + " : " + expr(t, depth - 1) + ")";
          // Operands of two types: the conditional converts each to their promoted type.
          String[] wide = {"int", "long", "float", "double"};
          String a = pick(wide);
          String b = pick(wide);
          return as(t, promoted(a, b), "(" + expr("boolean", depth - 1) + " ? " + expr(a, depth - 1) + " : " + expr(b, depth - 1) + ")");
        }
        case 9:
          return "(" + (chance(0.4) ? lvalue(t) + " = " + expr(t, depth - 1) : chance(0.5) ? compound(t, depth - 1) : increment(t)) + ")";
        case 10: {
          String call = call(t, depth - 1);
          if (call != null) return call;
          break;
        }
        case 11:
          if (t.equals("int")) {
            switch (pick(4)) {
              case 0: return "a" + letter(pick(VALUE_TYPES)) + ".length";
              case 1: return "(" + expr("String", depth - 1) + ").length()";
              case 2: return "Math.max(" + expr("int", depth - 1) + ", " + expr("int", depth - 1) + ")";
              default:
                switch (pick(3)) {
                  case 0: return "bo.vm(" + expr("int", depth - 1) + ")";
                  case 1: return "abo[" + index() + "].vm(" + expr("int", depth - 1) + ")";
                  default: return "((I) abo[" + index() + "]).im(" + expr("int", depth - 1) + ")";
                }
            }
          }
          if (t.equals("double")) return "Math.abs(" + expr("double", depth - 1) + ")";
          if (t.equals("long")) return "Math.min(" + expr("long", depth - 1) + ", " + expr("long", depth - 1) + ")";
          break;
        case 12:
          return staticThroughQualifier(t);
        default:
          break;
      }
      return leaf(t);
    }

    static final String[] PRIMITIVES_NUMERIC_OR_CHAR = {"byte", "short", "char", "int", "long", "float", "double"};

    // An int constant that fits t, for a conditional whose other operand is of type t (its type
    // is then t).
    String fittingInt(String t) {
      switch (t) {
        case "byte": return pick(new String[] {"0", "1", "(-1)", "127", "(-128)"});
        case "short": return pick(new String[] {"0", "(-1)", "32767", "(-32768)", "255"});
        default: return pick(new String[] {"0", "65", "97", "65535"});
      }
    }

    String narrowExpr(String t, int depth) {
      if (chance(0.08)) {
        String c = expr("boolean", depth - 1);
        return chance(0.5) ? "(" + c + " ? " + expr(t, depth - 1) + " : " + fittingInt(t) + ")"
                           : "(" + c + " ? " + fittingInt(t) + " : " + expr(t, depth - 1) + ")";
      }
      switch (pick(7)) {
        case 0: case 1:
          return "((" + t + ") " + expr(pick(NUMERIC), depth - 1) + ")";
        case 2:
          return "(" + expr("boolean", depth - 1) + " ? " + expr(t, depth - 1) + " : " + expr(t, depth - 1) + ")";
        case 3:
          return "(" + (chance(0.3) ? lvalue(t) + " = " + expr(t, depth - 1) : chance(0.5) ? compound(t, depth - 1) : increment(t)) + ")";
        case 4: {
          String call = call(t, depth - 1);
          if (call != null) return call;
          return leaf(t);
        }
        case 5:
          if (t.equals("char")) return "(" + expr("String", depth - 1) + " + \"x\").charAt(0)";
          return staticThroughQualifier(t);
        default:
          return leaf(t);
      }
    }

    String booleanExpr(int depth) {
      switch (pick(11)) {
        case 0: case 1: case 2: {
          String a = anyNumeric();
          String b = chance(0.5) ? a : anyNumeric();
          String op = pick(new String[] {"<", "<=", ">", ">=", "==", "!="});
          return "(" + expr(a, depth - 1) + " " + op + " " + expr(b, depth - 1) + ")";
        }
        case 3: case 4: {
          String op = pick(new String[] {"&&", "||", "&", "|", "^", "==", "!="});
          String a = expr("boolean", depth - 1);
          String b = expr("boolean", depth - 1);
          // ecj takes x & false (and x | true) for its constant where it stands as an operand of
          // == and drops x, whose subscript should throw: no literal beside & and |.
          if (op.equals("&") || op.equals("|")) {
            if (a.equals("true") || a.equals("false")) a = "sz0";
            if (b.equals("true") || b.equals("false")) b = "sz1";
          }
          return "(" + a + " " + op + " " + b + ")";
        }
        case 5:
          return "(!" + expr("boolean", depth - 1) + ")";
        case 6: {
          // ecj drops the condition of c ? true : true where the conditional is itself a
          // condition ((x & (a[9] ? true : true)) ? p : q does not throw; javac and the language
          // evaluate it): one of the two values is a variable.
          List<String> variables = new ArrayList<>(Arrays.asList("sz0", "sz1", "mo.fz0"));
          for (Var v : locals)
            if (v.type.equals("boolean")) variables.add(v.name);
          String a = expr("boolean", depth - 1);
          String b = pick(variables);
          return "(" + expr("boolean", depth - 1) + " ? " + (chance(0.5) ? a + " : " + b : b + " : " + a) + ")";
        }
        case 7:
          return "(" + (chance(0.5) ? lvalue("boolean") + " = " + expr("boolean", depth - 1) : compound("boolean", depth - 1)) + ")";
        case 8:
          return pick(new String[] {"(bo instanceof Sub)", "(ob instanceof String)", "(mnull instanceof Main)",
              "((Object) " + expr("String", depth - 1) + " instanceof String)", "((Object) a" + letter(pick(PRIMITIVES)) + " instanceof int[])",
              "(((Object) (" + expr("boolean", depth - 1) + " ? (Object) ai : al)) instanceof long[])"});
        case 9: {
          String call = call("boolean", depth - 1);
          if (call != null) return call;
          return "(" + expr("String", depth - 1) + ").equals(" + expr("String", depth - 1) + ")";
        }
        default:
          return leaf("boolean");
      }
    }

    String stringExpr(int depth) {
      switch (pick(8)) {
        case 0: case 1: case 2: {
          // A concatenation with a String on one side and anything on the other.
          String other = pick(VALUE_TYPES);
          String a = expr("String", depth - 1);
          String b = concatenated(other, depth - 1);
          return chance(0.5) ? "(" + a + " + " + b + ")" : "(" + b + " + " + a + ")";
        }
        case 3:
          return "(\"\" + " + concatenated(pick(PRIMITIVES), depth - 1) + " + " + concatenated(pick(PRIMITIVES), depth - 1) + ")";
        case 4:
          return "String.valueOf(" + expr(pick(PRIMITIVES), depth - 1) + ")";
        case 5:
          return "(" + expr("boolean", depth - 1) + " ? " + expr("String", depth - 1) + " : " + expr("String", depth - 1) + ")";
        case 6: {
          String call = call("String", depth - 1);
          if (call != null) return call;
          return "(" + compound("String", depth - 1) + ")";
        }
        default:
          return "(" + compound("String", depth - 1) + ")";
      }
    }

    // A static field read through something other than its class: an object, null, a call, a
    // subscript or a cast, each evaluated for what it does.
    String staticThroughQualifier(String t) {
      String l = letter(t);
      switch (pick(12)) {
        case 0: case 1: return "mo.s" + l + "0";
        case 2: case 3: return "mnull.s" + l + "1";
        case 4: case 5: return "none().s" + l + "0";
        case 6: case 7: return "mine().s" + l + "1";
        case 8: return "((Main) ob).s" + l + "0";
        case 9: return "((Main) mnull).s" + l + "1";
        case 10: return "(new Main[1])[0].s" + l + "0";
        default: return "(new Main[" + pick(2) + "])[0].s" + l + "1";
      }
    }

    // A local array's element of type t, or null when there is no such array.
    String localElement(String t) {
      List<Var> arrays = new ArrayList<>();
      for (Var v : locals)
        if (v.type.equals(t + "[]")) arrays.add(v);
      return arrays.isEmpty() ? null : pick(arrays).name + "[" + index() + "]";
    }

    String leaf(String t) {
      if (chance(0.1)) {
        String element = localElement(t);
        if (element != null) return element;
      }
      List<Var> candidates = new ArrayList<>();
      for (Var v : locals)
        if (v.type.equals(t)) candidates.add(v);
      if (t.equals("String") && stringReads > 0) candidates.clear();
      int choice = pick(10);
      if (choice < 4 && !candidates.isEmpty()) {
        if (t.equals("String")) stringReads++;
        return pick(candidates).name;
      }
      if (choice < 6) return literal(t);
      if (t.equals("String")) {
        if (stringReads > 0) return literal(t);
        stringReads++;
      }
      return readField(t);
    }

    String readField(String t) {
      String l = letter(t);
      boolean instance = method != null && !method.isStatic;
      switch (pick(8)) {
        case 0: return "s" + l + pick(2);
        case 1: return "Main.s" + l + pick(2);
        case 2: return instance ? "f" + l + "0" : "mo.f" + l + "0";
        case 3: return instance ? "this.f" + l + "0" : "mine().f" + l + "0";
        case 4: return "a" + l + "[" + index() + "]";
        case 5: return chance(0.1) ? staticThroughQualifier(t) : "mo.f" + l + "0";
        default: return "s" + l + "0";
      }
    }

    String index() {
      if (chance(0.08)) return expr("int", 1);
      return "(" + expr("int", 1) + ") & 3";
    }

    // Something of type t that can be assigned.
    String lvalue(String t) {
      List<Var> candidates = new ArrayList<>();
      for (Var v : locals)
        if (v.type.equals(t) && !v.readOnly) candidates.add(v);
      boolean instance = method != null && !method.isStatic;
      String l = letter(t);
      int choice = pick(12);
      if (choice < 4 && !candidates.isEmpty()) return pick(candidates).name;
      if (choice == 4) {
        String element = localElement(t);
        if (element != null) return element;
      }
      switch (choice % 8) {
        case 0: return "s" + l + pick(2);
        case 1: return "a" + l + "[" + index() + "]";
        case 2: return instance ? "this.f" + l + "0" : "mo.f" + l + "0";
        case 3: return "Main.s" + l + "1";
        case 4: return instance ? "f" + l + "0" : "mine().f" + l + "0";
        case 5: return chance(0.4) ? staticThroughQualifier(t) : "a" + l + "[" + index() + "]";
        case 6:
          if (t.equals("int"))
            return pick(new String[] {"bo.bf", "((Sub) bo).bf", "Base.bs", "bo.bs", "aii[" + index() + "][" + index() + "]",
                "abo[" + index() + "].bf"});
          return t.equals("long") ? "abo[" + index() + "].bl" : "s" + l + "1";
        default: return t.equals("long") ? "bo.bl" : "s" + l + "0";
      }
    }

    String compound(String t, int depth) {
      String target = lvalue(t);
      if (t.equals("boolean")) return target + " " + pick(new String[] {"&=", "|=", "^="}) + " " + expr("boolean", depth);
      if (t.equals("String")) {
        // No string variable on the right: s += s in a loop would double s at every turn.
        stringReads++;
        return target + " += " + concatenated(pick(VALUE_TYPES), depth);
      }
      List<String> ops = new ArrayList<>(Arrays.asList("+=", "-=", "*=", "/=", "%="));
      if (isIntegral(t)) ops.addAll(Arrays.asList("<<=", ">>=", ">>>=", "&=", "|=", "^="));
      String op = pick(ops);
      String right;
      if (op.equals("<<=") || op.equals(">>=") || op.equals(">>>=") || op.equals("&=") || op.equals("|=") || op.equals("^=")) {
        right = expr(pick(new String[] {"int", "long", "char", "byte"}), depth);
        if (op.endsWith("<=") || op.endsWith(">=")) right = shiftCount(right, promoted(t));
      } else {
        String rt = anyNumeric();
        right = expr(rt, depth);
        if ((op.equals("/=") || op.equals("%=")) && isIntegral(rt) && isIntegral(t) && (avoidConstantEdges || chance(0.7)))
          right = "(" + right + " | 1)";
      }
      return target + " " + op + " " + right;
    }

    String increment(String t) {
      String target = lvalue(t);
      switch (pick(4)) {
        case 0: return target + "++";
        case 1: return target + "--";
        case 2: return "++" + target;
        default: return "--" + target;
      }
    }

    // A call of an earlier method (never the current one, so nothing recurses) whose result is t,
    // or of any result when t is null; null when there is none.
    String call(String t, int depth) {
      List<MethodSig> candidates = new ArrayList<>();
      int limit = method == null ? methods.size() : methodIndex;
      for (int i = 0; i < limit; i++) {
        MethodSig m = methods.get(i);
        if (t == null || m.result.equals(t)) candidates.add(m);
      }
      if (candidates.isEmpty()) return null;
      MethodSig m = pick(candidates);
      StringBuilder call = new StringBuilder();
      if (m.isStatic) {
        call.append(pick(new String[] {"", "", "Main.", "mo.", "mnull.", "mine().", "none().", "((Main) mnull).", "((Main) ob)."}));
      } else {
        boolean instance = method != null && !method.isStatic;
        call.append(instance && chance(0.5) ? "this." : chance(0.95) ? "mo." : "mnull.");
      }
      call.append(m.name).append('(');
      for (int k = 0; k < m.parameters.length; k++) call.append(k == 0 ? "" : ", ").append(expr(m.parameters[k], depth));
      return call.append(')').toString();
    }

    // ----- literals -----

    String literal(String t) {
      switch (t) {
        case "boolean": return chance(0.5) ? "true" : "false";
        case "byte": return "(byte) " + pick(new String[] {"0", "1", "-1", "127", "(-128)", "0x55", "200", "(-129)"});
        case "short": return "(short) " + pick(new String[] {"0", "1", "-1", "32767", "(-32768)", "1000", "65535", "40000"});
        case "char": return pick(new String[] {"'a'", "'0'", "'\\0'", "'\\uffff'", "'\\u00e9'", "' '", "'\\n'", "(char) 65"});
        case "int": return intLiteral();
        case "long": return longLiteral();
        case "float": return pick(new String[] {"0.0f", "-0.0f", "1.0f", "2.5f", "-1.5f", "3.4028235E38f", "1.4E-45f", "Float.NaN", "Float.POSITIVE_INFINITY", "Float.NEGATIVE_INFINITY", "1e10f", "0.1f", "16777217f"});
        case "double": return pick(new String[] {"0.0", "-0.0", "1.0", "0.5", "-2.25", "1.7976931348623157E308", "4.9E-324", "Double.NaN", "Double.POSITIVE_INFINITY", "Double.NEGATIVE_INFINITY", "1e-10", "0.1", "9007199254740993.0", "2147483648.0", "-9.3e18"});
        default: return pick(new String[] {"\"\"", "\"a\"", "\"xyz\"", "\"\\u00e9t\\u00e9\"", "\"-1\"", "\"tab\\t\"", "(String) null"});
      }
    }

    String intLiteral() {
      return pick(new String[] {"0", "1", "-1", "2", "7", "127", "128", "(-128)", "255", "32767", "(-32768)", "65535", "0x7fffffff", "0x80000000", "123456789", "(-5)", "31"});
    }

    String longLiteral() {
      return pick(new String[] {"0L", "1L", "-1L", "2147483647L", "2147483648L", "(-2147483649L)", "0x7fffffffffffffffL", "0x8000000000000000L", "1234567890123L", "63L", "64L", "0xffffffffL"});
    }
  }

  // ---------------------------------------------------------------------------------------------
  // The runner (in the child virtual machine).

  static final class Runner {
    static int run(List<String> packages) throws Exception {
      PrintStream real = System.out;
      String classPath = System.getProperty("java.class.path").split(File.pathSeparator)[0];
      for (String pkg : packages) {
        System.err.println("running " + pkg);
        ByteArrayOutputStream buffer = new ByteArrayOutputStream();
        PrintStream captured = new PrintStream(buffer, true, StandardCharsets.UTF_8);
        System.setOut(captured);
        try {
          Method main = Class.forName(pkg + ".Main").getMethod("main", String[].class);
          main.invoke(null, (Object) new String[0]);
        } catch (InvocationTargetException e) {
          captured.println("main threw " + e.getCause().getClass().getName());
        } catch (Throwable e) {
          captured.println("main failed: " + e.getClass().getName());
        }
        // Every class of the program loaded and initialized, so that each is verified.
        File[] files = new File(classPath, pkg).listFiles();
        List<String> names = new ArrayList<>();
        if (files != null)
          for (File f : files)
            if (f.getName().endsWith(".class")) names.add(pkg + "." + f.getName().substring(0, f.getName().length() - 6));
        Collections.sort(names);
        for (String name : names) {
          try {
            Class.forName(name);
          } catch (Throwable e) {
            captured.println("loading " + name + ": " + e.getClass().getName());
          }
        }
        captured.flush();
        System.setOut(real);
        real.println("== " + pkg);
        real.print(buffer.toString(StandardCharsets.UTF_8));
        real.flush();
      }
      return 0;
    }
  }

  // ---------------------------------------------------------------------------------------------
  // The check: both compilers, both runs, the comparison.

  static final class Checker {
    final Options o;
    final Path work;
    final Path sources;
    final Path ecjOut;
    final Path ourOut;
    int faults;

    Checker(Options o) {
      this.o = o;
      this.work = Paths.get(o.work).toAbsolutePath();
      this.sources = work.resolve("src");
      this.ecjOut = work.resolve("ecj-out");
      this.ourOut = work.resolve("qv-out");
    }

    static void deleteTree(Path p) throws IOException {
      if (!Files.exists(p)) return;
      try (var walk = Files.walk(p)) {
        List<Path> all = new ArrayList<>();
        walk.forEach(all::add);
        Collections.reverse(all);
        for (Path q : all) Files.delete(q);
      }
    }

    void fault(String text) {
      faults++;
      System.out.println(text);
      System.out.flush();
    }

    int check() throws Exception {
      if (o.quorvelix == null || o.library == null) usage();
      deleteTree(sources);
      deleteTree(ecjOut);
      deleteTree(ourOut);
      Files.createDirectories(ecjOut);
      Files.createDirectories(ourOut);
      int n = o.count;
      Path[] files = new Path[n];
      for (int i = 0; i < n; i++) files[i] = writeProgram(sources, o.seed, o.first + i, o.profile, o.avoidConstantEdges);
      String[] ecjReport = new String[n];
      String[] ourReport = new String[n];
      boolean[] ecjAccepts = new boolean[n];
      boolean[] ourAccepts = new boolean[n];
      ExecutorService pool = Executors.newFixedThreadPool(Math.max(1, o.jobs));
      List<Future<?>> done = new ArrayList<>();
      for (int i = 0; i < n; i++) {
        final int k = i;
        done.add(pool.submit(() -> {
          StringWriter report = new StringWriter();
          PrintWriter writer = new PrintWriter(report);
          String[] command = {"-1.3", "-source", "1.3", "-target", "1.1", "-nowarn", "-d", ecjOut.toString(),
              "-bootclasspath", o.library, "-cp", o.library, files[k].toString()};
          ecjAccepts[k] = org.eclipse.jdt.core.compiler.batch.BatchCompiler.compile(command, writer, writer, null);
          writer.flush();
          ecjReport[k] = report.toString();
          ProcessBuilder qv = new ProcessBuilder(o.quorvelix, "-=1", "-d", ourOut.toString(), files[k].toString());
          Path trace = files[k].resolveSibling("qv.trace");
          qv.redirectOutput(trace.toFile());
          Process p = qv.start();
          String errors = new String(p.getErrorStream().readAllBytes(), StandardCharsets.UTF_8);
          int status = p.waitFor();
          // With -=1 the compiler reports a method whose counted stack depth falls short.
          String traced = Files.readString(trace, StandardCharsets.ISO_8859_1);
          int shortfall = traced.indexOf("max_stack short");
          ourAccepts[k] = status == 0 && shortfall < 0;
          ourReport[k] = shortfall < 0 ? errors : errors + traced.substring(shortfall, Math.min(traced.length(), shortfall + 300));
          return null;
        }));
      }
      for (Future<?> f : done) f.get();
      pool.shutdown();
      List<String> runnable = new ArrayList<>();
      for (int i = 0; i < n; i++) {
        String name = files[i].toString();
        if (!ecjAccepts[i]) {
          fault("GENERATOR FAULT: ecj refuses " + name + "\n" + ecjReport[i]);
        } else if (!ourAccepts[i]) {
          fault("REFUSED: quorvelix refuses " + name + " (ecj compiles it)\n" + tail(ourReport[i]));
        } else {
          runnable.add(packageName(o.first + i));
        }
        if (faults > 0 && !o.keepGoing) break;
      }
      if (faults > 0 && !o.keepGoing) return 1;
      String[] ecjRun = runAll(ecjOut, runnable);
      String[] ourRun = runAll(ourOut, runnable);
      int ecjUnverifiable = 0;
      for (int i = 0; i < runnable.size(); i++) {
        if (ecjRun[i].equals(ourRun[i])) continue;
        String pkg = runnable.get(i);
        // ecj's own classes may fail verification (its finally subroutines at -target 1.1): no
        // comparison then.
        if (ecjRun[i].contains("java.lang.VerifyError") && !ourRun[i].contains("java.lang.VerifyError")) {
          ecjUnverifiable++;
          System.out.println("ecj's classes do not verify, not compared: " + sources.resolve(pkg).resolve("Main.java"));
          continue;
        }
        fault("DIFFERS: " + sources.resolve(pkg).resolve("Main.java") + "\n" + firstDifference(ourRun[i], ecjRun[i]));
        if (!o.keepGoing) break;
      }
      System.out.println(n + " programs, " + faults + " faults" + (ecjUnverifiable > 0 ? ", " + ecjUnverifiable + " not compared" : ""));
      return faults == 0 ? 0 : 1;
    }

    static String tail(String text) {
      return text.length() > 3000 ? text.substring(0, 3000) + "..." : text;
    }

    static String firstDifference(String ours, String ecj) {
      String[] a = ours.split("\n", -1);
      String[] b = ecj.split("\n", -1);
      int i = 0;
      while (i < a.length && i < b.length && a[i].equals(b[i])) i++;
      StringBuilder s = new StringBuilder("first difference at output line " + (i + 1) + ":\n");
      for (int k = Math.max(0, i - 2); k < Math.min(a.length, i + 3); k++) s.append("  quorvelix: ").append(a[k]).append('\n');
      for (int k = Math.max(0, i - 2); k < Math.min(b.length, i + 3); k++) s.append("  ecj:       ").append(b[k]).append('\n');
      return s.toString();
    }

    // Runs the programs in one child virtual machine; the output of each, "" for one never reached.
    String[] runAll(Path classes, List<String> packages) throws Exception {
      String[] outputs = new String[packages.size()];
      Arrays.fill(outputs, "");
      if (packages.isEmpty()) return outputs;
      String self = Paths.get(RandomPrograms.class.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
      List<String> command = new ArrayList<>(Arrays.asList(Paths.get(System.getProperty("java.home"), "bin", "java").toString(),
          "-Xverify:all", "-XX:TieredStopAtLevel=1", "-XX:+UseSerialGC", "-Xss4m", "-Xmx256m", "-Dfile.encoding=UTF-8",
          "-cp", classes + File.pathSeparator + self, "RandomPrograms", "run"));
      command.addAll(packages);
      ProcessBuilder builder = new ProcessBuilder(command);
      Path errors = work.resolve(classes.getFileName() + ".run.err");
      Path output = work.resolve(classes.getFileName() + ".run.out");
      builder.redirectError(errors.toFile());
      builder.redirectOutput(output.toFile());
      Process p = builder.start();
      if (!p.waitFor(300, TimeUnit.SECONDS)) {
        p.destroyForcibly();
        fault("TIMEOUT: the run of " + classes + " did not end; see " + errors);
      }
      String text = Files.readString(output, StandardCharsets.UTF_8);
      int current = -1;
      StringBuilder sb = new StringBuilder();
      for (String line : text.split("\n", -1)) {
        if (line.startsWith("== ")) {
          if (current >= 0) outputs[current] = sb.toString();
          current = packages.indexOf(line.substring(3));
          sb.setLength(0);
          continue;
        }
        sb.append(line).append('\n');
      }
      if (current >= 0) outputs[current] = sb.toString();
      return outputs;
    }
  }
}
