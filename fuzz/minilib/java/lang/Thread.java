package java.lang;

public class Thread implements Runnable {
    public Thread() {}
    public Thread(Runnable r) {}
    public void run() {}
    public void start() {}
    public static boolean holdsLock(Object o) { return false; }
    public static void sleep(long ms) throws InterruptedException {}
}
