package Ardelune.storage;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.Arrays;
import java.util.List;
import java.util.UUID;

/**
 * A request under construction: the command code at 2 and fields at their
 * offsets, little-endian. Its length is the end of the furthest field, so a
 * request is never shorter than what its command reads.
 */
final class Request {
    private final Command command;
    private byte[] bytes = new byte[64];
    private int length = 4;

    private Request(Command command) {
        this.command = command;
        buffer(2, 2).putShort((short) command.code());
    }

    static Request of(Command command) {
        return new Request(command);
    }

    Command command() {
        return command;
    }

    Request id(int at, UUID id) {
        int start = reserve(at, Guids.LENGTH);
        Guids.write(id, bytes, start);
        return this;
    }

    /** Identifiers one after another from {@code at}. */
    Request ids(int at, List<UUID> ids) {
        for (int i = 0; i < ids.size(); i++) id(at + i * Guids.LENGTH, ids.get(i));
        return this;
    }

    Request int8(int at, int value) {
        int start = reserve(at, 1);
        bytes[start] = (byte) value;
        return this;
    }

    Request int16(int at, int value) {
        buffer(at, 2).putShort((short) value);
        return this;
    }

    Request int32(int at, int value) {
        buffer(at, 4).putInt(value);
        return this;
    }

    Request int64(int at, long value) {
        buffer(at, 8).putLong(value);
        return this;
    }

    Request text(int at, byte[] text) {
        int start = reserve(at, text.length);
        System.arraycopy(text, 0, bytes, start, text.length);
        return this;
    }

    byte[] bytes() {
        return Arrays.copyOf(bytes, length);
    }

    private ByteBuffer buffer(int at, int width) {
        // Reserve first: it may replace the array.
        int start = reserve(at, width);
        return ByteBuffer.wrap(bytes, start, width).order(ByteOrder.LITTLE_ENDIAN);
    }

    private int reserve(int at, int width) {
        int end = at + width;
        if (end > bytes.length) bytes = Arrays.copyOf(bytes, Math.max(end, bytes.length * 2));
        length = Math.max(length, end);
        return at;
    }
}
