package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import Ardelune.sim.SimulatedService;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CopyOnWriteArrayList;
import org.junit.jupiter.api.Test;

/** The notifications of LUN changes made through the library reach Java. */
class LunNotificationTest extends DefaultMachineConnection<LunNotificationTest.Receiver> {
    static final int LUN_TARGET = 33;
    static final int DRIVE_TARGET = 32;
    static final int LUN_ARRIVE = 108;
    static final int LUN_DEPART = 109;
    static final int LUN_MODIFY = 110;
    static final int DRIVE_MODIFY = 107;

    static final class Receiver extends Tolvane {
        final List<byte[]> records = new CopyOnWriteArrayList<>();

        @Override
        public void onNotify(long count, ArrayList<byte[]> list) {
            records.addAll(list);
        }
    }

    LunNotificationTest() {
        super(new Receiver());
    }

    static void putId(ByteBuffer b, int at, String text) {
        java.util.UUID u = java.util.UUID.fromString(text);
        ByteBuffer id = ByteBuffer.allocate(16).order(ByteOrder.LITTLE_ENDIAN);
        long hi = u.getMostSignificantBits();
        id.putInt((int) (hi >>> 32)).putShort((short) (hi >>> 16)).putShort((short) hi);
        id.order(ByteOrder.BIG_ENDIAN).putLong(u.getLeastSignificantBits());
        b.put(at, id.array());
    }

    byte[] run(ByteBuffer request) {
        byte[] bytes = request.array();
        byte[] reply = receiver.CmdHandler(bytes, bytes.length);
        SimulatedService.waitNotificationsDelivered();
        return reply;
    }

    /** How many records of the target type and event arrived, naming `id` at 12 when given. */
    long seen(int type, int event, byte[] id) {
        return receiver.records.stream()
                .map(r -> ByteBuffer.wrap(r).order(ByteOrder.LITTLE_ENDIAN))
                .filter(r -> r.getInt(0) == type && r.getInt(8) == event)
                .filter(r -> id == null || ByteBuffer.wrap(r.array(), 12, 16).equals(ByteBuffer.wrap(id)))
                .count();
    }

    @Test
    void aLunBuiltGrownAndDeletedIsToldToJava() {
        ByteBuffer create = Requests.request(0x0120, 108 + 1 + 32);
        putId(create, Requests.SUBSYSTEM_AT, "20000000-0000-4000-8000-000000000001");
        create.putShort(36, (short) 13).putLong(40, 1L << 30).putInt(48, 1).putInt(52, 2).put(56, (byte) '*');
        putId(create, 109, "40000000-0000-4000-8000-000000000005");
        putId(create, 125, "40000000-0000-4000-8000-000000000006");
        assertEquals(0, Requests.status(run(create)));

        ByteBuffer lunId = Requests.request(0, 16);
        putId(lunId, 0, "52000000-0000-4000-8000-000000000001");
        byte[] lun = lunId.array();
        assertEquals(1, seen(LUN_TARGET, LUN_ARRIVE, lun));
        assertTrue(seen(DRIVE_TARGET, DRIVE_MODIFY, null) >= 2, "both drives gave extents");

        ByteBuffer extend = Requests.request(0x0204, 62);
        extend.put(Requests.OBJECT_AT, lun).putLong(52, 1L << 30).putShort(60, (short) 0);
        assertEquals(0, Requests.status(run(extend)));
        assertEquals(1, seen(LUN_TARGET, LUN_MODIFY, lun));

        ByteBuffer delete = Requests.request(0x0200, 52);
        delete.put(Requests.OBJECT_AT, lun);
        assertEquals(0, Requests.status(run(delete)));
        assertEquals(1, seen(LUN_TARGET, LUN_DEPART, lun));
        assertEquals(0L, SimulatedService.liveReferences());
    }
}
