// Checks classes.zip on every build, with its own class-file reader and nothing shared with the
// generator: each entry a version 45.3 class file with only the flags, constant pool tags and
// attributes a Java 1.1 compiler reads, no private members and no class initializers, the entries
// sorted, and every class that a class file names present in the zip.

import java.io.ByteArrayInputStream;
import java.io.DataInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.util.ArrayList;
import java.util.Enumeration;
import java.util.HashSet;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.zip.ZipEntry;
import java.util.zip.ZipFile;

public final class CheckClassLibrary {
  static final int CLASS_FLAGS = 0x0631;
  static final int FIELD_FLAGS = 0x00DF;
  static final int METHOD_FLAGS = 0x1D3F;
  static final int INNER_FLAGS = 0x061F;
  static final int ACC_PRIVATE = 0x0002;
  static final Set<Integer> TAGS = Set.of(1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
  static final Set<String> CLASS_ATTRIBUTES = Set.of("InnerClasses", "Deprecated", "Synthetic");
  static final Set<String> FIELD_ATTRIBUTES = Set.of("ConstantValue", "Deprecated", "Synthetic");
  static final Set<String> METHOD_ATTRIBUTES = Set.of("Exceptions", "Deprecated", "Synthetic");

  // Violations by kind, in the order of the checks; each kind keeps a count and a few examples.
  static final Map<String, List<String>> problems = new LinkedHashMap<>();
  static final Map<String, Integer> counts = new LinkedHashMap<>();

  static void problem(String kind, String example) {
    counts.merge(kind, 1, Integer::sum);
    List<String> examples = problems.computeIfAbsent(kind, k -> new ArrayList<>());
    if (examples.size() < 5) examples.add(example);
  }

  public static void main(String[] args) throws IOException {
    if (args.length != 1) {
      System.err.println("usage: java CheckClassLibrary classes.zip");
      System.exit(2);
    }
    Set<String> present = new HashSet<>();
    Map<String, Set<String>> references = new LinkedHashMap<>();
    long bytes = 0;
    int classes = 0;
    try (ZipFile zip = new ZipFile(args[0])) {
      String previous = null;
      for (Enumeration<? extends ZipEntry> e = zip.entries(); e.hasMoreElements();) {
        ZipEntry entry = e.nextElement();
        String name = entry.getName();
        if (previous != null && previous.compareTo(name) >= 0) {
          problem("zip entries not sorted by name", previous + " before " + name);
        }
        previous = name;
        if (!name.endsWith(".class") || entry.isDirectory()) {
          problem("zip entry that is not a class file", name);
          continue;
        }
        if (entry.getMethod() != ZipEntry.STORED) problem("zip entry not stored", name);
        byte[] data;
        try (InputStream in = zip.getInputStream(entry)) {
          data = in.readAllBytes();
        }
        bytes += data.length;
        classes++;
        String className = name.substring(0, name.length() - ".class".length());
        present.add(className);
        try {
          ClassFile file = new ClassFile(name, data);
          if (!file.thisClass.equals(className)) {
            problem("class file under another class's name", name + " holds " + file.thisClass);
          }
          references.put(className, file.names);
        } catch (IOException | RuntimeException ex) {
          problem("class file that cannot be read", name + ": " + ex);
        }
      }
    }
    for (Map.Entry<String, Set<String>> entry : references.entrySet()) {
      for (String name : entry.getValue()) {
        if (!present.contains(name)) {
          problem("class named but not in the zip", entry.getKey() + " names " + name);
        }
      }
    }
    if (!problems.isEmpty()) {
      System.err.println("CheckClassLibrary: " + args[0] + " is not a valid class library:");
      for (Map.Entry<String, List<String>> kind : problems.entrySet()) {
        System.err.println("  " + kind.getKey() + " (" + counts.get(kind.getKey()) + "), e.g.:");
        for (String example : kind.getValue()) System.err.println("    " + example);
      }
      System.exit(1);
    }
    System.out.println("CheckClassLibrary: " + args[0] + " is valid: " + classes + " classes, "
        + bytes + " bytes of class files");
  }

  // One class file, read and checked as it is read. Collects the class names it uses: those of its
  // Class constants (array classes by their element class) and of every descriptor it holds.
  static final class ClassFile {
    final String entry;
    final DataInputStream in;
    int[] tags;
    Object[] values;       // Utf8 text, or for Class, String, NameAndType: the indices
    String thisClass;
    final Set<String> names = new HashSet<>();

    ClassFile(String entry, byte[] data) throws IOException {
      this.entry = entry;
      this.in = new DataInputStream(new ByteArrayInputStream(data));
      if (in.readInt() != 0xCAFEBABE) throw new IOException("no class file magic");
      int minor = in.readUnsignedShort();
      int major = in.readUnsignedShort();
      if (major != 45 || minor != 3) {
        problem("class file version not 45.3", entry + " " + major + "." + minor);
      }
      readPool();
      int access = in.readUnsignedShort();
      if ((access & ~CLASS_FLAGS) != 0) {
        problem("class flags outside 0x0631", entry + " " + hex(access));
      }
      thisClass = className(in.readUnsignedShort());
      int superIndex = in.readUnsignedShort();
      if (superIndex != 0) className(superIndex);
      int interfaces = in.readUnsignedShort();
      for (int i = 0; i < interfaces; i++) className(in.readUnsignedShort());
      int fields = in.readUnsignedShort();
      for (int i = 0; i < fields; i++) readMember(false);
      int methods = in.readUnsignedShort();
      for (int i = 0; i < methods; i++) readMember(true);
      readAttributes("class", entry, CLASS_ATTRIBUTES);
      if (in.read() != -1) throw new IOException("bytes after the class file's end");

      for (int i = 1; i < tags.length; i++) {
        if (tags[i] == 7) addClassName(utf8(((int[]) values[i])[0]));
        if (tags[i] == 12) addDescriptor(utf8(((int[]) values[i])[1]));
      }
    }

    void readPool() throws IOException {
      int count = in.readUnsignedShort();
      tags = new int[count];
      values = new Object[count];
      for (int i = 1; i < count; i++) {
        int tag = in.readUnsignedByte();
        tags[i] = tag;
        if (!TAGS.contains(tag)) {
          problem("constant pool tag outside 1, 3-12", entry + " #" + i + " tag " + tag);
        }
        switch (tag) {
          case 1: values[i] = in.readUTF(); break;
          case 3: case 4: in.readInt(); break;
          case 5: case 6: in.readLong(); i++; break;
          case 7: case 8: case 16: case 19: case 20:
            values[i] = new int[] {in.readUnsignedShort()};
            break;
          case 9: case 10: case 11: case 12: case 17: case 18:
            values[i] = new int[] {in.readUnsignedShort(), in.readUnsignedShort()};
            break;
          case 15: in.readUnsignedByte(); in.readUnsignedShort(); break;
          default: throw new IOException("unknown constant pool tag " + tag + " at #" + i);
        }
      }
    }

    void readMember(boolean method) throws IOException {
      int access = in.readUnsignedShort();
      String name = utf8(in.readUnsignedShort());
      String descriptor = utf8(in.readUnsignedShort());
      String where = entry + " " + name + descriptor;
      if (method) {
        if ((access & ~METHOD_FLAGS) != 0) {
          problem("method flags outside 0x1D3F", where + " " + hex(access));
        }
        if (name.equals("<clinit>")) problem("class initializer", where);
      } else if ((access & ~FIELD_FLAGS) != 0) {
        problem("field flags outside 0x00DF", where + " " + hex(access));
      }
      if ((access & ACC_PRIVATE) != 0) problem("private member", where);
      addDescriptor(descriptor);
      if (method) readAttributes("method", where, METHOD_ATTRIBUTES);
      else readAttributes("field", where, FIELD_ATTRIBUTES);
    }

    void readAttributes(String level, String where, Set<String> allowed) throws IOException {
      int count = in.readUnsignedShort();
      for (int i = 0; i < count; i++) {
        String name = utf8(in.readUnsignedShort());
        int length = in.readInt();
        if (!allowed.contains(name)) {
          problem("attribute a " + level + " may not have", where + " " + name);
          in.skipNBytes(length);
          continue;
        }
        int expected;
        switch (name) {
          case "ConstantValue": {
            int index = in.readUnsignedShort();
            int tag = index > 0 && index < tags.length ? tags[index] : 0;
            if (tag < 3 || tag > 8 || tag == 7) {
              problem("ConstantValue not a constant", where + " #" + index);
            }
            expected = 2;
            break;
          }
          case "Exceptions": {
            int n = in.readUnsignedShort();
            for (int k = 0; k < n; k++) className(in.readUnsignedShort());
            expected = 2 + 2 * n;
            break;
          }
          case "InnerClasses": {
            int n = in.readUnsignedShort();
            for (int k = 0; k < n; k++) {
              int inner = in.readUnsignedShort();
              int outer = in.readUnsignedShort();
              in.readUnsignedShort();  // simple name, none for an anonymous class
              int flags = in.readUnsignedShort();
              String innerName = className(inner);
              if (outer != 0) className(outer);
              if ((flags & ~INNER_FLAGS) != 0) {
                problem("inner class flags outside 0x061F",
                    where + " " + innerName + " " + hex(flags));
              }
            }
            expected = 2 + 8 * n;
            break;
          }
          default:
            expected = 0;
        }
        if (length != expected) problem("attribute of a wrong length", where + " " + name);
      }
    }

    String utf8(int index) throws IOException {
      if (index <= 0 || index >= tags.length || tags[index] != 1) {
        throw new IOException("constant #" + index + " is not a Utf8 constant");
      }
      return (String) values[index];
    }

    String className(int index) throws IOException {
      if (index <= 0 || index >= tags.length || tags[index] != 7) {
        throw new IOException("constant #" + index + " is not a Class constant");
      }
      return utf8(((int[]) values[index])[0]);
    }

    // A Class constant's name: a class, or an array descriptor.
    void addClassName(String name) {
      if (name.startsWith("[")) addDescriptor(name);
      else names.add(name);
    }

    // Every class in a field or method descriptor; primitive types name none.
    void addDescriptor(String descriptor) {
      for (int i = 0; i < descriptor.length(); i++) {
        if (descriptor.charAt(i) == 'L') {
          int end = descriptor.indexOf(';', i);
          if (end < 0) {
            problem("malformed descriptor", entry + " " + descriptor);
            return;
          }
          names.add(descriptor.substring(i + 1, end));
          i = end;
        }
      }
    }
  }

  static String hex(int value) {
    return String.format("0x%04X", value);
  }
}
