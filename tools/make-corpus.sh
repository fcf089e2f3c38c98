#!/usr/bin/env bash
# Builds a corpus of real Java 1.1 source: runs Debian's parser and scanner generators
# (antlr 2.7, javacc4, jflex, cup, byacc-j, jlex) on the grammars and examples their
# packages ship, keeps the files that ecj accepts at source level 1.3, that are ASCII and
# use no assert, enum or annotations, and copies them, without duplicates, into OUTDIR.
set -euo pipefail
export LC_ALL=C

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
OUTDIR=$1

# --- packages --------------------------------------------------------------------------
"$(dirname "$0")/require-packages.sh" make-corpus.sh default-jre-headless ecj junit libantlr-java \
  antlr-doc javacc4 javacc4-doc jflex cup byacc-j jlex openjdk-17-jdk-headless libasm-java

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
GEN=$WORK/gen
mkdir -p "$GEN"

# The examples live under /usr/share/doc; where dpkg is set to leave that out, the set-up
# unpacks them into /usr/local/share/quorvelix/doc.
examples=(antlr/examples/java javacc4/examples jflex/examples jlex/examples/sample.lex byacc-j/tf.y)
examples_in() {
  local e
  for e in "${examples[@]}"; do [ -e "$1/$e" ] || return 1; done
}
if examples_in /usr/share/doc; then
  DOC=/usr/share/doc
elif examples_in /usr/local/share/quorvelix/doc; then
  DOC=/usr/local/share/quorvelix/doc
else
  echo "make-corpus.sh: the generators' examples are missing: run tools/install-packages.sh (as root), which unpacks them" >&2
  exit 1
fi

CP=/usr/share/java/antlr.jar:/usr/share/java/cup_runtime.jar:/usr/share/java/junit.jar
ANTLR="java -cp /usr/share/java/antlr.jar antlr.Tool"

# --- generation units ------------------------------------------------------------------
shopt -s nullglob
# A unit is a directory of inputs and the commands that generate Java there; the .java
# files of a unit are checked together, and land in OUTDIR/<unit>/.
units=()
# unit NAME SRCDIR COMMANDS FILE... : copies the FILEs (relative to SRCDIR, keeping their
# subdirectories) into the unit and records the COMMANDS to run in it.
unit() {
  local name=$1 src=$2 cmds=$3
  shift 3
  mkdir -p "$GEN/$name"
  (cd "$src" && cp --parents -- "$@" "$GEN/$name/")
  printf '%s\n' "$cmds" > "$GEN/$name/.gen"
  units+=("$name")
}

