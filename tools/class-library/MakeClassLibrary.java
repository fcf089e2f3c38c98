// Writes classes.zip, the class library the compiler reads: every class of the running JDK's modules
// java.base, java.datatransfer, java.xml and java.desktop, rewritten as a version 45.3 class file
// that holds only what a Java 1.1 compiler needs (non-private members, no code, only the attributes
// such a compiler knows). The set is closed under the class names it uses; the zip is reproducible.
// Given jars after the zip's name, it writes their classes instead, in the same form, closed under
// their names together with those of the JDK's modules (the run-time libraries that generated
// parsers call, for the corpus test).

import java.io.BufferedOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.net.URI;
import java.nio.charset.StandardCharsets;
import java.nio.file.FileSystem;
import java.nio.file.FileSystems;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.time.LocalDateTime;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.HashMap;
import java.util.HashSet;
import java.util.Iterator;
import java.util.LinkedHashSet;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.TreeMap;
import java.util.TreeSet;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import java.util.zip.CRC32;
import java.util.zip.ZipEntry;
import java.util.zip.ZipOutputStream;

import org.objectweb.asm.ClassReader;
import org.objectweb.asm.ClassWriter;
import org.objectweb.asm.Opcodes;
import org.objectweb.asm.Type;
import org.objectweb.asm.tree.ClassNode;
import org.objectweb.asm.tree.FieldNode;
import org.objectweb.asm.tree.InnerClassNode;
import org.objectweb.asm.tree.MethodNode;

public final class MakeClassLibrary {
  static final String[] MODULES = {"java.base", "java.datatransfer", "java.xml", "java.desktop"};

  // The flags a version 45 class file may carry, at each level.
  static final int CLASS_FLAGS = 0x0631;   // public final super interface abstract
  static final int FIELD_FLAGS = 0x00DF;   // public private protected static final volatile transient
  static final int METHOD_FLAGS = 0x1D3F;  // those of fields but volatile and transient (the bridge
                                           // and varargs bits), synchronized native abstract strict
  static final int INNER_FLAGS = 0x061F;   // public private protected static final interface abstract
  // ASM's flags for the Deprecated and Synthetic attributes: for a version below 49 its writer turns
  // them into those attributes, never into access flags.
  static final int ATTRIBUTE_FLAGS = Opcodes.ACC_DEPRECATED | Opcodes.ACC_SYNTHETIC;

  // Every entry gets this time, as a DOS date and time only (no time zone, no extra field). Not
  // 1980-01-01 00:00:00: java.util.zip takes that DOS time for "before 1980" and then adds an
  // extended time field in the local time zone, which would make the bytes depend on the zone.
  static final LocalDateTime ENTRY_TIME = LocalDateTime.of(2000, 1, 1, 0, 0, 0);

  public static void main(String[] args) throws Exception {
    if (args.length < 1) {
      System.err.println("usage: java MakeClassLibrary OUT.zip [JAR...]");
      System.exit(2);
    }
    Map<String, ClassNode> all = readModules();
    Map<String, ClassNode> written = all;
    if (args.length > 1) {
      written = readJars(Arrays.asList(args).subList(1, args.length));
      Map<String, ClassNode> both = new TreeMap<>(all);
      both.putAll(written);
      all = both;
    }
    Map<String, InnerClassNode> selfEntries = selfEntries(all);
    Set<String> local = localAndAnonymous(written, selfEntries);

    TreeMap<String, ClassNode> kept = new TreeMap<>();
    for (ClassNode node : written.values()) {
      if (!local.contains(node.name)) kept.put(node.name, node);
    }
    for (ClassNode node : kept.values()) strip(node, all);
    // javac's access constructors take an anonymous class as their extra parameter; no source can
    // call them.
    for (ClassNode node : kept.values()) {
      node.methods.removeIf(m -> (m.access & Opcodes.ACC_SYNTHETIC) != 0
          && Arrays.stream(Type.getArgumentTypes(m.desc)).anyMatch(
              t -> t.getSort() == Type.OBJECT && local.contains(t.getInternalName())));
    }

    for (ClassNode node : kept.values()) rebuildInnerClasses(node, kept, selfEntries);
    // A jar's classes may name those of the JDK, which the class library holds.
    if (written != all) {
      for (Map.Entry<String, ClassNode> jdk : all.entrySet()) {
        if (!written.containsKey(jdk.getKey())) known.add(jdk.getKey());
      }
    }

    // The set must be closed. With the JDK 17 modules read here it is, once private members, code and
    // the InnerClasses entries only code needed are gone: the only class of another module any of
    // their signatures names is java.util.prefs.Preferences, in private members of java.desktop,
    // and no kept signature names a local or anonymous class. A JDK whose kept API names classes
    // outside the four modules stops the build here, so that the choice is made anew, not by chance.
    List<String> missing = missingReferences(kept);
    if (!missing.isEmpty()) {
      System.err.println("MakeClassLibrary: the class set is not closed; " + missing.size()
          + " references to classes not in it, for example:");
      missing.stream().limit(20).forEach(m -> System.err.println("  " + m));
      System.exit(1);
    }

    Path out = Paths.get(args[0]);
    long size = writeZip(out, kept);
    System.out.println("MakeClassLibrary: " + kept.size() + " classes (" + local.size()
        + " local or anonymous dropped), " + size + " bytes in " + out);
  }

