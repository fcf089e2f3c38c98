package java.lang;

// A small java.lang for fuzzing: enough for the compiler's well-known classes and members and for
// the programs of the tests that print what they compute.
public class Object {
    public Object() {}
    public final Class getClass() { return null; }
    public String toString() { return null; }
    public boolean equals(Object o) { return false; }
    public int hashCode() { return 0; }
    protected Object clone() throws CloneNotSupportedException { return null; }
    public final void notify() {}
    public final void wait() throws InterruptedException {}
}
