package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import Ardelune.sim.SimulatedService;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.UUID;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;

/**
 * A drive fails, through the library or from outside: Java hears of the drive,
 * of the mirror it degraded, of the hot spare standing in, of the rebuild's
 * progress and of the mirror whole again, in that order.
 */
class HardwareNotificationTest extends DefaultMachineConnection<HardwareNotificationTest.Receiver> {
    static final byte[] SUBSYSTEM = {0, 0, 0, 0x20, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 1};
    /** Drive 0.2, 40000000-0000-4000-8000-000000000003, one side of the mirrored LUN. */
    static final byte[] DRIVE_3 = {0, 0, 0, 0x40, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 3};
    static final UUID DRIVE_3_ID = UUID.fromString("40000000-0000-4000-8000-000000000003");
    /** Drive 1.3, 40000000-0000-4000-8000-000000000008, the subsystem's hot spare. */
    static final byte[] SPARE = {0, 0, 0, 0x40, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 8};
    /** The mirrored LUN, 50000000-0000-4000-8000-000000000002. */
    static final byte[] MIRRORED_LUN = {0, 0, 0, 0x50, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 2};

    static final int NTT_DRIVE = 32;
    static final int NTT_LUN = 33;
    static final int NF_REBUILDING_PROGRESS = 7;
    static final int NF_DRIVE_MODIFY = 107;
    static final int NF_LUN_MODIFY = 110;
    static final int NF_DRIVE_REMOVED = 354;
    static final int DRS_FAILED = 5;

    /** One notification as Java received it: target type, event, object, and a rebuild's percent. */
    record Notice(int type, int event, List<Byte> object, int percent) {
        static Notice of(byte[] record) {
            ByteBuffer b = ByteBuffer.wrap(record).order(ByteOrder.LITTLE_ENDIAN);
            int event = b.getInt(8);
            return new Notice(b.getInt(0), event, bytes(Arrays.copyOfRange(record, 12, 28)),
                              event == NF_REBUILDING_PROGRESS ? b.getInt(44) : 0);
        }
    }

    static Notice notice(int type, int event, byte[] object) {
        return new Notice(type, event, bytes(object), 0);
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
        assertEquals(0, SimulatedService.liveReferences());
        SimulatedService.loadDefault();
    }

    /** What Java must hear, from the failure to the healed mirror. */
    static List<Notice> failureAndRecovery() {
        List<Notice> want = new ArrayList<>(List.of(
            notice(NTT_DRIVE, NF_DRIVE_MODIFY, DRIVE_3),          // the drive failed
            notice(NTT_LUN, NF_LUN_MODIFY, MIRRORED_LUN),         // the mirror lost a copy
            notice(NTT_DRIVE, NF_DRIVE_MODIFY, DRIVE_3),          // its stretch moves to the spare
            notice(NTT_DRIVE, NF_DRIVE_MODIFY, SPARE),
            notice(NTT_LUN, NF_LUN_MODIFY, MIRRORED_LUN),         // rebuilding
            notice(NTT_DRIVE, NF_DRIVE_REMOVED, DRIVE_3)));
        for (int percent = 10; percent <= 100; percent += 10) {
            want.add(new Notice(NTT_LUN, NF_REBUILDING_PROGRESS, bytes(MIRRORED_LUN), percent));
        }
        want.add(notice(NTT_LUN, NF_LUN_MODIFY, MIRRORED_LUN));  // whole again
        return want;
    }

    List<Notice> heard(int count) throws InterruptedException {
        SimulatedService.waitIdle();
        SimulatedService.waitNotificationsDelivered();
        List<Notice> seen = new ArrayList<>();
        for (int i = 0; i < count; i++) {
            Notice n = receiver.notices.poll(10, TimeUnit.SECONDS);
            if (n != null) seen.add(n);
        }
        return seen;
    }

    @Test
    void aDriveFailedThroughTheLibraryIsRebuiltOntoTheHotSpare() throws InterruptedException {
        ByteBuffer request = Requests.request(0x0122, 54);
        request.put(Requests.SUBSYSTEM_AT, SUBSYSTEM);
        request.put(Requests.OBJECT_AT, DRIVE_3);
        request.putShort(52, (short) DRS_FAILED);
        assertEquals(0, Requests.status(receiver.CmdHandler(request.array(), 54)));
        List<Notice> want = failureAndRecovery();
        assertEquals(want, heard(want.size()));
        assertTrue(receiver.notices.isEmpty());
    }

    @Test
    void aDriveFailingFromOutsideIsToldAsIfTheLibraryHadFailedIt() throws InterruptedException {
        assertTrue(SimulatedService.setStatus(DRIVE_3_ID, DRS_FAILED));
        List<Notice> want = failureAndRecovery();
        assertEquals(want, heard(want.size()));
        assertTrue(receiver.notices.isEmpty());
    }
}
