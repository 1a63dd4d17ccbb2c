package Ardelune;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;

/** Builds requests and reads replies of the binary protocol. */
final class Requests {
    private Requests() {}

    static ByteBuffer request(int code, int size) {
        ByteBuffer b = ByteBuffer.allocate(Math.max(size, 4)).order(ByteOrder.LITTLE_ENDIAN);
        b.putShort(2, (short) code);
        return b;
    }

    static ByteBuffer reply(byte[] bytes) {
        return ByteBuffer.wrap(bytes).order(ByteOrder.LITTLE_ENDIAN);
    }

    static int status(byte[] reply) {
        return reply(reply).getInt(4);
    }
}