# antlr 2.7.7's Java examples: a unit per directory, its grammars in build order.
AX=$DOC/antlr/examples/java
for dir in "$AX"/*/; do
  d=$(basename "$dir")
  case $d in
    java) order="java.g java.tree.g" ;;
    multiLexer) order="javadoclex.g javadocparse.g javalex.g javaparse.g" ;;
    pascal) order="pascal.g pascal.tree.g -glib=pascal.tree.g:symtab.g" ;;
    tinybasic) order="TinyBasic.g TinyBasicTreeWalker.g" ;;
    tinyc) order="lexer.g tinyc.g" ;;
    inherit.tinyc) order="lexer.g tinyc.g -glib=tinyc.g:subc.g" ;;
    *) order=$(cd "$dir" && echo *.g) ;;
  esac
  cmds=""
  for g in $order; do
    case $g in
      -glib=*) g=${g#-glib=}; cmds+="$ANTLR -glib ${g%%:*} ${g#*:}"$'\n' ;;
      *) cmds+="$ANTLR $g"$'\n' ;;
    esac
  done
  mapfile -t files < <(cd "$dir" && find . -type f | sed 's|^\./||' | sort |
                       grep -vE '(^|/)(Makefile\.in|shiplist|.*\.bat)$')
  unit "antlr/$d" "$dir" "$cmds" "${files[@]}"
done
# inherit.tinyc builds on the tinyc grammars
cp "$AX/tinyc/lexer.g" "$AX/tinyc/tinyc.g" "$GEN/antlr/inherit.tinyc/"

# javacc4's examples: a unit per grammar, with the hand-written Java of its directory.
# Left out, to keep the corpus near 100,000 lines: JavaGrammars, JavaCCGrammar,
# Transformer and Obfuscator, whose parsers are further variants of the Java grammar.
EX=$DOC/javacc4/examples
for rel in CORBA-IDL GUIParsing/ParserVersion GUIParsing/TokenMgrVersion Interpreter \
           JJTreeExamples Lookahead MailProcessing SimpleExamples VTransformer; do
  javas=()
  for f in $(cd "$EX/$rel" && echo *.java); do javas+=("$f"); done
  for g in $(cd "$EX/$rel" && echo *.jj *.jjt); do
    case $g in
      *.jjt) cmds="jjtree4 $g && javacc4 ${g%.jjt}.jj" ;;
      *.jj) cmds="javacc4 $g" ;;
      *) continue ;;
    esac
    unit "javacc4/$rel/${g%.*}" "$EX/$rel" "$cmds" "${javas[@]}" "$g"
  done
done

# jflex's examples, with cup and byacc-j where they use them.
# (The $(...) file lists below are split into words on purpose.)
FX=$DOC/jflex/examples
unit jflex/byaccj "$FX/byaccj" "jflex -q calc.flex
byaccj -J calc.y" calc.flex calc.y
unit jflex/cup-maven "$FX/cup-maven" "jflex -q src/main/jflex/lcalc.flex
cup -parser parser -symbols sym src/main/cup/ycalc.cup" \
  src/main/cup/ycalc.cup src/main/jflex/lcalc.flex src/main/java/Main.java \
  src/test/java/LexerTest.java
# shellcheck disable=SC2046
unit jflex/interpreter "$FX/interpreter" "jflex -q scanner.flex
cup -interface parser.cup" $(cd "$FX/interpreter" && echo *.java *.flex *.cup)
# shellcheck disable=SC2046
unit jflex/java "$FX/java" "jflex -q java.flex
jflex -q unicode.flex
cup -interface java12.cup" $(cd "$FX/java" && echo *.java *.flex *.cup)
unit jflex/simple-maven "$FX/simple-maven" "jflex -q src/main/jflex/simple.flex" \
  src/main/jflex/simple.flex src/main/java/Utility.java src/main/java/Yytoken.java \
  src/test/java/YylexTest.java
# shellcheck disable=SC2046
unit jflex/standalone-maven "$FX/standalone-maven" \
  "jflex -q src/main/jflex/standalone.flex" src/main/jflex/standalone.flex \
  $(cd "$FX/standalone-maven" && find src/test -name '*.java' | sort)
unit jflex/zero-reader "$FX/zero-reader" "jflex -q zero-lexer.jflex" \
  zero-lexer.jflex FunkyReader.java ZeroReader.java

# byacc-j's and jlex's own examples
unit byaccj/tf "$DOC/byacc-j" "byaccj -J -Jclass=parser -Jsemantic=double tf.y" tf.y
unit jlex/sample "$DOC/jlex/examples" "jlex sample.lex" sample.lex

# --- run the generators ----------------------------------------------------------------
# Many short-lived JVMs run side by side: keep each one light. Some examples do not
# generate (on purpose or not); what they leave is filtered like the rest.
export JAVA_TOOL_OPTIONS="-XX:TieredStopAtLevel=1 -XX:+UseSerialGC -XX:-UsePerfData -Xss8m"
# shellcheck disable=SC2016 # ($1 is for the inner shell)
printf '%s\n' "${units[@]}" |
  xargs -P "$(nproc)" -I{} sh -c 'cd "$1" && bash .gen > .log 2>&1 || true' _ "$GEN/{}"
unset JAVA_TOOL_OPTIONS

# --- filter and copy out ---------------------------------------------------------------
# In each unit, a file is dropped when it has a byte other than printable ASCII, tab, CR
# or FF, or uses assert, enum or @ outside comments and literals. ecj (-1.3 -nowarn
# -proc:none -d none, called through its batch API so that one JVM serves all units) checks
# the unit's other files together, again and again without those it rejects, until it
# accepts all that is left, which so compile on their own. The kept files are copied, in
# order of unit and path, skipping any whose content is already there; units.txt lists each
# unit's files by where they are in OUTDIR.
JDT=/usr/share/java/eclipse-jdt-core.jar
mkdir -p "$WORK/filter"
cat > "$WORK/filter/Filter.java" <<'EOF'
import java.io.*;
import java.nio.file.*;
import java.util.*;
import java.util.concurrent.*;
import java.util.regex.*;
import org.eclipse.jdt.core.compiler.batch.BatchCompiler;

/** Filter CLASSPATH GENDIR OUTDIR UNIT...: see make-corpus.sh. */
public class Filter {
    static final Pattern ERROR = Pattern.compile(
        "^[0-9]+\\. ERROR in (.*\\.java)( \\(at line [0-9]+\\))?$", Pattern.MULTILINE);
    static final Pattern BANNED = Pattern.compile("\\b(assert|enum)\\b|@");

