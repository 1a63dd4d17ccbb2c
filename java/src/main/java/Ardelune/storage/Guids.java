package Ardelune.storage;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.UUID;

/**
 * Object identifiers travel as the 16 bytes of a Windows GUID in memory:
 * the first three groups little-endian, the last eight bytes as they are.
 */
final class Guids {
    static final int LENGTH = 16;

    private Guids() {}

    static UUID read(byte[] bytes, int at) {
        ByteBuffer b = ByteBuffer.wrap(bytes, at, LENGTH).order(ByteOrder.LITTLE_ENDIAN);
        long data1 = b.getInt() & 0xFFFFFFFFL;
        long data2 = b.getShort() & 0xFFFFL;
        long data3 = b.getShort() & 0xFFFFL;
        long high = data1 << 32 | data2 << 16 | data3;
        long low = ByteBuffer.wrap(bytes, at + 8, 8).order(ByteOrder.BIG_ENDIAN).getLong();
        return new UUID(high, low);
    }

    static void write(UUID id, byte[] bytes, int at) {
        long high = id.getMostSignificantBits();
        ByteBuffer b = ByteBuffer.wrap(bytes, at, LENGTH).order(ByteOrder.LITTLE_ENDIAN);
        b.putInt((int) (high >>> 32)).putShort((short) (high >>> 16)).putShort((short) high);
        ByteBuffer.wrap(bytes, at + 8, 8).order(ByteOrder.BIG_ENDIAN).putLong(id.getLeastSignificantBits());
    }
}
