// The generated test programs: each file picks three of a dozen method shapes and, one in seven,
// a second class (a static or inner member class, an anonymous class, an exception class beside
// its own), from a fixed sequence of numbers, so the files differ but are the same every run.
#include "test_programs.h"

#include <cstdint>
#include <cstdio>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Writes `text` with every "#" replaced by `number` (and "@" by the program's class name).
std::string fill(const std::string& text, int number, const std::string& className) {
  std::string out;
  for (char c : text) {
    if (c == '#')
      out += std::to_string(number);
    else if (c == '@')
      out += className;
    else
      out += c;
  }
  return out;
}

struct Shape {
  const char* method;  // the method, at class level
  const char* call;    // a statement of main that calls it
};

const Shape SHAPES[] = {
    {"    static int sum#(int n) {\n"
     "        int total = 0;\n"
     "        for (int i = 0; i < n; i++) {\n"
     "            if (i % 3 == 0) total += i * #; else total -= i;\n"
     "        }\n"
     "        return total;\n"
     "    }\n",
     "        System.out.println(\"sum \" + sum#(args.length + #));\n"},
    {"    static int count#(String s) {\n"
     "        int n = 0, i = 0;\n"
     "        while (i < s.length()) {\n"
     "            char c = s.charAt(i++);\n"
     "            if (c == ' ') continue;\n"
     "            if (c == '.') break;\n"
     "            n++;\n"
     "        }\n"
     "        return n;\n"
     "    }\n",
     "        System.out.println(count#(\"a few words # here. not these\"));\n"},
    {"    static String name#(int day) {\n"
     "        switch (day % 5) {\n"
     "            case 0: return \"zero\";\n"
     "            case 1: return \"one\" + day;\n"
     "            case 2:\n"
     "            case 3: return String.valueOf(day * #);\n"
     "            default: return null;\n"
     "        }\n"
     "    }\n",
     "        System.out.println(name#(#) + name#(args.length));\n"},
    {"    static int divide#(int a, int b) {\n"
     "        int result = -1;\n"
     "        try {\n"
     "            result = a / b;\n"
     "        } catch (ArithmeticException e) {\n"
     "            result = 0;\n"
     "        } finally {\n"
     "            calls++;\n"
     "        }\n"
     "        return result;\n"
     "    }\n",
     "        System.out.println(divide#(#, args.length) + divide#(#, 3));\n"},
    {"    static long[] squares#(int n) {\n"
     "        long[] a = new long[n];\n"
     "        for (int i = 0; i < a.length; i++) a[i] = (long) i * i + #;\n"
     "        int[][] grid = new int[3][n];\n"
     "        grid[1][0] = a.length;\n"
     "        return a;\n"
     "    }\n",
     "        System.out.println(squares#(5)[4]);\n"},
    {"    static Vector collect#(int n) {\n"
     "        Vector v = new Vector();\n"
     "        Hashtable seen = new Hashtable();\n"
     "        for (int i = 0; i < n; i++) {\n"
     "            Integer key = new Integer(i % 7);\n"
     "            if (!seen.containsKey(key)) { seen.put(key, \"v\" + i); v.addElement(key); }\n"
     "        }\n"
     "        return v;\n"
     "    }\n",
     "        System.out.println(collect#(20).size());\n"},
    {"    static String join#(String[] parts) {\n"
     "        StringBuffer sb = new StringBuffer();\n"
     "        for (int i = 0; i < parts.length; i++) {\n"
     "            if (i > 0) sb.append(\", \");\n"
     "            sb.append(parts[i]).append('~').append(i);\n"
     "        }\n"
     "        return sb.toString();\n"
     "    }\n",
     "        System.out.println(join#(new String[] {\"x\", \"y#\", \"z\"}));\n"},
    {"    static double mean#(double[] xs) {\n"
     "        double s = 0.0;\n"
     "        for (int i = 0; i < xs.length; i++) s += xs[i];\n"
     "        return xs.length == 0 ? 0.0 : Math.sqrt(s / xs.length) * #.5;\n"
     "    }\n",
     "        System.out.println(mean#(new double[] {1.5, 2.25, #}));\n"},
    {"    synchronized int describe#(Object o) {\n"
     "        if (o instanceof String) return ((String) o).length();\n"
     "        if (o instanceof Integer) return ((Integer) o).intValue() + value;\n"
     "        return o == null ? 0 : o.hashCode() & 0xff;\n"
     "    }\n",
     "        System.out.println(program.describe#(\"text #\") + program.describe#(new Integer(#)));\n"},
    {"    static long mix#(long x) {\n"
     "        x ^= x << 13;\n"
     "        x ^= x >>> 7;\n"
     "        x ^= x << 17;\n"
     "        return x & 0x7fffffffffffffffL;\n"
     "    }\n",
     "        System.out.println(Long.toString(mix#(#L), 16));\n"},
    {"    static int search#(int[][] m, int target) {\n"
     "        int found = -1;\n"
     "        outer:\n"
     "        for (int i = 0; i < m.length; i++) {\n"
     "            int j = 0;\n"
     "            do {\n"
     "                if (m[i][j] == target) { found = i * 100 + j; break outer; }\n"
     "                j++;\n"
     "            } while (j < m[i].length);\n"
     "        }\n"
     "        return found;\n"
     "    }\n",
     "        System.out.println(search#(new int[][] {{1, 2}, {#, 4}}, #));\n"},
    {"    static String pad#(String s, int width) throws IOException {\n"
     "        if (width > 1000) throw new IOException(\"too wide: \" + width);\n"
     "        char[] out = new char[Math.max(width, s.length())];\n"
     "        for (int i = 0; i < out.length; i++) out[i] = i < s.length() ? s.charAt(i) : '.';\n"
     "        return new String(out);\n"
     "    }\n",
     "        try { System.out.println(pad#(\"#\", 6)); } catch (IOException e) { System.out.println(e.getMessage()); }\n"},
};
constexpr int SHAPE_COUNT = sizeof SHAPES / sizeof SHAPES[0];