    static class Unit {
        final String name;
        final File dir;
        final List<String> kept = new ArrayList<String>();
        final Map<String, String> dropped = new TreeMap<String, String>();
        Unit(File gen, String name) { this.name = name; this.dir = new File(gen, name); }
    }

    public static void main(String[] args) throws Exception {
        final String cp = args[0];
        File gen = new File(args[1]).getCanonicalFile();
        File out = new File(args[2]);
        List<Unit> units = new ArrayList<Unit>();
        for (int i = 3; i < args.length; i++) units.add(new Unit(gen, args[i]));
        Collections.sort(units, new Comparator<Unit>() {
            public int compare(Unit a, Unit b) { return a.name.compareTo(b.name); }
        });
        ExecutorService pool =
            Executors.newFixedThreadPool(Runtime.getRuntime().availableProcessors());
        List<Future<?>> jobs = new ArrayList<Future<?>>();
        for (final Unit u : units)
            jobs.add(pool.submit(new Callable<Object>() {
                public Object call() throws IOException { filter(u, cp); return null; }
            }));
        for (Future<?> job : jobs) job.get();
        pool.shutdown();

        Map<String, String> seen = new HashMap<String, String>();
        long files = 0, lines = 0, dups = 0;
        StringBuilder unitList = new StringBuilder();
        for (Unit u : units) {
            StringBuilder paths = new StringBuilder();
            for (String f : u.kept) {
                byte[] b = Files.readAllBytes(new File(u.dir, f).toPath());
                String content = new String(b, "ISO-8859-1");
                String path = seen.get(content);
                if (path != null) {
                    dups++;
                } else {
                    path = u.name + "/" + f;
                    seen.put(content, path);
                    File dest = new File(out, path);
                    dest.getParentFile().mkdirs();
                    Files.write(dest.toPath(), b);
                    files++;
                    for (byte c : b) if (c == '\n') lines++;
                }
                paths.append(' ').append(path);
            }
            if (paths.length() > 0) unitList.append(u.name).append('\t').append(paths.substring(1)).append('\n');
        }
        // Each unit's files, copies kept elsewhere named where they are: the units compile whole.
        Files.write(new File(out, "units.txt").toPath(), unitList.toString().getBytes("US-ASCII"));
        // Why files were dropped, counting each content once and not when a copy was kept.
        Map<String, String> why = new HashMap<String, String>();
        for (Unit u : units)
            for (Map.Entry<String, String> e : u.dropped.entrySet()) {
                String s = new String(Files.readAllBytes(new File(u.dir, e.getKey()).toPath()),
                                      "ISO-8859-1");
                if (!seen.containsKey(s) && !why.containsKey(s)) why.put(s, e.getValue());
            }
        Map<String, Integer> count = new TreeMap<String, Integer>();
        for (String r : why.values()) count.put(r, count.containsKey(r) ? count.get(r) + 1 : 1);
        for (Map.Entry<String, Integer> e : count.entrySet())
            System.out.println("dropped " + e.getValue() + " files: " + e.getKey());
        System.out.println("left out " + dups + " copies of files already in the corpus");
        System.out.println("corpus: " + files + " files, " + lines + " lines in " + args[2]);
    }

    static void list(File dir, String rel, List<String> into) {
        File[] fs = dir.listFiles();
        if (fs == null) return;
        for (File f : fs) {
            String r = rel.isEmpty() ? f.getName() : rel + "/" + f.getName();
            if (f.isDirectory()) list(f, r, into);
            else if (f.getName().endsWith(".java") && f.isFile()) into.add(r);
        }
    }

