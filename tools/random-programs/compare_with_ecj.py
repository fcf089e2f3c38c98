#!/usr/bin/env python3
"""Random programs judged by ecj -1.3 and by quorvelix: both must accept or both refuse, and a
program both accept must print the same on JDK 17 (-Xverify:all) from either's classes.

  compare_with_ecj.py GENERATOR FIRST COUNT WORK [BUILD]

GENERATOR is a module with program(seed) -> the text of Main.java (flow_programs.py: reachability,
definite assignment and constant expressions in method bodies; field_programs.py: forward
references, blank finals and field constants); seeds FIRST .. FIRST+COUNT-1 are written below
WORK; BUILD is the build directory (default: build beside tools/). Prints each disagreement with
both verdicts, then the counts. A refusal on other lines than ecj's is counted, not printed:
the two report different faults of one region. Where ecj and javac disagree, compare with
`javac --release 8` before judging."""
import importlib.util
import os
import re
import shutil
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

JDT = "/usr/share/java/eclipse-jdt-core.jar"
HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    if len(sys.argv) not in (5, 6):
        sys.exit(__doc__)
    gen_path, first, count, work = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    build = sys.argv[5] if len(sys.argv) == 6 else os.path.join(HERE, "..", "..", "build")
    compiler = os.path.join(build, "stage", "bin", "x86", "quorvelix")
    library = os.path.join(build, "ZPK12", "lib", "classes.zip")
    spec = importlib.util.spec_from_file_location("generator", gen_path)
    generator = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(generator)

    shutil.rmtree(work, ignore_errors=True)
    batch = os.path.join(work, "ecj-batch")
    os.makedirs(batch)
    subprocess.run(["javac", "-nowarn", "-cp", JDT, "-d", batch,
                    os.path.join(HERE, "..", "..", "tests", "differential", "EcjBatch.java")], check=True)
    seeds = range(first, first + count)
    programs = []
    for seed in seeds:
        d = os.path.join(work, "p%d" % seed)
        os.makedirs(os.path.join(d, "src"))
        with open(os.path.join(d, "src", "Main.java"), "w") as f:
            f.write(generator.program(seed))
        programs.append(d + "\tMain.java")
    with open(os.path.join(work, "list"), "w") as f:
        f.write("\n".join(programs) + "\n")
    subprocess.run(["java", "-cp", JDT + ":" + batch, "EcjBatch", library, os.path.join(work, "list")], check=True)

    error_line = re.compile(r"^.*Main\.java:(\d+): (?!Warning)")

    def judge(seed):
        d = os.path.join(work, "p%d" % seed)
        out = os.path.join(d, "qv-out")
        os.makedirs(out)
        p = subprocess.run([compiler, "-d", out, os.path.join(d, "src", "Main.java")], capture_output=True, text=True,
                           timeout=120)
        if p.returncode not in (0, 1) or "Internal compiler error" in p.stderr:
            return seed, "crash", p.stderr
        ours = sorted({int(m.group(1)) for line in p.stderr.splitlines() for m in [error_line.match(line)] if m})
        ecj = open(os.path.join(d, "ecj.verdict")).read().split()
        if (p.returncode == 0) != (ecj[0] == "accept"):
            return seed, "verdict", "quorvelix: %s %s, ecj: %s\n%s" % (
                "accept" if p.returncode == 0 else "reject", ours, " ".join(ecj), p.stderr)
        if p.returncode != 0:
            return seed, "both refuse" + ("" if set(ours) == set(int(x) for x in ecj[1:]) else ", other lines"), ""
        runs = []
        for classes in ("ecj-out", "qv-out"):
            r = subprocess.run(["java", "-Xverify:all", "-cp", os.path.join(d, classes), "Main"], capture_output=True,
                               text=True, timeout=120)
            runs.append("%s|%s|%d" % (r.stdout, r.stderr[:300], r.returncode))
        if runs[0] != runs[1]:
            return seed, "run", "ecj's classes: %s\nquorvelix's:   %s" % (runs[0][:600], runs[1][:600])
        return seed, "both run alike", ""

    with ThreadPoolExecutor(max_workers=4) as pool:
        results = list(pool.map(judge, seeds))
    counts = {}
    for seed, kind, text in results:
        counts[kind] = counts.get(kind, 0) + 1
        if kind in ("crash", "verdict", "run"):
            print("=== seed %d: %s\n%s" % (seed, kind, text))
    print(counts)


if __name__ == "__main__":
    main()