  // Every class of the modules, read without code, debug information or frames.
  static Map<String, ClassNode> readModules() throws IOException {
    FileSystem jrt = FileSystems.getFileSystem(URI.create("jrt:/"));
    List<Path> files = new ArrayList<>();
    for (String module : MODULES) {
      Path root = jrt.getPath("/modules", module);
      if (!Files.isDirectory(root)) {
        throw new IOException("module " + module + " is not in this JDK");
      }
      try (Stream<Path> walk = Files.walk(root)) {
        walk.filter(p -> {
          String name = p.getFileName() == null ? "" : p.getFileName().toString();
          return name.endsWith(".class") && !name.equals("module-info.class")
              && !name.equals("package-info.class");
        }).forEach(files::add);
      }
    }
    List<ClassNode> nodes = files.parallelStream().map(p -> {
      try {
        ClassNode node = new ClassNode();
        new ClassReader(Files.readAllBytes(p))
            .accept(node, ClassReader.SKIP_CODE | ClassReader.SKIP_DEBUG | ClassReader.SKIP_FRAMES);
        return node;
      } catch (IOException e) {
        throw new RuntimeException("cannot read " + p, e);
      }
    }).collect(Collectors.toList());
    TreeMap<String, ClassNode> byName = new TreeMap<>();
    for (ClassNode node : nodes) {
      if (byName.put(node.name, node) != null) {
        throw new IOException("class " + node.name + " twice");
      }
    }
    return byName;
  }

  // Every class of the jars, read as the modules are.
  static Map<String, ClassNode> readJars(List<String> jars) throws IOException {
    TreeMap<String, ClassNode> byName = new TreeMap<>();
    for (String jar : jars) {
      try (java.util.zip.ZipFile zip = new java.util.zip.ZipFile(jar)) {
        for (java.util.Enumeration<? extends ZipEntry> e = zip.entries(); e.hasMoreElements();) {
          ZipEntry entry = e.nextElement();
          String name = entry.getName();
          if (!name.endsWith(".class") || name.endsWith("module-info.class") || name.startsWith("META-INF/")) continue;
          ClassNode node = new ClassNode();
          new ClassReader(zip.getInputStream(entry).readAllBytes())
              .accept(node, ClassReader.SKIP_CODE | ClassReader.SKIP_DEBUG | ClassReader.SKIP_FRAMES);
          // The first jar that has a class gives it, as on a class path.
          byName.putIfAbsent(node.name, node);
        }
      }
    }
    return byName;
  }

  // Each nested class's own InnerClasses entry, the one that names it.
  static Map<String, InnerClassNode> selfEntries(Map<String, ClassNode> all) {
    Map<String, InnerClassNode> self = new HashMap<>();
    for (ClassNode node : all.values()) {
      for (InnerClassNode entry : node.innerClasses) {
        if (entry.name.equals(node.name)) self.put(node.name, entry);
      }
    }
    return self;
  }

