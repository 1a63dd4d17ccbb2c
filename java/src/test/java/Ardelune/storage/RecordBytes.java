package Ardelune.storage;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.UUID;

/**
 * Checks a decoded record against the bytes it came from: each field's value
 * must stand at its offset, and every byte that no field claims must be 0,
 * so a field the decoder skipped or misplaced shows.
 */
final class RecordBytes {
    private final byte[] reply;
    private final int start;
    private final int length;
    private final boolean[] claimed;
    private final String what;

    RecordBytes(byte[] reply, int start, int length, String what) {
        this.reply = reply;
        this.start = start;
        this.length = length;
        this.claimed = new boolean[length];
        this.what = what;
    }

    RecordBytes id(int at, UUID id) {
        byte[] expected = new byte[16];
        Guids.write(id, expected, 0);
        return bytes(at, expected);
    }

    RecordBytes i8(int at, int value) {
        return bytes(at, new byte[] {(byte) value});
    }

    RecordBytes i16(int at, int value) {
        return bytes(at, ByteBuffer.allocate(2).order(ByteOrder.LITTLE_ENDIAN).putShort((short) value).array());
    }

    RecordBytes i32(int at, int value) {
        return bytes(at, ByteBuffer.allocate(4).order(ByteOrder.LITTLE_ENDIAN).putInt(value).array());
    }

    RecordBytes u64(int at, long value) {
        return bytes(at, ByteBuffer.allocate(8).order(ByteOrder.LITTLE_ENDIAN).putLong(value).array());
    }

    /** The record's own length at 0. */
    RecordBytes sized() {
        return i32(0, length);
    }

    /** Texts located by length and offset pairs from {@code at}, laid out one after another from {@code first}. */
    RecordBytes texts(int at, int first, String... texts) {
        int offset = first;
        for (int i = 0; i < texts.length; i++) {
            byte[] encoded = Texts.encode(texts[i]);
            i16(at + 4 * i, encoded.length).i16(at + 4 * i + 2, offset).bytes(offset, encoded);
            offset += encoded.length;
        }
        assertEquals(length, offset, what + ": the texts end the record");
        return this;
    }

    RecordBytes bytes(int at, byte[] expected) {
        byte[] actual = new byte[expected.length];
        System.arraycopy(reply, start + at, actual, 0, expected.length);
        assertArrayEquals(expected, actual, what + ": field at " + at);
        for (int i = 0; i < expected.length; i++) claimed[at + i] = true;
        return this;
    }

    /** Every byte that no field claimed is 0. */
    void restIsZero() {
        for (int i = 0; i < length; i++) {
            if (!claimed[i]) assertEquals(0, reply[start + i], what + ": unclaimed byte " + i);
        }
    }
}
