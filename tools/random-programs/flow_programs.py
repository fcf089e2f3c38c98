#!/usr/bin/env python3
"""Random methods around reachability, definite assignment and constant expressions: conditions
that are constants, that only fold (x > 5 || true) or neither; loops, labels, try, catch, finally
and synchronized with every jump out of them; locals and finals declared with and without values;
divisions by zero, shifts out of range and constants read through objects. Each loop calls tick(),
which ends the program after 200 passes, so that none runs forever. program(seed) gives Main.java;
run alone it prints the program of the seed given."""
import random
import sys

CONDS_CONST = ["true", "false", "F", "T", "!false", "(1 == 1)", "(\"a\" == \"a\")", "(\"ab\" != \"a\" + \"b\")",
               "(K.S > 3)", "(1 << 33 == 2)", "(true ? true : false)", "(3 > 4)"]
CONDS_FOLDED = ["x > 5 || true", "x > 5 && false", "false && b", "true || b", "b || true", "b && false",
                "(true ? b : false)", "(false ? b : true)", "null == null", "(x > 5 || true) && y < 9",
                "!(x > 5 && false)"]
CONDS_PLAIN = ["b", "x < y", "x > 3", "y != 0", "x % 2 == 0", "!b", "x > 5 || y < 2", "x < 9 && b"]


class Ctx:
    def __init__(self, rnd):
        self.rnd = rnd
        self.counter = 0
        self.labels = []       # enclosing labels: (name, isLoop)
        self.loops = 0
        self.locals = []       # int locals in scope (names)
        self.finals = []       # final locals in scope, maybe unassigned
        self.depth = 0

    def fresh(self, prefix):
        self.counter += 1
        return "%s%d" % (prefix, self.counter)


def cond(c):
    r = c.rnd.random()
    if r < 0.25:
        return c.rnd.choice(CONDS_CONST)
    if r < 0.5:
        return c.rnd.choice(CONDS_FOLDED)
    return c.rnd.choice(CONDS_PLAIN)


def int_expr(c, depth=0):
    rnd = c.rnd
    pool = ["x", "y", "1", "7", "-3", "K.S", "x + y", "x * 2"]
    vs = c.locals + c.finals
    if vs:
        pool += vs * 2
    r = rnd.random()
    if depth < 2 and r < 0.08:
        return "(" + int_expr(c, depth + 1) + " / 0)"
    if depth < 2 and r < 0.12:
        return "(" + int_expr(c, depth + 1) + " % (1 - 1))"
    if depth < 2 and r < 0.18:
        return "(" + int_expr(c, depth + 1) + " << " + rnd.choice(["33", "-1", "40", "64", "2"]) + ")"
    if depth < 2 and r < 0.24:
        return "(" + cond(c) + " ? " + int_expr(c, depth + 1) + " : " + int_expr(c, depth + 1) + ")"
    if depth < 2 and r < 0.30:
        return "(" + int_expr(c, depth + 1) + " + " + int_expr(c, depth + 1) + ")"
    if r < 0.33:
        return "t.k"
    return rnd.choice(pool)


def jump(c, ind):
    """A statement that cannot complete normally."""
    rnd = c.rnd
    opts = ["return " + int_expr(c) + ";", "throw new RuntimeException(\"t\");"]
    loops = [l for l in c.labels if l[1]]
    if c.loops:
        opts += ["break;", "continue;"]
    if c.labels:
        l = rnd.choice(c.labels)
        opts.append("break " + l[0] + ";")
    if loops:
        opts.append("continue " + rnd.choice(loops)[0] + ";")
    return ind + rnd.choice(opts)


def block(c, ind, n=None):
    rnd = c.rnd
    if n is None:
        n = rnd.randint(0, 3)
    saved = (list(c.locals), list(c.finals))
    out = []
    for i in range(n):
        out.append(stmt(c, ind))
    if rnd.random() < 0.3:
        out.append(jump(c, ind))
    c.locals, c.finals = saved
    return out


