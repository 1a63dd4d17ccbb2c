package Ardelune.demo;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;

/**
 * One record inside a reply: little-endian fields at offsets from the
 * record's start. Every read is checked against the record's own length, so
 * a damaged reply is reported instead of being read past its end.
 */
final class RecordView {
    private final byte[] reply;
    private final int start;
    private final int length;
    private final ByteBuffer buffer;

    RecordView(byte[] reply, int start, int length) {
        this.reply = reply;
        this.start = start;
        this.length = length;
        this.buffer = ByteBuffer.wrap(reply).order(ByteOrder.LITTLE_ENDIAN);
    }

    int length() {
        return length;
    }

    short int16(int offset) {
        return buffer.getShort(at(offset, 2));
    }

    int int32(int offset) {
        return buffer.getInt(at(offset, 4));
    }

    /** A 64-bit unsigned count, low 32 bits first; use the unsigned Long helpers on it. */
    long uint64(int offset) {
        return buffer.getLong(at(offset, 8));
    }

    int uint8(int offset) {
        return reply[at(offset, 1)] & 0xFF;
    }

    ObjectId id(int offset) {
        return ObjectId.read(reply, at(offset, ObjectId.LENGTH));
    }

    /** The UTF-8 text that the TextRef (int16 length, int16 offset) at {@code refOffset} locates. */
    String text(int refOffset) {
        int textLength = int16(refOffset);
        int textOffset = int16(refOffset + 2);
        if (textLength == 0) return "";
        if (textLength < 0) throw new IllegalArgumentException("text of negative length " + textLength);
        return new String(reply, at(textOffset, textLength), textLength, StandardCharsets.UTF_8);
    }

    private int at(int offset, int width) {
        if (offset < 0 || offset > length - width) {
            throw new IllegalArgumentException(
                "field at " + offset + " (" + width + " bytes) lies outside a record of " + length + " bytes");
        }
        return start + offset;
    }
}
