package Ardelune.demo;

import java.util.Arrays;

/**
 * A VDS object identifier as it travels in requests, replies and
 * notifications: the 16 bytes of a GUID in memory order (Data1, Data2 and
 * Data3 little-endian, then the eight bytes of Data4).
 */
public final class ObjectId {
    public static final int LENGTH = 16;

    private final byte[] bytes;

    private ObjectId(byte[] bytes) {
        this.bytes = bytes;
    }

    /** Copies the identifier that starts at {@code offset}. */
    public static ObjectId read(byte[] source, int offset) {
        if (offset < 0 || offset > source.length - LENGTH) {
            throw new IllegalArgumentException("identifier at " + offset + " runs past " + source.length + " bytes");
        }
        return new ObjectId(Arrays.copyOfRange(source, offset, offset + LENGTH));
    }

    /** Writes the identifier into {@code target} at {@code offset}. */
    public void writeTo(byte[] target, int offset) {
        System.arraycopy(bytes, 0, target, offset, LENGTH);
    }

    /** The 36-character upper-case form, e.g. 6C9FEAEE-8193-400B-882C-49A83B50F862. */
    @Override
    public String toString() {
        StringBuilder text = new StringBuilder(36);
        // Data1, Data2 and Data3 are stored low byte first; Data4 as it reads.
        hex(text, 3, 2, 1, 0).append('-');
        hex(text, 5, 4).append('-');
        hex(text, 7, 6).append('-');
        hex(text, 8, 9).append('-');
        return hex(text, 10, 11, 12, 13, 14, 15).toString();
    }

    private StringBuilder hex(StringBuilder text, int... indexes) {
        for (int i : indexes) {
            text.append(String.format("%02X", bytes[i] & 0xFF));
        }
        return text;
    }

    @Override
    public boolean equals(Object other) {
        return other instanceof ObjectId id && Arrays.equals(bytes, id.bytes);
    }

    @Override
    public int hashCode() {
        return Arrays.hashCode(bytes);
    }
}
