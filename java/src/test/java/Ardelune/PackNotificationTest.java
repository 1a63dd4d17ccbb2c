package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import java.util.Arrays;
import org.junit.jupiter.api.Test;

/** Pack changes made through the library reach Java as the service tells them. */
class PackNotificationTest extends ChangeNotifications {
    /** The dynamic provider keeps one online pack, so a new pack is a basic one: a home for one basic disk. */
    private static final byte[] BASIC_PROVIDER = {0, 0, 0, 0x60, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 1};
    /** Unallocated: in no pack until AddDisk takes it. */
    private static final byte[] RAW_DISK = {0, 0, 0, (byte) 0x80, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 3};
    private static final int NTT_PACK = 10;
    private static final int NTT_DISK = 13;
    private static final int ARRIVE = 1;
    private static final int MODIFY = 3;
    private static final int DISK_MODIFY = 10;

    @Test
    void aNewPackAndTheDiskAddedToItReachJava() throws InterruptedException {
        ByteBuffer create = Requests.request(0x0416, 20);
        create.position(4);
        create.put(BASIC_PROVIDER);
        ByteBuffer reply = Requests.reply(receiver.CmdHandler(create.array(), 20));
        assertEquals(0, reply.getInt(4));
        byte[] pack = Arrays.copyOfRange(reply.array(), 12, 28);
        assertTrue(arrives(NTT_PACK, ARRIVE, pack), "pack arrival");

        ByteBuffer add = Requests.request(0x0412, 44);
        add.position(4);
        add.put(pack).put(RAW_DISK).putInt(1).putInt(0);
        assertEquals(0, Requests.status(receiver.CmdHandler(add.array(), 44)));
        assertTrue(arrives(NTT_DISK, DISK_MODIFY, RAW_DISK), "disk modification");
        assertTrue(arrives(NTT_PACK, MODIFY, pack), "pack modification");
    }
}
