package Ardelune.cli;

import java.math.BigDecimal;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/** Reads JSON text strictly: objects as ordered maps, arrays as lists, numbers as BigDecimal. */
final class JsonReader {
    private final String text;
    private int at;

    private JsonReader(String text) {
        this.text = text;
    }

    static Object parse(String text) {
        JsonReader r = new JsonReader(text);
        Object value = r.value();
        r.space();
        if (r.at != text.length()) throw r.error("text after the value");
        return value;
    }

    private Object value() {
        space();
        if (at >= text.length()) throw error("end of text");
        char c = text.charAt(at);
        if (c == '{') return object();
        if (c == '[') return array();
        if (c == '"') return string();
        if (text.startsWith("true", at)) return word("true", Boolean.TRUE);
        if (text.startsWith("false", at)) return word("false", Boolean.FALSE);
        if (text.startsWith("null", at)) return word("null", null);
        return number();
    }

    private Object word(String w, Object value) {
        at += w.length();
        return value;
    }

    private Map<String, Object> object() {
        Map<String, Object> map = new LinkedHashMap<>();
        at++;
        space();
        if (peek() == '}') {
            at++;
            return map;
        }
        while (true) {
            space();
            if (peek() != '"') throw error("a key");
            String key = string();
            space();
            expect(':');
            if (map.put(key, value()) != null) throw error("key " + key + " twice");
            space();
            if (peek() == ',') {
                at++;
            } else {
                expect('}');
                return map;
            }
        }
    }

    private List<Object> array() {
        List<Object> list = new ArrayList<>();
        at++;
        space();
        if (peek() == ']') {
            at++;
            return list;
        }
        while (true) {
            list.add(value());
            space();
            if (peek() == ',') {
                at++;
            } else {
                expect(']');
                return list;
            }
        }
    }

    private String string() {
        StringBuilder b = new StringBuilder();
        at++;
        while (true) {
            if (at >= text.length()) throw error("an unterminated text");
            char c = text.charAt(at++);
            if (c == '"') return b.toString();
            if (c < 0x20) throw error("a raw control character in a text");
            if (c != '\\') {
                b.append(c);
                continue;
            }
            char e = text.charAt(at++);
            switch (e) {
                case '"', '\\', '/' -> b.append(e);
                case 'b' -> b.append('\b');
                case 'f' -> b.append('\f');
                case 'n' -> b.append('\n');
                case 'r' -> b.append('\r');
                case 't' -> b.append('\t');
                case 'u' -> {
                    b.append((char) Integer.parseInt(text.substring(at, at + 4), 16));
                    at += 4;
                }
                default -> throw error("a bad escape \\" + e);
            }
        }
    }

    private BigDecimal number() {
        int start = at;
        while (at < text.length() && "+-0123456789.eE".indexOf(text.charAt(at)) >= 0) at++;
        if (start == at) throw error("a value");
        return new BigDecimal(text.substring(start, at));
    }

    private char peek() {
        if (at >= text.length()) throw error("end of text");
        return text.charAt(at);
    }

    private void expect(char c) {
        if (peek() != c) throw error("'" + c + "'");
        at++;
    }

    private void space() {
        while (at < text.length() && Character.isWhitespace(text.charAt(at))) at++;
    }

    private IllegalArgumentException error(String what) {
        return new IllegalArgumentException("JSON: " + what + " at " + at + " in: "
            + text.substring(Math.max(0, at - 40), Math.min(text.length(), at + 40)));
    }
}
