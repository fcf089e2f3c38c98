#!/usr/bin/env python3
"""Random classes around forward references, blank finals and field constants: fields static or
not, final or blank, read and assigned in initializers and initializer blocks before and after
their declarations, blank finals assigned in constructors by simple name, this.name and other
forms, constants that are none (1 / 0, t.k) in case labels. program(seed) gives Main.java."""
import random

CONSTS = ["1", "K.S", "(1 << 33)", "(\"a\" == \"a\" ? 2 : 3)", "(true ? 4 : 5)", "('a' + 1)", "(7 / 2)", "(5 % 3)"]
NONCONST = ["(1 / 0)", "(2 % (1 - 1))", "(true ? 1 : q)", "(false && b ? 1 : 2)", "(null == null ? 1 : 0)", "k.k", "k.S",
            "f()", "(F ? 1 : 2)"]


def program(seed):
    rnd = random.Random(seed)
    names = ["a%d" % i for i in range(6)]
    statics = {n: rnd.random() < 0.4 for n in names}
    finals = {n: rnd.random() < 0.4 for n in names}
    blank = {n: finals[n] and rnd.random() < 0.5 for n in names}
    members = []
    # initializer blocks interleaved with fields
    items = []
    for n in names:
        items.append(("field", n))
        if rnd.random() < 0.35:
            items.append(("block", rnd.random() < 0.5))

    def expr(static_ctx):
        r = rnd.random()
        pool = [n for n in names if statics[n] or not static_ctx]
        if r < 0.3 and pool:
            return rnd.choice(pool)
        if r < 0.4 and pool:
            return "Main." + rnd.choice([n for n in names if statics[n]] or ["z"])
        if r < 0.45 and not static_ctx:
            return "this." + rnd.choice(names)
        if r < 0.65:
            return rnd.choice(CONSTS)
        if r < 0.8:
            return rnd.choice(NONCONST)
        if r < 0.9 and pool:
            return "(%s = %s)" % (rnd.choice(pool), rnd.choice(CONSTS))
        return "z"

    for kind, x in items:
        if kind == "field":
            n = x
            mods = ("static " if statics[n] else "") + ("final " if finals[n] else "")
            if blank[n]:
                members.append("  %sint %s;" % (mods, n))
            else:
                members.append("  %sint %s = %s;" % (mods, n, expr(statics[n])))
        else:
            st = x
            body = []
            for i in range(rnd.randint(1, 3)):
                pool = [n for n in names if statics[n] or not st]
                t = rnd.choice(pool) if pool else "z"
                op = rnd.choice(["=", "+=", "=", "++"])
                if op == "++":
                    body.append("%s++;" % t)
                else:
                    body.append("%s %s %s;" % (t, op, expr(st)))
                if rnd.random() < 0.3:
                    body.append("System.out.print(%s + \" \");" % expr(st))
            members.append("  %s{ %s }" % ("static " if st else "", " ".join(body)))
    # constructors assigning blank finals in various forms
    ctors = []
    for c in range(rnd.randint(1, 2)):
        body = []
        for n in names:
            if blank[n] and not statics[n]:
                form = rnd.choice(["%s = %s;", "this.%s = %s;", "%s = %s;", "if (b) %s = %s; else this.%s = 2;",
                                   "o.%s = %s;", "((Main) this).%s = %s;", ""])
                if form.count("%s") == 3:
                    body.append(form % (n, expr(False), n))
                elif form:
                    body.append(form % (n, expr(False)))
            if blank[n] and statics[n] and rnd.random() < 0.2:
                body.append("Main.%s = 1;" % n)
        if rnd.random() < 0.2:
            body.append("int r = %s;" % rnd.choice(names))
        ctors.append("  Main(%sMain o, boolean b) { %s }" % ("int u, " * c, " ".join(body)))
    static_init = []
    for n in names:
        if blank[n] and statics[n]:
            form = rnd.choice(["%s = 3;", "Main.%s = 3;", "%s = 3;", ""])
            static_init.append(form % n if form else "")
    static_init = [s for s in static_init if s]
    prints = " + \" \" + ".join("m.%s" % n for n in names)
    case_labels = rnd.sample([n for n in names if statics[n] and finals[n] and not blank[n]] + ["K.S", "99"], 2) \
        if rnd.random() < 0.5 else []
    sw = ""
    if case_labels:
        sw = "    switch (args.length) { %s }\n" % " ".join(
            "case %s: System.out.println(\"c%d\"); break;" % (l, i) for i, l in enumerate(case_labels))
    return """class K {
  static final int S = 4;
  final int k = 5;
}
class Main {
  static int z = 9;
  static int q = 1;
  static boolean b;
  static final boolean F = false;
  static K k = null;
  static int f() { return 6; }
%s
  static { %s }
%s
  public static void main(String[] args) {
    try {
      Main m = new Main(null, true);
      System.out.println(%s);
    } catch (Throwable e) { System.out.println(e.getClass().getName()); }
%s  }
}
""" % ("\n".join(members), " ".join(static_init), "\n".join(ctors), prints, sw)


if __name__ == "__main__":
    import sys
    sys.stdout.write(program(int(sys.argv[1])))
