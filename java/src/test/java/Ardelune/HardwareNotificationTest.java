package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;

/** A drive failed through the library: Java hears of the drive and of the LUN it degraded. */
class HardwareNotificationTest extends DefaultMachineConnection<HardwareNotificationTest.Receiver> {
    static final byte[] SUBSYSTEM = {0, 0, 0, 0x20, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 1};
    /** Drive 0.2, 40000000-0000-4000-8000-000000000003, one side of the mirrored LUN. */
    static final byte[] DRIVE_3 = {0, 0, 0, 0x40, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 3};
    /** The mirrored LUN, 50000000-0000-4000-8000-000000000002. */
    static final byte[] MIRRORED_LUN = {0, 0, 0, 0x50, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 2};

    static final int NTT_DRIVE = 32;
    static final int NTT_LUN = 33;
    static final int NF_DRIVE_MODIFY = 107;
    static final int NF_LUN_MODIFY = 110;

    /** One notification as Java received it: target type, event, object. */
    record Notice(int type, int event, List<Byte> object) {
        static Notice of(byte[] record) {
            ByteBuffer b = ByteBuffer.wrap(record).order(ByteOrder.LITTLE_ENDIAN);
            return new Notice(b.getInt(0), b.getInt(8), bytes(Arrays.copyOfRange(record, 12, 28)));
        }
    }

    static List<Byte> bytes(byte[] array) {
        List<Byte> out = new ArrayList<>();
        for (byte b : array) out.add(b);
        return out;
    }

    static final class Receiver extends Tolvane {
        final BlockingQueue<Notice> notices = new LinkedBlockingQueue<>();

        @Override
        public void onNotify(long count, ArrayList<byte[]> list) {
            for (byte[] record : list) notices.add(Notice.of(record));
        }
    }

    HardwareNotificationTest() {
        super(new Receiver());
    }

    @Override
    protected void afterDisconnect() {
        assertEquals(0, SimControl.liveReferences());
        SimControl.loadDefault();
    }

    @Test
    void aFailedDriveIsToldWithTheLunItDegraded() throws InterruptedException {
        ByteBuffer request = Requests.request(0x0122, 54);
        request.put(Requests.SUBSYSTEM_AT, SUBSYSTEM);
        request.put(Requests.OBJECT_AT, DRIVE_3);
        request.putShort(52, (short) 5);  // VDS_DRS_FAILED
        assertEquals(0, Requests.status(receiver.CmdHandler(request.array(), 54)));
        SimControl.waitNotificationsDelivered();

        List<Notice> seen = new ArrayList<>();
        for (int i = 0; i < 2; i++) {
            Notice n = receiver.notices.poll(10, TimeUnit.SECONDS);
            if (n != null) seen.add(n);
        }
        assertEquals(List.of(new Notice(NTT_DRIVE, NF_DRIVE_MODIFY, bytes(DRIVE_3)),
                             new Notice(NTT_LUN, NF_LUN_MODIFY, bytes(MIRRORED_LUN))), seen);
        assertTrue(receiver.notices.isEmpty());
    }
}
