package Ardelune.storage;

import java.nio.charset.Charset;

/**
 * The library writes and reads narrow text in the system's ANSI code page on
 * Windows and in UTF-8 elsewhere: the same code page that the JDK reports as
 * {@code native.encoding}. Every text of a reply or request goes through here.
 */
final class Texts {
    private Texts() {}

    static final Charset CHARSET = nativeCharset();

    private static Charset nativeCharset() {
        String name = System.getProperty("native.encoding");
        try {
            if (name != null) return Charset.forName(name);
        } catch (IllegalArgumentException unsupported) {
            // Fall through to the platform default, which the JDK derives from the same setting.
        }
        return Charset.defaultCharset();
    }

    static String decode(byte[] bytes, int at, int length) {
        return new String(bytes, at, length, CHARSET);
    }

    static byte[] encode(String text) {
        return text.getBytes(CHARSET);
    }
}
