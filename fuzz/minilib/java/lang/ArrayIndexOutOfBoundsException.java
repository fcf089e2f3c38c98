package java.lang;

public class ArrayIndexOutOfBoundsException extends RuntimeException {
    public ArrayIndexOutOfBoundsException() {}
    public ArrayIndexOutOfBoundsException(String s) {}
}
