package Ardelune;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;

/** Builds requests and reads replies of the binary protocol. */
final class Requests {
    private Requests() {}

    /** Where a hardware object address holds its identifiers. */
    static final int PROVIDER_AT = 4;
    static final int SUBSYSTEM_AT = 20;
    static final int OBJECT_AT = 36;
    static final int LUN_PLEX_AT = 52;

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