  // Local and anonymous classes (an EnclosingMethod attribute, or an InnerClasses entry for the class
  // itself without an outer class), and every class nested in one of them: no other class can name
  // them. Private member classes stay, as package-private classes of their package may extend them.
  static Set<String> localAndAnonymous(Map<String, ClassNode> all, Map<String, InnerClassNode> self) {
    Set<String> local = new TreeSet<>();
    for (ClassNode node : all.values()) {
      String name = node.name;
      boolean isLocal = false;
      while (name != null) {
        ClassNode n = all.get(name);
        InnerClassNode entry = self.get(name);
        if ((n != null && n.outerClass != null) || (entry != null && entry.outerName == null)) {
          isLocal = true;
          break;
        }
        name = entry == null ? null : entry.outerName;
      }
      if (isLocal) local.add(node.name);
    }
    return local;
  }

  // Only the API a compiler sees: no private members, no class initializer, no static or private
  // interface methods, no bridges beside the method they stand for, no code and no attributes other
  // than ConstantValue, Exceptions, InnerClasses, Deprecated and Synthetic.
  static void strip(ClassNode node, Map<String, ClassNode> all) {
    boolean isInterface = (node.access & Opcodes.ACC_INTERFACE) != 0;
    node.version = Opcodes.V1_1;
    node.access &= CLASS_FLAGS | ATTRIBUTE_FLAGS;
    node.signature = null;
    node.sourceFile = null;
    node.sourceDebug = null;
    node.module = null;
    node.outerClass = null;
    node.outerMethod = null;
    node.outerMethodDesc = null;
    node.visibleAnnotations = null;
    node.invisibleAnnotations = null;
    node.visibleTypeAnnotations = null;
    node.invisibleTypeAnnotations = null;
    node.attrs = null;
    node.nestHostClass = null;
    node.nestMembers = null;
    node.permittedSubclasses = null;
    node.recordComponents = null;

    for (Iterator<FieldNode> it = node.fields.iterator(); it.hasNext();) {
      FieldNode field = it.next();
      if ((field.access & Opcodes.ACC_PRIVATE) != 0) {
        it.remove();
        continue;
      }
      field.access &= FIELD_FLAGS | ATTRIBUTE_FLAGS;
      field.signature = null;
      field.visibleAnnotations = null;
      field.invisibleAnnotations = null;
      field.visibleTypeAnnotations = null;
      field.invisibleTypeAnnotations = null;
      field.attrs = null;
      Object value = field.value;
      if (value != null && !(value instanceof Integer || value instanceof Long
          || value instanceof Float || value instanceof Double || value instanceof String)) {
        throw new IllegalStateException(node.name + "." + field.name + ": constant " + value);
      }
    }

    // The parameter lists of the real methods, by name: a bridge with one of them only differs in
    // its return type, which a Java 1.1 compiler would take for two methods of one signature.
    Set<String> realMethods = new HashSet<>();
    for (MethodNode method : node.methods) {
      if ((method.access & (Opcodes.ACC_BRIDGE | Opcodes.ACC_PRIVATE)) == 0) {
        realMethods.add(method.name + parameters(method.desc));
      }
    }
    Map<String, List<MethodNode>> keptBridges = new TreeMap<>();
    for (Iterator<MethodNode> it = node.methods.iterator(); it.hasNext();) {
      MethodNode method = it.next();
      boolean isStatic = (method.access & Opcodes.ACC_STATIC) != 0;
      boolean isBridge = (method.access & Opcodes.ACC_BRIDGE) != 0;
      if ((method.access & Opcodes.ACC_PRIVATE) != 0 || method.name.equals("<clinit>")
          || (isInterface && isStatic)
          || (isBridge && realMethods.contains(method.name + parameters(method.desc)))) {
        it.remove();
        continue;
      }
      if (isBridge) {
        // A bridge without a real method of its parameters (the erased form of an inherited
        // generic method) is an ordinary method to a Java 1.1 compiler.
        method.access &= ~(Opcodes.ACC_BRIDGE | Opcodes.ACC_SYNTHETIC);
        keptBridges.computeIfAbsent(method.name + parameters(method.desc), k -> new ArrayList<>())
            .add(method);
      }
      // A default method stays what it is, a public method of the interface that is not abstract.
      method.access &= METHOD_FLAGS | ATTRIBUTE_FLAGS;
      method.signature = null;
      method.parameters = null;
      method.visibleAnnotations = null;
      method.invisibleAnnotations = null;
      method.visibleTypeAnnotations = null;
      method.invisibleTypeAnnotations = null;
      method.visibleParameterAnnotations = null;
      method.invisibleParameterAnnotations = null;
      method.visibleAnnotableParameterCount = 0;
      method.invisibleAnnotableParameterCount = 0;
      method.annotationDefault = null;
      method.attrs = null;
      method.instructions.clear();
      method.tryCatchBlocks = null;
      method.localVariables = null;
      method.visibleLocalVariableAnnotations = null;
      method.invisibleLocalVariableAnnotations = null;
    }

    // Bridges of one parameter list that differ in their return types (a class that inherits a
    // generic method and implements interfaces that narrow its result): only the one whose return
    // type is a subtype of all the others' stays, the method a Java 1.1 compiler should see.
    for (List<MethodNode> bridges : keptBridges.values()) {
      if (bridges.size() < 2) continue;
      MethodNode best = null;
      for (MethodNode candidate : bridges) {
        boolean narrowest = true;
        for (MethodNode other : bridges) {
          narrowest &= isSubtype(Type.getReturnType(candidate.desc),
              Type.getReturnType(other.desc), all);
        }
        if (narrowest) best = candidate;
      }
      if (best == null) {
        throw new IllegalStateException(node.name + ": bridges without a narrowest return type: "
            + bridges.stream().map(m -> m.name + m.desc).collect(Collectors.joining(", ")));
      }
      for (MethodNode bridge : bridges) {
        if (bridge != best) node.methods.remove(bridge);
      }
    }
  }

