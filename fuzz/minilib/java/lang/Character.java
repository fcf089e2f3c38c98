package java.lang;

public final class Character {
    public static final char MIN_VALUE = 0;
    public static final char MAX_VALUE = 0xffff;
}
