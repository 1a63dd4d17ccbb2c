package Ardelune.storage;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.UUID;

/**
 * One record inside a reply: little-endian fields at offsets from the
 * record's start. Every read is checked against the record's own length, so
 * a damaged reply becomes a {@link ProtocolException}, never a read past it.
 */
final class RecordReader {
    private final Command command;
    private final byte[] reply;
    private final int start;
    private final int length;
    private final ByteBuffer buffer;

    RecordReader(Command command, byte[] reply, int start, int length) {
        this.command = command;
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

    int uint16(int offset) {
        return int16(offset) & 0xFFFF;
    }

    int int32(int offset) {
        return buffer.getInt(at(offset, 4));
    }

    /** An unsigned 64-bit count (low half first); read it with the unsigned helpers of {@link Long}. */
    long uint64(int offset) {
        return buffer.getLong(at(offset, 8));
    }

    int uint8(int offset) {
        return reply[at(offset, 1)] & 0xFF;
    }

    UUID id(int offset) {
        return Guids.read(reply, at(offset, Guids.LENGTH));
    }

    /** The text that the length and offset pair (two int16) at {@code refOffset} locates inside this record. */
    String text(int refOffset) {
        int textLength = int16(refOffset);
        int textOffset = int16(refOffset + 2);
        if (textLength < 0) throw damaged("a text of negative length " + textLength);
        return textAt(textOffset, textLength);
    }

    /** {@code length} bytes of text from {@code offset}. */
    String textAt(int offset, int textLength) {
        if (textLength == 0) return "";
        return Texts.decode(reply, at(offset, textLength), textLength);
    }

    ProtocolException damaged(String what) {
        return new ProtocolException(command, 0, what);
    }

    private int at(int offset, int width) {
        if (offset < 0 || width < 0 || offset > length - width) {
            throw damaged("a field at " + offset + " (" + width + " bytes) lies outside a record of "
                + length + " bytes");
        }
        return start + offset;
    }
}
