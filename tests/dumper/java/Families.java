// Every family of instructions that a Java 1.1 compiler writes: constants, loads and stores of each
// type, array elements, stack shuffles, arithmetic, shifts and logic, conversions, comparisons,
// branches, both switches, returns, fields, calls, object and array creation, type checks, monitors
// and exceptions. Every value is used, so that the compiler keeps each instruction.
public class Families implements Runnable {
    static int counter;
    static long total;
    static final int LIMIT = 40000;
    static final long BIG = 1234567890123L;
    static final float HALF = 0.5f;
    static final double THIRD = 1.0 / 3.0;
    static final String TEXT = " h\u00e9llo\tw\u20acrld\u0001 \uD834\uDD1E\u0000\"'\\";
    static final char LETTER = 'Q';
    static final boolean FLAG = true;
    int value;
    long wide;
    float scale = 1.25f;
    double ratio = -2.5e-300;
    Object ref;
    transient volatile int seen;

    static String constants() {
        Object nothing = null;
        int m1 = -1, i0 = 0, i1 = 1, i2 = 2, i3 = 3, i4 = 4, i5 = 5;
        int b = 100, s = 30000, big = 1000000;
        long l0 = 0L, l1 = 1L, lbig = BIG + 1;
        float f0 = 0f, f1 = 1f, f2 = 2f, fbig = 3.5f, tiny = Float.MIN_VALUE, nan = Float.NaN;
        double d0 = 0.0, d1 = 1.0, dbig = 2.75, dinf = Double.NEGATIVE_INFINITY;
        return "" + nothing + m1 + i0 + i1 + i2 + i3 + i4 + i5 + b + s + big + l0 + l1 + lbig + f0 + f1 + f2
            + fbig + tiny + nan + d0 + d1 + dbig + dinf + TEXT;
    }

    static double locals(int a, long b, float c, double d, Object e) {
        int a2 = a;
        long b2 = b;
        float c2 = c;
        double d2 = d;
        Object e2 = e;
        int x = a2 + 1;
        long y = b2 + 1;
        float z = c2 + 1;
        double w = d2 + 1;
        Object v = e2;
        return x + y + z + w + (v == null ? 0 : 1);
    }

    // Parameters laid out so that every type is loaded and stored through each of slots 0 to 3.
    static double slotsA(long a, float b, float c, long d) {
        a += 1; b += 1; c += 1;
        return a + b + c + d;
    }

    static double slotsB(float a, long b, double c) {
        a += 1; b += 1; c += 1;
        return a + b + c;
    }

    static double slotsC(double a, float b, long c) {
        a += 1; b += 1; c += 1;
        return a + b + c;
    }

    static double slotsD(int i, float a, double b) {
        i = i * 3; a += 1; b += 1;
        return i + a + b;
    }

    static double slotsE(int i, double a, long b) {
        a += 1; b += 1;
        return i + a + b;
    }

    static double slotsF(int i, int j, long b, float f) {
        b += 1; f += 1;
        return i + j + b + f;
    }

    static double slotsG(int i, int j, double d) {
        d += 1;
        return i + j + d;
    }

    static long arrays(int n) {
        int[] ia = new int[n];
        long[] la = new long[n];
        float[] fa = new float[n];
        double[] da = new double[n];
        Object[] oa = new Object[n];
        byte[] ba = new byte[n];
        char[] ca = new char[n];
        short[] sa = new short[n];
        boolean[] za = new boolean[n];
        int[][] grid = new int[n][n];
        ia[0] = 1;
        la[0] = 2;
        fa[0] = 3;
        da[0] = 4;
        oa[0] = ia;
        ba[0] = 5;
        ca[0] = 'c';
        sa[0] = 6;
        za[0] = true;
        grid[0][0] = 7;
        return ia[0] + la[0] + (long) fa[0] + (long) da[0] + (oa[0] == null ? 0 : 1) + ba[0] + ca[0] + sa[0]
            + (za[0] ? 1 : 0) + grid[0][0] + grid.length;
    }

    long shuffles(int[] ia, long[] la, int i, long l) {
        Integer.toString(i);
        Long.toString(l).hashCode();
        System.currentTimeMillis();
        int a = this.value = i;
        int b = ia[i] = i;
        long c = total = l;
        long d = this.wide = l;
        long e = la[i] = l;
        this.value++;
        this.wide++;
        la[i]++;
        return a + b + c + d + e;
    }

    static double arithmetic(int i, int j, long k, long m, float f, float g, double d, double e) {
        int ir = i + j - i * j / (j | 1) % 7 + -i;
        ir = (ir << 3) >> 1 >>> 2 & 0xff | j ^ 0x55;
        long lr = k + m - k * m / (m | 1) % 7 + -k;
        lr = (lr << 3) >> 1 >>> 2 & 0xffL | m ^ 0x55L;
        float fr = f + g - f * g / g % 3 + -f;
        double dr = d + e - d * e / e % 3 + -d;
        i += 5;
        i -= 130;
        return ir + lr + fr + dr + i;
    }

    static String conversions(int i, long l, float f, double d) {
        long il = i;
        float iff = i;
        double id = i;
        int li = (int) l;
        float lf = l;
        double ld = l;
        int fi = (int) f;
        long fl = (long) f;
        double fd = f;
        int di = (int) d;
        long dl = (long) d;
        float df = (float) d;
        byte b = (byte) i;
        char c = (char) i;
        short s = (short) i;
        return "" + il + iff + id + li + lf + ld + fi + fl + fd + di + dl + df + b + c + s;
    }

    static int comparisons(int i, int j, long k, long m, float f, float g, double d, double e, Object a, Object b) {
        int r = 0;
        if (i == 0) r++;
        if (i != 0) r++;
        if (i < 0) r++;
        if (i >= 0) r++;
        if (i > 0) r++;
        if (i <= 0) r++;
        if (i == j) r++;
        if (i != j) r++;
        if (i < j) r++;
        if (i >= j) r++;
        if (i > j) r++;
        if (i <= j) r++;
        if (k < m) r++;
        if (f < g) r++;
        if (f > g) r++;
        if (d < e) r++;
        if (d > e) r++;
        if (a == b) r++;
        if (a != b) r++;
        if (a == null) r++;
        if (a != null) r++;
        while (r < 100) r += 7;
        do { r--; } while (r > 50);
        return r;
    }

    static int dense(int i) {
        switch (i) {
            case 1: return 10;
            case 2: return 20;
            case 3: return 30;
            case 5: return 50;
            default: return -1;
        }
    }

    static int sparse(int i) {
        switch (i) {
            case -1000000: return 1;
            case 7: return 2;
            case 40000: return 3;
            default: return 0;
        }
    }

    boolean isTrue() { return FLAG; }
    long getLong() { return wide; }
    float getFloat() { return scale; }
    double getDouble() { return ratio; }
    Object getRef() { return ref; }
    private int hidden() { return value; }

    public void run() {
        counter = counter + hidden();
        Runnable r = this;
        if (r instanceof Families) {
            Families f = (Families) r;
            f.value = f.value + 1;
        }
        synchronized (this) {
            seen++;
        }
    }

    static int exceptions(String text) throws Exception {
        int result = 0;
        try {
            result = Integer.parseInt(text);
        } catch (NumberFormatException e) {
            result = -1;
        } catch (RuntimeException e) {
            throw new Exception(e.getMessage());
        } finally {
            counter++;
        }
        return result;
    }
}