// The second class a program may have: its declaration at class level (inside the program's
// class), at file level (after it), and what main does with it.
struct Companion {
  const char* member;
  const char* topLevel;
  const char* use;
};

const Companion COMPANIONS[] = {
    {"    static class Node# {\n"
     "        int value; Node# next;\n"
     "        Node#(int value, Node# next) { this.value = value; this.next = next; }\n"
     "        int length() { return next == null ? 1 : 1 + next.length(); }\n"
     "    }\n",
     "", "        System.out.println(new Node#(1, new Node#(#, null)).length());\n"},
    {"    class Counter# {\n"
     "        int next() { return ++value; }\n"
     "    }\n",
     "", "        System.out.println(program.new Counter#().next());\n"},
    {"", "",
     "        Runnable r = new Runnable() {\n"
     "            public void run() { calls += #; }\n"
     "        };\n"
     "        r.run();\n"},
    {"    static void check#(int x) throws Failure# {\n"
     "        if (x < 0) throw new Failure#(\"negative \" + x);\n"
     "    }\n",
     "\nclass Failure# extends Exception {\n"
     "    Failure#(String message) { super(message); }\n"
     "}\n",
     "        try { check#(-#); } catch (Failure# e) { System.out.println(e.getMessage()); }\n"},
};
constexpr int COMPANION_COUNT = sizeof COMPANIONS / sizeof COMPANIONS[0];

struct Sequence {
  uint64_t state;
  int next(int bound) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<int>((state >> 33) % static_cast<uint64_t>(bound));
  }
};

}  // namespace

std::vector<std::string> writeTestPrograms(const fs::path& directory, int count) {
  std::vector<std::string> files;
  Sequence random{12345};
  for (int n = 0; n < count; n++) {
    char id[16];
    std::snprintf(id, sizeof id, "%04d", n);
    std::string package = std::string("p") + id;
    std::string className = std::string("Program") + id;
    int shapes[3];
    for (int& s : shapes) s = random.next(SHAPE_COUNT);
    int companion = random.next(7) == 0 ? random.next(COMPANION_COUNT) : -1;
    int number = 1 + random.next(97);
    std::string text = "package " + package + ";\n\nimport java.io.IOException;\nimport java.util.*;\n\n";
    text += "public class " + className + " {\n";
    text += fill("    static int calls;\n    int value = #;\n    private String label = \"@ #\";\n\n", number, className);
    std::string calls;
    for (int i = 0; i < 3; i++) {
      text += fill(SHAPES[shapes[i]].method, number + i, className);
      calls += fill(SHAPES[shapes[i]].call, number + i, className);
    }
    if (companion >= 0) {
      text += fill(COMPANIONS[companion].member, number, className);
      calls += fill(COMPANIONS[companion].use, number, className);
    }
    text += "    public static void main(String[] args) {\n";
    text += "        " + className + " program = new " + className + "();\n";
    text += calls;
    text += "        System.out.println(program.label + \" \" + calls);\n    }\n}\n";
    if (companion >= 0) text += fill(COMPANIONS[companion].topLevel, number, className);
    std::string relative = package + "/" + className + ".java";
    fs::create_directories(directory / package);
    std::ofstream(directory / relative, std::ios::binary) << text;
    files.push_back(relative);
  }
  return files;
}
