// Nested classes of every kind: a member interface, static and inner member classes, an abstract
// class and its final subclass, a local class and an anonymous class; private members reached
// from the nested classes, declared exceptions, and a deprecated method.
import java.io.IOException;

public class Nesting {
    private int secret = 7;
    private static String label = "nest";

    interface Visitor {
        void visit(int value) throws IOException;
    }

    static class Counter implements Visitor {
        int count;

        public void visit(int value) {
            count += value;
        }
    }

    class Inner {
        int peek() {
            return secret + label.length();
        }
    }

    protected abstract static class Shape {
        abstract double area();
    }

    private static final class Square extends Shape {
        final double side;

        Square(double side) {
            this.side = side;
        }

        double area() {
            return side * side;
        }
    }

    static class Failure extends Exception {
        Failure(String message) {
            super(message);
        }
    }

    /** @deprecated kept for old callers. */
    int old() {
        return secret;
    }

    int run(final int base) throws IOException, Failure {
        class Local implements Visitor {
            int seen;

            public void visit(int value) {
                seen = value + base;
            }
        }
        Local local = new Local();
        Visitor anonymous = new Visitor() {
            public void visit(int value) throws IOException {
                if (value < 0) throw new IOException("negative");
                secret = value;
            }
        };
        local.visit(base);
        anonymous.visit(base);
        Shape shape = new Square(base);
        if (shape.area() > 1000) throw new Failure("too big");
        return local.seen + new Inner().peek() + (int) shape.area();
    }
}
