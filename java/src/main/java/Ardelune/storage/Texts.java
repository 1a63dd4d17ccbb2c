package Ardelune.storage;

import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;

/**
 * The library writes and reads narrow text in the system's ANSI code page:
 * on Windows the code page that the JDK reports as {@code native.encoding};
 * elsewhere its ANSI code page is UTF-8 whatever the locale, so a JVM started
 * under the C locale (which reports ASCII) still reads its texts right. Every
 * text of a reply or request goes through here.
 */
final class Texts {
    private Texts() {}

    static final Charset CHARSET = libraryCharset();

    private static Charset libraryCharset() {
        if (!System.getProperty("os.name", "").startsWith("Windows")) return StandardCharsets.UTF_8;
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
