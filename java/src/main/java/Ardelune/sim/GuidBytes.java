package Ardelune.sim;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.UUID;

/**
 * A UUID as the 16 bytes of a Windows GUID in memory: Data1, Data2 and Data3
 * little-endian, the last eight bytes as they are (the client's layout too).
 */
final class GuidBytes {
    static final int LENGTH = 16;

    private GuidBytes() {}

    static byte[] of(UUID id) {
        byte[] bytes = new byte[LENGTH];
        put(ByteBuffer.wrap(bytes), 0, id);
        return bytes;
    }

    static void put(ByteBuffer target, int at, UUID id) {
        long high = id.getMostSignificantBits();
        ByteBuffer b = target.duplicate().order(ByteOrder.LITTLE_ENDIAN);
        b.putInt(at, (int) (high >>> 32)).putShort(at + 4, (short) (high >>> 16)).putShort(at + 6, (short) high);
        b.order(ByteOrder.BIG_ENDIAN).putLong(at + 8, id.getLeastSignificantBits());
    }
}
