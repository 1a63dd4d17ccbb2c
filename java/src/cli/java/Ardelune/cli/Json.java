package Ardelune.cli;

import java.util.List;
import java.util.Map;

/**
 * Writes JSON text: objects from ordered maps, arrays from lists, texts,
 * numbers, truth values and null. There is no JSON library on the class
 * path, and names hold backslashes (device paths) and accented letters.
 */
final class Json {
    private Json() {}

    /** {@code value} as compact JSON text, on one line. */
    static String write(Object value) {
        StringBuilder out = new StringBuilder();
        write(out, value);
        return out.toString();
    }

    static void write(StringBuilder out, Object value) {
        if (value == null) {
            out.append("null");
        } else if (value instanceof JsonValue v) {
            write(out, v.json());
        } else if (value instanceof String s) {
            text(out, s);
        } else if (value instanceof Digits d) {
            out.append(d.digits());
        } else if (value instanceof Boolean || value instanceof Integer || value instanceof Long
                   || value instanceof Short) {
            out.append(value);
        } else if (value instanceof Map<?, ?> map) {
            out.append('{');
            boolean first = true;
            for (Map.Entry<?, ?> e : map.entrySet()) {
                if (!first) out.append(',');
                first = false;
                text(out, String.valueOf(e.getKey()));
                out.append(':');
                write(out, e.getValue());
            }
            out.append('}');
        } else if (value instanceof List<?> list) {
            out.append('[');
            for (int i = 0; i < list.size(); i++) {
                if (i > 0) out.append(',');
                write(out, list.get(i));
            }
            out.append(']');
        } else {
            text(out, value.toString());
        }
    }

    /** A JSON string: quotes, backslashes and every control character escaped; the rest as it is (UTF-8 on output). */
    static void text(StringBuilder out, String s) {
        out.append('"');
        for (int i = 0; i < s.length(); i++) {
            char c = s.charAt(i);
            switch (c) {
                case '"' -> out.append("\\\"");
                case '\\' -> out.append("\\\\");
                case '\n' -> out.append("\\n");
                case '\r' -> out.append("\\r");
                case '\t' -> out.append("\\t");
                case '\b' -> out.append("\\b");
                case '\f' -> out.append("\\f");
                default -> {
                    // Line and paragraph separators are valid JSON but break
                    // readers that treat the text as JavaScript or split lines;
                    // a lone surrogate would not survive the UTF-8 encoder.
                    if (c < 0x20 || c == 0x7F || c == '\u2028' || c == '\u2029' || loneSurrogate(s, i)) {
                        out.append(String.format("\\u%04x", (int) c));
                    } else {
                        out.append(c);
                    }
                }
            }
        }
        out.append('"');
    }

    private static boolean loneSurrogate(String s, int i) {
        char c = s.charAt(i);
        if (Character.isHighSurrogate(c)) return i + 1 >= s.length() || !Character.isLowSurrogate(s.charAt(i + 1));
        if (Character.isLowSurrogate(c)) return i == 0 || !Character.isHighSurrogate(s.charAt(i - 1));
        return false;
    }

    /** A number written as its digits, for unsigned 64-bit values beyond {@code long}. */
    record Digits(String digits) {}

    /** A value that has a JSON form of its own (a size, a named number). */
    interface JsonValue {
        Object json();
    }
}
