// The sample whose -l and -s listings are kept as expected text: loops, a switch and try/finally.
public class Sample {
    static int total;

    static int sum(int[] values) {
        int sum = 0;
        for (int i = 0; i < values.length; i++) {
            sum += values[i];
        }
        return sum;
    }

    static String name(int day) {
        switch (day) {
            case 0: return "sun";
            case 1: return "mon";
            case 2: return "tue";
            default: return "?";
        }
    }

    static void count(int limit) {
        int n = 0;
        try {
            while (n < limit) {
                n++;
            }
        } finally {
            total += n;
        }
    }
}