  // Whether a value of type a is one of type b, by the classes read.
  static boolean isSubtype(Type a, Type b, Map<String, ClassNode> all) {
    if (a.equals(b) || b.getDescriptor().equals("Ljava/lang/Object;")) return true;
    if (a.getSort() != Type.OBJECT || b.getSort() != Type.OBJECT) return false;
    List<String> work = new ArrayList<>(List.of(a.getInternalName()));
    Set<String> seen = new HashSet<>();
    while (!work.isEmpty()) {
      String name = work.remove(work.size() - 1);
      if (name.equals(b.getInternalName())) return true;
      ClassNode node = all.get(name);
      if (node == null || !seen.add(name)) continue;
      if (node.superName != null) work.add(node.superName);
      work.addAll(node.interfaces);
    }
    return false;
  }

  static String parameters(String desc) {
    return desc.substring(0, desc.indexOf(')') + 1);
  }

  // The InnerClasses attribute anew: an entry for every nested class the class file names (itself,
  // its member classes, the classes of its signatures) and for each of their enclosing classes,
  // none for the classes only its code used. Kept in the order of the original attribute.
  static void rebuildInnerClasses(ClassNode node, Map<String, ClassNode> kept,
      Map<String, InnerClassNode> selfEntries) {
    Set<String> named = new LinkedHashSet<>(namesIn(node, false));
    for (InnerClassNode entry : node.innerClasses) {
      if (node.name.equals(entry.outerName) && kept.containsKey(entry.name)) named.add(entry.name);
    }
    Set<String> needed = new HashSet<>();
    List<String> work = new ArrayList<>(named);
    while (!work.isEmpty()) {
      String name = work.remove(work.size() - 1);
      InnerClassNode entry = selfEntries.get(name);
      if (entry != null && needed.add(name)) work.add(entry.outerName);
    }
    List<InnerClassNode> entries = new ArrayList<>();
    Set<String> done = new HashSet<>();
    for (InnerClassNode entry : node.innerClasses) {
      if (needed.contains(entry.name) && done.add(entry.name)) entries.add(entry);
    }
    for (String name : new TreeSet<>(needed)) {
      if (done.add(name)) entries.add(selfEntries.get(name));
    }
    List<InnerClassNode> out = new ArrayList<>();
    for (InnerClassNode entry : entries) {
      // The entry as its class states it, with the flags a version 45 reader knows.
      InnerClassNode self = selfEntries.getOrDefault(entry.name, entry);
      out.add(new InnerClassNode(self.name, self.outerName, self.innerName,
          self.access & INNER_FLAGS));
    }
    node.innerClasses = out;
  }

