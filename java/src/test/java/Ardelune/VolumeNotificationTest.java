package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import java.util.Arrays;
import org.junit.jupiter.api.Test;

/** Volume changes made through the library reach Java as the service tells them. */
class VolumeNotificationTest extends ChangeNotifications {
    private static final byte[] DYNAMIC_PACK = {0, 0, 0, 0x70, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 2};
    private static final byte[] DYN_DISK = {0, 0, 0, (byte) 0x80, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 4};
    private static final byte[] SECOND_DYN_DISK = {0, 0, 0, (byte) 0x80, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 5};
    // The first volumes the simulated service makes.
    private static final byte[] MIRROR = {0, 0, 0, (byte) 0x92, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 1};
    private static final byte[] BROKEN_OFF = {0, 0, 0, (byte) 0x92, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 2};
    private static final int NTT_VOLUME = 11;
    private static final int ARRIVE = 4;
    private static final int DEPART = 5;
    private static final int MODIFY = 6;
    private static final int MIRROR_TYPE = 13;
    private static final long GIB = 1L << 30;

    @Test
    void aMirrorMadeBrokenAndDeletedReachesJava() throws InterruptedException {
        // 0x0508: pack at 20, type at 36, two InputDiskRecords of 48 bytes from 44.
        ByteBuffer create = Requests.request(0x0508, 44 + 2 * 48);
        create.position(20);
        create.put(DYNAMIC_PACK).putInt(MIRROR_TYPE).putInt(2);
        create.put(DYN_DISK).putLong(GIB).put(new byte[16]).putInt(0).putInt(0);
        create.put(SECOND_DYN_DISK).putLong(GIB).put(new byte[16]).putInt(0).putInt(0);
        assertEquals(0, run(create));
        assertTrue(arrives(NTT_VOLUME, ARRIVE, MIRROR), "mirror arrival");

        // 0x0501 names the mirror's plexes; 0x0506 breaks off the second.
        ByteBuffer list = Requests.request(0x0501, 68);
        list.position(36);
        list.put(MIRROR);
        ByteBuffer plexes = Requests.reply(receiver.CmdHandler(list.array(), 68));
        assertEquals(2, plexes.getInt(12));
        byte[] second = Arrays.copyOfRange(plexes.array(), 16 + 48, 16 + 48 + 16);
        ByteBuffer split = Requests.request(0x0506, 68);
        split.position(36);
        split.put(MIRROR).put(second);
        assertEquals(0, run(split));
        assertTrue(arrives(NTT_VOLUME, ARRIVE, BROKEN_OFF), "broken-off volume arrival");
        assertTrue(arrives(NTT_VOLUME, MODIFY, MIRROR), "mirror modification");

        ByteBuffer delete = Requests.request(0x0509, 24);
        delete.position(4);
        delete.put(BROKEN_OFF).putInt(0);
        assertEquals(0, run(delete));
        assertTrue(arrives(NTT_VOLUME, DEPART, BROKEN_OFF), "broken-off volume departure");
    }
}
