// The compiler driven by build tools as they drive javac. Apache Ant: a generated project of a few
// packages and more files than fit on Ant's command line, built by the standard <javac> task with
// fork="yes" and executable set to the compiler, then run on the JVM; Ant passes the options and
// the file names through an argument file. Maven: the compiler plugin in fork mode, which writes
// every argument quoted into an argument file and puts its own -source and -target before the
// user's. The sources are UTF-8 with characters beyond ASCII and are compiled under the C locale,
// so that only -encoding can decode them. Both tools run offline from Debian's packages.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

constexpr int TERMS = 120;
constexpr int SHAPES = 120;
constexpr int WORDS = 100;

struct Outcome {
  int status;
  std::string output;  // standard output and standard error
};

std::string shellQuoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

Outcome run(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {-1, "cannot run " + command};
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The text of every word class, beyond ASCII: German words, a dash and the euro sign, as the
// characters Main adds up and as the source's UTF-8 bytes.
const std::u16string WORD_CHARACTERS = u"Gr\u00fc\u00dfe \u2013 \u20ac Nr. ";
const std::string WORD_UTF8 = "Gr\xc3\xbc\xc3\x9f" "e \xe2\x80\x93 \xe2\x82\xac Nr. ";

std::u16string wordText(int n) {
  std::u16string text = WORD_CHARACTERS;
  for (char c : std::to_string(n)) text += static_cast<char16_t>(c);
  return text;
}

std::string wordUtf8(int n) {
  return WORD_UTF8 + std::to_string(n);
}

void writeFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// The generated project: its directory, the sources' paths and what Main prints, with the line
// of Main on which it asks where it stands.
struct Project {
  fs::path root;
  std::vector<fs::path> sources;
  std::string expectedOutput;  // without the last line, which depends on the debugging information
  int hereLine = 0;
};

Project generate(const fs::path& root) {
  Project project{root, {}, "", 0};
  fs::remove_all(root);
  fs::path src = root / "src" / "app";
  auto add = [&](const fs::path& path, const std::string& text) {
    writeFile(path, text);
    project.sources.push_back(path);
  };
  for (int n = 0; n < TERMS; n++) {
    std::string name = "Term" + std::to_string(n);
    add(src / "calc" / (name + ".java"), "package app.calc;\n\n/** Term " + std::to_string(n) +
                                             " of the series. */\npublic class " + name +
                                             " {\n  public static int value() {\n    return " + std::to_string(n) +
                                             " * 3 + 1;\n  }\n}\n");
  }
  add(src / "shapes" / "Area.java", "package app.shapes;\n\npublic interface Area {\n  int area();\n}\n");
  for (int n = 0; n < SHAPES; n++) {
    std::string name = "Shape" + std::to_string(n);
    add(src / "shapes" / (name + ".java"),
        "package app.shapes;\n\npublic class " + name + " implements Area {\n  private final int side;\n\n  public " +
            name + "(int side) {\n    this.side = side;\n  }\n\n  public int area() {\n    return side * side + " +
            std::to_string(n) + ";\n  }\n}\n");
  }
  for (int n = 0; n < WORDS; n++) {
    std::string name = "Word" + std::to_string(n);
    // A name beyond ASCII, and a comment.
    std::string size = n == 0 ? "\n  public static int gr\xc3\xb6\xc3\x9f" "e() {\n    return 7;\n  }\n" : "";
    add(src / "text" / (name + ".java"), "package app.text;\n\n// W\xc3\xb6rter f\xc3\xbcr den Test\npublic class " + name +
                                             " {\n  public static final String TEXT = \"" + wordUtf8(n) + "\";\n" +
                                             size + "}\n");
  }

  std::vector<std::string> main = {"package app;", "", "import app.calc.*;", "import app.shapes.*;",
                                   "import app.text.*;", "", "public class Main {",
                                   "  public static void main(String[] args) {", "    long terms = 0;"};
  for (int n = 0; n < TERMS; n++) main.push_back("    terms += Term" + std::to_string(n) + ".value();");
  main.push_back("    System.out.println(\"terms \" + terms);");
  main.push_back("    Area[] shapes = {");
  for (int n = 0; n < SHAPES; n++) main.push_back("      new Shape" + std::to_string(n) + "(2),");
  main.push_back("    };");
  main.push_back("    long areas = 0;");
  main.push_back("    for (int i = 0; i < shapes.length; i++) areas += shapes[i].area();");
  main.push_back("    System.out.println(\"areas \" + areas);");
  main.push_back("    String[] words = {");
  for (int n = 0; n < WORDS; n++) main.push_back("      Word" + std::to_string(n) + ".TEXT,");
  main.push_back("    };");
  main.push_back("    long characters = 0;");
  main.push_back("    for (int i = 0; i < words.length; i++)");
  main.push_back("      for (int j = 0; j < words[i].length(); j++) characters += words[i].charAt(j);");
  main.push_back("    System.out.println(\"characters \" + characters);");
  main.push_back("    System.out.println(\"size \" + Word0.gr\xc3\xb6\xc3\x9f" "e());");
  main.push_back("    StringBuffer codes = new StringBuffer(\"codes\");");
  main.push_back("    for (int j = 0; j < Word7.TEXT.length(); j++)");
  main.push_back("      codes.append(' ').append(Integer.toHexString(Word7.TEXT.charAt(j)));");
  main.push_back("    System.out.println(codes);");
  main.push_back("    StackTraceElement here = new Throwable().getStackTrace()[0];");
  project.hereLine = static_cast<int>(main.size());
  main.push_back("    System.out.println(\"at \" + here.getFileName() + \":\" + here.getLineNumber());");
  main.push_back("  }");
  main.push_back("}");
  std::string text;
  for (const std::string& line : main) text += line + "\n";
  add(src / "Main.java", text);

  long terms = 0;
  for (int n = 0; n < TERMS; n++) terms += n * 3 + 1;
  long areas = 0;
  for (int n = 0; n < SHAPES; n++) areas += 2 * 2 + n;
  long characters = 0;
  for (int n = 0; n < WORDS; n++)
    for (char16_t c : wordText(n)) characters += c;
  std::ostringstream expected;
  expected << "terms " << terms << "\nareas " << areas << "\ncharacters " << characters << "\nsize 7\ncodes";
  for (char16_t c : wordText(7)) expected << ' ' << std::hex << static_cast<int>(c) << std::dec;
  expected << "\n";
  project.expectedOutput = expected.str();

  writeFile(root / "build.xml", R"(<project name="generated" default="plain">
  <target name="plain">
    <mkdir dir="classes-plain"/>
    <javac srcdir="src" destdir="classes-plain" includeantruntime="false" fork="yes" executable="${quorvelix}"
           encoding="UTF-8" debug="false" source="1.3" target="1.1"/>
  </target>
  <target name="debug">
    <mkdir dir="classes-debug"/>
    <javac srcdir="src" destdir="classes-debug" includeantruntime="false" fork="yes" executable="${quorvelix}"
           encoding="UTF-8" debug="true" source="1.3" target="1.1"/>
  </target>
</project>
)");
  return project;
}

// Fails, naming the set-up, when a package the tool needs is missing.
void requirePackages(const std::string& who, const std::string& packages) {
  Outcome required = run(shellQuoted(REQUIRE_PACKAGES) + " " + shellQuoted(who) + " " + packages);
  if (required.status != 0) FAIL() << required.output;
}

class AntBuildTest : public testing::Test {
 protected:
  void SetUp() override { requirePackages("ant build", "ant"); }

  // Generates the project, builds the target with Ant under the C locale and runs Main from the
  // classes it wrote; returns Main's output.
  std::string buildAndRun(const std::string& target, Project* project) {
    // A blank in every path: Ant quotes the names it writes into the argument file.
    *project = generate(fs::path(ANT_WORK_DIR) / target / "ant project");
    size_t commandLine = 0;
    for (const fs::path& source : project->sources) commandLine += source.string().size() + 1;
    // Ant writes the arguments into a file once the command line passes 4096 characters.
    EXPECT_GT(commandLine, 4096u);
    std::string in = "cd " + shellQuoted(project->root.string()) + " && env LC_ALL=C ";
    Outcome built = run(in + "ant -noinput -Dquorvelix=" + shellQuoted(QUORVELIX) + " " + target);
    EXPECT_EQ(built.status, 0) << built.output;
    EXPECT_NE(built.output.find("BUILD SUCCESSFUL"), std::string::npos) << built.output;
    Outcome ran = run(in + shellQuoted(JAVA) + " -Xverify:all -cp classes-" + target + " app.Main");
    EXPECT_EQ(ran.status, 0) << ran.output;
    return ran.output;
  }

  // javap's view of Main with its tables.
  std::string javapOfMain(const Project& project, const std::string& target) {
    Outcome shown = run("cd " + shellQuoted(project.root.string()) + " && " + shellQuoted(JAVAP) + " -l -cp classes-" +
                        target + " app.Main");
    EXPECT_EQ(shown.status, 0) << shown.output;
    return shown.output;
  }
};

TEST_F(AntBuildTest, WithoutDebuggingTheProjectRunsAndItsClassesCarryNoTables) {
  Project project;
  std::string output = buildAndRun("plain", &project);
  EXPECT_EQ(output, project.expectedOutput + "at null:-1\n");
  std::string tables = javapOfMain(project, "plain");
  EXPECT_EQ(tables.find("Compiled from"), std::string::npos) << tables;
  EXPECT_EQ(tables.find("LineNumberTable"), std::string::npos) << tables;
  EXPECT_EQ(tables.find("LocalVariableTable"), std::string::npos) << tables;
}

TEST_F(AntBuildTest, WithDebuggingTheClassesCarryLineNumbersAndLocals) {
  Project project;
  std::string output = buildAndRun("debug", &project);
  EXPECT_EQ(output, project.expectedOutput + "at Main.java:" + std::to_string(project.hereLine) + "\n");
  std::string tables = javapOfMain(project, "debug");
  EXPECT_NE(tables.find("Compiled from \"Main.java\""), std::string::npos) << tables;
  EXPECT_NE(tables.find("LineNumberTable"), std::string::npos) << tables;
  EXPECT_NE(tables.find("LocalVariableTable"), std::string::npos) << tables;
}

// Maven's compiler plugin from Debian's repository, offline: the plugin replaces a -source or
// -target below 1.7 by 7, so the user's come as compiler arguments, which it passes last.
TEST(MavenBuildTest, TheCompilerPluginInForkModeBuildsAProjectThatRuns) {
  requirePackages("maven build", "maven libmaven-compiler-plugin-java junit5");
  fs::path root = fs::path(MAVEN_WORK_DIR) / "maven project";
  fs::remove_all(root);
  writeFile(root / "src/main/java/app/Main.java",
            "package app;\n\nimport app.text.Words;\n\npublic class Main {\n  public static void main(String[] args) {\n"
            "    System.out.println(Words.TEXT.length() + \" \" + (int) Words.TEXT.charAt(2));\n  }\n}\n");
  writeFile(root / "src/main/java/app/text/Words.java",
            "package app.text;\n\npublic class Words {\n  public static final String TEXT = \"" + wordUtf8(1) +
                "\";\n}\n");
  writeFile(root / "pom.xml", R"(<project xmlns="http://maven.apache.org/POM/4.0.0">
  <modelVersion>4.0.0</modelVersion>
  <groupId>example</groupId>
  <artifactId>generated</artifactId>
  <version>1.0</version>
  <build>
    <plugins>
      <plugin>
        <groupId>org.apache.maven.plugins</groupId>
        <artifactId>maven-compiler-plugin</artifactId>
        <configuration>
          <fork>true</fork>
          <executable>)" + std::string(QUORVELIX) + R"(</executable>
          <encoding>UTF-8</encoding>
          <compilerArgs>
            <arg>-source</arg><arg>1.3</arg>
            <arg>-target</arg><arg>1.1</arg>
          </compilerArgs>
        </configuration>
      </plugin>
    </plugins>
  </build>
</project>
)");
  std::string in = "cd " + shellQuoted(root.string()) + " && env LC_ALL=C ";
  Outcome built = run(in + "mvn -o -B -Dmaven.repo.local=/usr/share/maven-repo compiler:compile");
  ASSERT_EQ(built.status, 0) << built.output;
  Outcome ran = run(in + shellQuoted(JAVA) + " -Xverify:all -cp target/classes app.Main");
  EXPECT_EQ(ran.status, 0) << ran.output;
  EXPECT_EQ(ran.output, std::to_string(wordText(1).size()) + " " + std::to_string(static_cast<int>(wordText(1)[2])) + "\n");
}

}  // namespace
