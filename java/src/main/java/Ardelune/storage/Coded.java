package Ardelune.storage;

import java.util.EnumSet;

/** A VDS enumeration value or flag bit as a Java enum constant that knows its number. */
interface Coded {
    /** The number VDS uses for this constant (for a flag, its bit). */
    int code();

    /** The constant numbered {@code code}, or {@code unknown} for a number this client has no name for. */
    static <E extends Enum<E> & Coded> E of(Class<E> type, int code, E unknown) {
        for (E e : type.getEnumConstants()) {
            if (e != unknown && e.code() == code) return e;
        }
        return unknown;
    }

    /** The flags whose bits {@code bits} has set; bits without a name are dropped. */
    static <E extends Enum<E> & Coded> EnumSet<E> flags(Class<E> type, int bits) {
        EnumSet<E> set = EnumSet.noneOf(type);
        for (E e : type.getEnumConstants()) {
            if (e.code() != 0 && (bits & e.code()) == e.code()) set.add(e);
        }
        return set;
    }

    /** The bits of {@code flags}. */
    static int bits(Iterable<? extends Coded> flags) {
        int bits = 0;
        for (Coded f : flags) bits |= f.code();
        return bits;
    }
}
