package Ardelune.demo;

import java.math.BigDecimal;
import java.math.RoundingMode;

/** Byte counts as people read them: GiB from one GiB up, then MiB, KiB, and bytes under one KiB. */
final class Sizes {
    private static final BigDecimal KIB = BigDecimal.valueOf(1L << 10);
    private static final BigDecimal MIB = BigDecimal.valueOf(1L << 20);
    private static final BigDecimal GIB = BigDecimal.valueOf(1L << 30);

    private Sizes() {}

    /** {@code bytes} is unsigned: the wire carries 64-bit unsigned counts. */
    static String format(long bytes) {
        BigDecimal value = new BigDecimal(Long.toUnsignedString(bytes));
        if (value.compareTo(GIB) >= 0) return scaled(value, GIB) + " GiB";
        if (value.compareTo(MIB) >= 0) return scaled(value, MIB) + " MiB";
        if (value.compareTo(KIB) >= 0) return scaled(value, KIB) + " KiB";
        return value + " bytes";
    }

    private static String scaled(BigDecimal value, BigDecimal unit) {
        return value.divide(unit, 1, RoundingMode.HALF_UP).stripTrailingZeros().toPlainString();
    }
}