def stmt(c, ind):
    rnd = c.rnd
    c.depth += 1
    try:
        r = rnd.random()
        deep = c.depth < 4
        if r < 0.10:
            v = c.fresh("v")
            c.locals.append(v)
            if rnd.random() < 0.5:
                return ind + "int %s = %s;" % (v, int_expr(c))
            return ind + "int %s;" % v
        if r < 0.15:
            v = c.fresh("f")
            c.finals.append(v)
            return ind + "final int %s;" % v
        if r < 0.30:
            vs = c.locals + c.finals + ["x", "y"]
            v = rnd.choice(vs)
            op = rnd.choice(["=", "=", "+=", "="])
            return ind + "%s %s %s;" % (v, op, int_expr(c))
        if r < 0.35:
            return ind + "x++;"
        if r < 0.40:
            return ind + "System.out.print(%s + \" \");" % int_expr(c)
        if not deep:
            return ind + "y = x;"
        if r < 0.52:
            s = [ind + "if (" + cond(c) + ") {"] + block(c, ind + "  ") + [ind + "}"]
            if rnd.random() < 0.4:
                s[-1] += " else {"
                s += block(c, ind + "  ") + [ind + "}"]
            return "\n".join(s)
        if r < 0.58:
            return ind + "if (" + cond(c) + ") " + jump(c, "").strip()
        if r < 0.78:
            kind = rnd.choice(["while", "do", "for"])
            label = None
            pre = ""
            if rnd.random() < 0.4:
                label = c.fresh("L")
                pre = label + ": "
                c.labels.append((label, True))
            c.loops += 1
            body = [ind + "  tick();"] + block(c, ind + "  ")
            c.loops -= 1
            if label:
                c.labels.pop()
            if kind == "while":
                s = [ind + pre + "while (" + cond(c) + ") {"] + body + [ind + "}"]
            elif kind == "do":
                s = [ind + pre + "do {"] + body + [ind + "} while (" + cond(c) + ");"]
            else:
                i = c.fresh("i")
                cnd = rnd.choice([cond(c), i + " < 3", ""])
                s = [ind + pre + "for (int %s = 0; %s; %s++) {" % (i, cnd, i)] + body + [ind + "}"]
            return "\n".join(s)
        if r < 0.83:
            label = c.fresh("B")
            c.labels.append((label, False))
            s = [ind + label + ": {"] + block(c, ind + "  ") + [ind + "}"]
            c.labels.pop()
            return "\n".join(s)
        if r < 0.95:
            s = [ind + "try {"] + block(c, ind + "  ")
            shape = rnd.random()
            if shape < 0.7:
                e = c.fresh("e")
                s += [ind + "} catch (RuntimeException %s) {" % e] + block(c, ind + "  ")
            if shape > 0.4:
                s += [ind + "} finally {"] + block(c, ind + "  ")
            s.append(ind + "}")
            return "\n".join(s)
        if r < 0.98:
            return "\n".join([ind + "synchronized (LOCK) {"] + block(c, ind + "  ") + [ind + "}"])
        s = [ind + "switch (x) {"]
        for lab in rnd.sample(["1", "K.S", "(\"a\" == \"a\") ? 2 : 3", "1 << 35", "(true ? 4 : 5)", "'a'", "6 / 3"], 2):
            s.append(ind + "  case " + lab + ":")
            s += block(c, ind + "    ")
        s.append(ind + "  default:")
        s += block(c, ind + "    ")
        s.append(ind + "}")
        return "\n".join(s)
    finally:
        c.depth -= 1


def method(c, name):
    c.labels, c.loops, c.locals, c.finals = [], 0, [], []
    body = block(c, "    ", c.rnd.randint(2, 6))
    lines = ["  static int %s(int x, int y, boolean b, K t) {" % name] + body
    if c.rnd.random() < 0.8:
        lines.append("    return x + y;")
    lines.append("  }")
    return "\n".join(lines)


def program(seed, methods=1):
    rnd = random.Random(seed)
    c = Ctx(rnd)
    ms = [method(c, "m%d" % i) for i in range(methods)]
    calls = []
    for i in range(methods):
        for args in ["0, 1, true, new K()", "7, 2, false, new K()", "4, 0, true, null"]:
            calls.append("    try { System.out.println(\"m%d \" + m%d(%s)); } catch (Throwable e) { System.out.println(\"m%d \" + e.getClass().getName()); }" % (i, i, args, i))
    return """class K {
  static final int S = 4;
  final int k = 5;
}
class Main {
  static final boolean F = false;
  static final boolean T = true;
  static final Object LOCK = new Object();
  static int ticks;
  static void tick() {
    if (++ticks > 200) { System.out.println("limit"); System.exit(0); }
  }
%s
  public static void main(String[] args) {
%s
  }
}
""" % ("\n".join(ms), "\n".join(calls))


if __name__ == "__main__":
    seed = int(sys.argv[1])
    sys.stdout.write(program(seed))