  // The class names a stripped class uses: its superclass and interfaces, the classes of its
  // fields' and methods' types and throws lists and, when asked, those of its InnerClasses entries.
  static Set<String> namesIn(ClassNode node, boolean withInnerClasses) {
    Set<String> names = new LinkedHashSet<>();
    names.add(node.name);
    if (node.superName != null) names.add(node.superName);
    names.addAll(node.interfaces);
    for (FieldNode field : node.fields) addType(names, Type.getType(field.desc));
    for (MethodNode method : node.methods) {
      Type type = Type.getMethodType(method.desc);
      addType(names, type.getReturnType());
      for (Type argument : type.getArgumentTypes()) addType(names, argument);
      if (method.exceptions != null) names.addAll(method.exceptions);
    }
    if (withInnerClasses) {
      for (InnerClassNode entry : node.innerClasses) {
        names.add(entry.name);
        if (entry.outerName != null) names.add(entry.outerName);
      }
    }
    return names;
  }

  static void addType(Set<String> names, Type type) {
    if (type.getSort() == Type.ARRAY) type = type.getElementType();
    if (type.getSort() == Type.OBJECT) names.add(type.getInternalName());
  }

  // Classes outside the written set that it may name.
  static final Set<String> known = new HashSet<>();

  static List<String> missingReferences(Map<String, ClassNode> kept) {
    List<String> missing = new ArrayList<>();
    for (ClassNode node : kept.values()) {
      for (String name : namesIn(node, true)) {
        if (!kept.containsKey(name) && !known.contains(name))
          missing.add(node.name + " -> " + name + whereUsed(node, name));
      }
    }
    return missing;
  }

  // Where a class uses a name, for the messages.
  static String whereUsed(ClassNode node, String name) {
    if (name.equals(node.superName)) return " (superclass)";
    if (node.interfaces.contains(name)) return " (interface)";
    Set<String> one = new HashSet<>();
    for (FieldNode field : node.fields) {
      one.clear();
      addType(one, Type.getType(field.desc));
      if (one.contains(name)) return " (field " + field.name + ")";
    }
    for (MethodNode method : node.methods) {
      one.clear();
      Type type = Type.getMethodType(method.desc);
      addType(one, type.getReturnType());
      for (Type argument : type.getArgumentTypes()) addType(one, argument);
      if (method.exceptions != null) one.addAll(method.exceptions);
      if (one.contains(name)) return " (method " + method.name + method.desc + ")";
    }
    return " (InnerClasses)";
  }

  // The zip: entries sorted by name, each stored (the compiler reads a stored class file where it
  // lies in the mapped archive), with one fixed time, no data descriptors, no directory entries and
  // no extra fields.
  static long writeZip(Path out, TreeMap<String, ClassNode> kept) throws IOException {
    Path temp = out.resolveSibling(out.getFileName() + ".tmp");
    try (OutputStream file = Files.newOutputStream(temp);
        ZipOutputStream zip = new ZipOutputStream(new BufferedOutputStream(file, 1 << 16),
            StandardCharsets.US_ASCII)) {
      zip.setMethod(ZipOutputStream.STORED);
      // By entry name, which is not the order of the class names: "A$B.class" comes before "A.class".
      TreeMap<String, ClassNode> byEntry = new TreeMap<>();
      for (ClassNode node : kept.values()) byEntry.put(node.name + ".class", node);
      for (ClassNode node : byEntry.values()) {
        ClassWriter writer = new ClassWriter(0);
        node.accept(writer);
        byte[] bytes = writer.toByteArray();
        CRC32 crc = new CRC32();
        crc.update(bytes);

        // Names in ASCII, so that the zip needs no UTF-8 flag; the JDK has no other class names.
        String name = node.name + ".class";
        if (!StandardCharsets.US_ASCII.newEncoder().canEncode(name)) {
          throw new IOException("class name not in ASCII: " + name);
        }
        ZipEntry entry = new ZipEntry(name);
        entry.setTimeLocal(ENTRY_TIME);
        entry.setMethod(ZipEntry.STORED);
        entry.setSize(bytes.length);
        entry.setCompressedSize(bytes.length);
        entry.setCrc(crc.getValue());
        zip.putNextEntry(entry);
        zip.write(bytes);
        zip.closeEntry();
      }
    }
    Files.move(temp, out, StandardCopyOption.REPLACE_EXISTING);
    return Files.size(out);
  }
}
