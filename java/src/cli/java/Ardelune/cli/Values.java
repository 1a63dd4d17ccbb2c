package Ardelune.cli;

import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Set;
import java.util.UUID;
import java.util.function.ToIntFunction;
import java.util.stream.Collectors;

/**
 * The values that fields hold besides texts, numbers and truth values, and
 * how each is shown: as text for people, and as JSON in the topology
 * format's own forms (sizes in binary units, identifiers in capitals, the
 * names the format takes for types and styles).
 */
final class Values {
    private Values() {}

    /** A count of bytes, unsigned. */
    record Size(long bytes) {}

    /**
     * A number with a name: {@code text} for people, and {@code topologyName}
     * in JSON where the topology format takes a name for it (else the number).
     */
    record Named(int code, String text, String topologyName) {}

    /** Flag bits and the names of those set; bits without a name are shown in hexadecimal. */
    record Flags(int bits, List<String> names) {}

    /** A number named by a client enum constant; an unnamed number keeps its digits. */
    static Named named(int code, Enum<?> constant) {
        return new Named(code, label(code, constant), null);
    }

    /** As {@link #named}, and written by name in JSON as the topology format takes it. */
    static Named topologyNamed(int code, Enum<?> constant) {
        boolean unnamed = constant.name().equals("UNKNOWN") && code != 0;
        return new Named(code, label(code, constant), unnamed ? null : constant.name().toLowerCase(Locale.ROOT));
    }

    private static String label(int code, Enum<?> constant) {
        if (constant.name().equals("UNKNOWN") && code != 0) return Integer.toString(code);
        return constant.name().toLowerCase(Locale.ROOT).replace('_', '-');
    }

    /** The flags {@code bits} holds, named by the client's set of them; {@code code} gives each constant's bit. */
    static <E extends Enum<E>> Flags flags(int bits, Set<E> set, ToIntFunction<E> code) {
        List<String> names = new ArrayList<>();
        int rest = bits;
        for (E e : set) {
            names.add(e.name().toLowerCase(Locale.ROOT).replace('_', '-'));
            rest &= ~code.applyAsInt(e);
        }
        if (rest != 0) names.add(String.format("0x%X", rest));
        return new Flags(bits, names);
    }

    /** How values are written: {@code bytes} writes sizes as plain counts of bytes. */
    record Format(boolean bytes) {
        String text(Object value) {
            if (value == null) return "-";
            if (value instanceof Size s) return bytes ? Long.toUnsignedString(s.bytes()) : binaryUnits(s.bytes());
            if (value instanceof Named n) return n.text();
            if (value instanceof Flags f) return flagsText(f);
            if (value instanceof UUID id) return id(id);
            if (value instanceof Long l) return Long.toUnsignedString(l);
            if (value instanceof List<?> list) {
                return list.isEmpty() ? "-" : list.stream().map(this::text).collect(Collectors.joining(", "));
            }
            if (value instanceof Map<?, ?> map) {
                return map.entrySet().stream().map(e -> e.getKey() + "=" + text(e.getValue()))
                    .collect(Collectors.joining(" "));
            }
            return value.toString();
        }

        Object json(Object value) {
            if (value instanceof Size s) {
                return bytes ? new Json.Digits(Long.toUnsignedString(s.bytes())) : topologyBytes(s.bytes());
            }
            if (value instanceof Named n) return n.topologyName() != null ? n.topologyName() : n.code();
            if (value instanceof Flags f) return f.bits() & 0xFFFFFFFFL;
            if (value instanceof UUID id) return id(id);
            if (value instanceof Long l) return new Json.Digits(Long.toUnsignedString(l));
            if (value instanceof Character c) return c.toString();
            if (value instanceof List<?> list) {
                List<Object> out = new ArrayList<>();
                for (Object o : list) out.add(json(o));
                return out;
            }
            if (value instanceof Map<?, ?> map) {
                Map<String, Object> out = new LinkedHashMap<>();
                map.forEach((k, v) -> out.put(k.toString(), json(v)));
                return out;
            }
            return value;
        }
    }

    static String id(UUID id) {
        return id.toString().toUpperCase(Locale.ROOT);
    }

    private static String flagsText(Flags f) {
        return f.bits() == 0 ? "0" : String.join(",", f.names());
    }

    private static final String[] UNITS = {"TiB", "GiB", "MiB", "KiB"};
    private static final int[] SHIFTS = {40, 30, 20, 10};

    /** The topology format's form: the largest binary unit that divides the count, else the count alone. */
    static Object topologyBytes(long n) {
        String text = binaryUnits(n);
        return text.endsWith(" B") ? new Json.Digits(Long.toUnsignedString(n)) : text;
    }

    /** E.g. "64 GiB", "61541 MiB", "1000 B": exact, never rounded. */
    static String binaryUnits(long n) {
        if (n != 0) {
            for (int i = 0; i < UNITS.length; i++) {
                if ((n & ((1L << SHIFTS[i]) - 1)) == 0) return Long.toUnsignedString(n >>> SHIFTS[i]) + " " + UNITS[i];
            }
        }
        return Long.toUnsignedString(n) + " B";
    }
}