    /** The text with comments and string and character literals blanked out. */
    static String code(String s) {
        StringBuilder b = new StringBuilder(s.length());
        int n = s.length();
        for (int i = 0; i < n; ) {
            char c = s.charAt(i);
            if (c == '/' && i + 1 < n && s.charAt(i + 1) == '*') {
                int e = s.indexOf("*/", i + 2);
                i = e < 0 ? n : e + 2;
                b.append(' ');
            } else if (c == '/' && i + 1 < n && s.charAt(i + 1) == '/') {
                while (i < n && s.charAt(i) != '\n') i++;
            } else if (c == '"' || c == '\'') {
                for (i++; i < n && s.charAt(i) != c && s.charAt(i) != '\n'; i++)
                    if (s.charAt(i) == '\\') i++;
                i++;
                b.append(' ');
            } else {
                b.append(c);
                i++;
            }
        }
        return b.toString();
    }

    static void filter(Unit u, String cp) throws IOException {
        List<String> all = new ArrayList<String>();
        list(u.dir, "", all);
        Collections.sort(all);
        List<String> files = new ArrayList<String>();
        for (String f : all) {
            byte[] b = Files.readAllBytes(new File(u.dir, f).toPath());
            String reason = null;
            for (byte c : b)
                if ((c < 0x20 || c > 0x7e) && c != '\t' && c != '\n' && c != '\r' && c != '\f') {
                    reason = "not ASCII";
                    break;
                }
            if (reason == null && BANNED.matcher(code(new String(b, "ISO-8859-1"))).find())
                reason = "assert, enum or annotations";
            if (reason == null) files.add(f);
            else u.dropped.put(f, reason);
        }
        String prefix = u.dir.getPath() + File.separator;
        // The kept files must compile on their own, without those dropped: the corpus test
        // compiles each unit whole.
        while (!files.isEmpty()) {
            List<String> cmd = new ArrayList<String>(Arrays.asList("-1.3", "-nowarn",
                "-proc:none", "-d", "none", "-encoding", "UTF-8", "-classpath", cp));
            for (String f : files) cmd.add(prefix + f);
            StringWriter text = new StringWriter();
            PrintWriter w = new PrintWriter(text);
            if (BatchCompiler.compile(cmd.toArray(new String[0]), w, w, null)) break;
            w.flush();
            Set<String> bad = new HashSet<String>();
            Matcher m = ERROR.matcher(text.toString());
            while (m.find()) {
                String f = m.group(1);
                bad.add(f.startsWith(prefix) ? f.substring(prefix.length()) : f);
            }
            boolean none = bad.isEmpty(); // errors not tied to a file: drop them all
            List<String> keep = new ArrayList<String>();
            for (String f : files)
                if (none || bad.contains(f)) u.dropped.put(f, "rejected by ecj");
                else keep.add(f);
            files = keep;
        }
        u.kept.addAll(files);
    }
}
EOF
ecj -8 -nowarn -proc:none -d "$WORK/filter" -classpath "$JDT" "$WORK/filter/Filter.java"
mkdir -p "$OUTDIR"
find "$OUTDIR" -mindepth 1 -delete
java -Xss16m -cp "$WORK/filter:$JDT" Filter "$CP" "$GEN" "$OUTDIR" "${units[@]}"

# --- the run-time libraries, as the compiler reads them ------------------------------------
# The generated parsers call the antlr, cup and junit jars, whose class files are of a later
# version than the compiler reads: it compiles the corpus against version-45 views of them,
# made as the kit's class library is (tools/class-library/MakeClassLibrary.java).
ASM=/usr/share/java/asm.jar:/usr/share/java/asm-tree.jar
mkdir -p "$WORK/mcl" "$OUTDIR/lib"
javac -nowarn -encoding UTF-8 -cp "$ASM" -d "$WORK/mcl" "$(dirname "$0")/class-library/MakeClassLibrary.java"
java -cp "$ASM:$WORK/mcl" MakeClassLibrary "$OUTDIR/lib/runtime.zip" ${CP//:/ }
