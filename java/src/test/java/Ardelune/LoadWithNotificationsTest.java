package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import Ardelune.sim.SimulatedService;
import java.nio.ByteBuffer;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.Random;
import java.util.concurrent.ConcurrentHashMap;
import java.util.concurrent.CopyOnWriteArrayList;
import java.util.concurrent.atomic.AtomicBoolean;
import java.util.concurrent.atomic.AtomicLong;
import org.junit.jupiter.api.Test;

/**
 * Eight threads send queries and changes through the bridge while the service
 * fires numbered batches and another thread rescans: each numbered batch
 * reaches onNotify exactly once, whole and in order, whatever else is
 * delivered around it.
 */
class LoadWithNotificationsTest extends DefaultMachineConnection<LoadWithNotificationsTest.Receiver> {
    static final int SENDERS = 8;
    static final long LOAD_MILLIS = 3_000;
    static final int RECORD = 48;
    /** Written where a pack's identifier goes, so that the service's own notifications never match. */
    static final byte MARK = (byte) 0xA5;

    static final String HW_PROVIDER = "10000000-0000-4000-8000-000000000001";
    static final String SUBSYSTEM = "20000000-0000-4000-8000-000000000001";
    static final String MIRRORED_LUN = "50000000-0000-4000-8000-000000000002";
    static final String FREE_DRIVE = "40000000-0000-4000-8000-000000000006";
    static final String DYNAMIC_PROVIDER = "60000000-0000-4000-8000-000000000002";
    static final String DYNAMIC_PACK = "70000000-0000-4000-8000-000000000002";

    /** One onNotify call whose records carry the mark. */
    record Batch(long count, List<byte[]> records) {}

    static final class Receiver extends Tolvane {
        final List<Batch> marked = new CopyOnWriteArrayList<>();

        @Override
        public void onNotify(long count, ArrayList<byte[]> list) {
            if (!list.isEmpty() && list.get(0).length == RECORD && list.get(0)[16] == MARK) {
                marked.add(new Batch(count, List.copyOf(list)));
            }
        }
    }

    LoadWithNotificationsTest() {
        super(new Receiver());
    }

    @Override
    protected void afterDisconnect() {
        assertEquals(0, SimulatedService.liveReferences());
    }

    static ByteBuffer hardware(int code, String object) {
        ByteBuffer b = Requests.request(code, 68);
        LunNotificationTest.putId(b, Requests.PROVIDER_AT, HW_PROVIDER);
        LunNotificationTest.putId(b, Requests.SUBSYSTEM_AT, SUBSYSTEM);
        if (object != null) LunNotificationTest.putId(b, Requests.OBJECT_AT, object);
        return b;
    }

    static ByteBuffer withShort(ByteBuffer b, int at, int value) {
        b.putShort(at, (short) value);
        return b;
    }

    static ByteBuffer withInt(ByteBuffer b, int at, int value) {
        b.putInt(at, value);
        return b;
    }

    static ByteBuffer software(int code, String provider, String pack) {
        ByteBuffer b = Requests.request(code, 36);
        LunNotificationTest.putId(b, 4, provider);
        if (pack != null) LunNotificationTest.putId(b, 20, pack);
        return b;
    }

    /** Queries and changes that each leave the machine valid, in any order. */
    static List<byte[]> requests() {
        List<ByteBuffer> all = List.of(
            Requests.request(0x0091, 4),
            software(0x0092, HW_PROVIDER, null),
            hardware(0x0093, null),
            hardware(0x0094, null),
            hardware(0x0096, null),
            hardware(0x0097, MIRRORED_LUN),
            Requests.request(0x0400, 4),
            software(0x0401, DYNAMIC_PROVIDER, null),
            software(0x0402, DYNAMIC_PROVIDER, DYNAMIC_PACK),
            software(0x0500, DYNAMIC_PROVIDER, DYNAMIC_PACK),
            withShort(hardware(0x0207, MIRRORED_LUN), 52, 1),
            withShort(hardware(0x0207, MIRRORED_LUN), 52, 2),
            withInt(hardware(0x0300, FREE_DRIVE), 52, 1),
            withInt(hardware(0x0301, FREE_DRIVE), 52, 1));
        List<byte[]> bytes = new ArrayList<>();
        for (ByteBuffer b : all) bytes.add(b.array());
        return bytes;
    }

    /** Records all distinct: the mark, the batch number and each record's place. */
    static byte[] numbered(int batch, int count) {
        ByteBuffer b = Requests.request(0, count * RECORD);
        for (int i = 0; i < count; i++) {
            int at = i * RECORD;
            b.putInt(at, 11);  // pack notifications
            b.putInt(at + 8, 1);
            for (int j = 16; j < 32; j++) b.put(at + j, MARK);
            b.putInt(at + 32, batch);
            b.putInt(at + 36, i);
        }
        return b.array();
    }

    static int count(int batch) {
        return 1 + batch % 37;
    }

    @Test
    void everyBatchArrivesWholeWhileCommandsAndRescansRun() throws InterruptedException {
        List<byte[]> requests = requests();
        AtomicBoolean stop = new AtomicBoolean();
        AtomicLong sent = new AtomicLong();
        Map<String, Boolean> malformed = new ConcurrentHashMap<>();
        List<Thread> threads = new ArrayList<>();
        for (int t = 0; t < SENDERS; t++) {
            Random random = new Random(100 + t);
            threads.add(new Thread(() -> {
                while (!stop.get()) {
                    byte[] request = requests.get(random.nextInt(requests.size()));
                    byte[] reply = receiver.CmdHandler(request, request.length);
                    if (reply.length < 12 || Requests.reply(reply).getShort(2) != Requests.reply(request).getShort(2)) {
                        malformed.put(Integer.toHexString(Requests.reply(request).getShort(2)), true);
                    }
                    sent.incrementAndGet();
                }
            }));
        }
        threads.add(new Thread(() -> {
            byte[] rescan = Requests.request(0x1002, 4).array();
            while (!stop.get()) receiver.CmdHandler(rescan, rescan.length);
        }));
        int[] fired = {0};
        Thread firing = new Thread(() -> {
            while (!stop.get()) {
                int batch = ++fired[0];
                SimulatedService.fireNotifications(numbered(batch, count(batch)));
                try {
                    Thread.sleep(1);
                } catch (InterruptedException e) {
                    return;
                }
            }
        });
        threads.add(firing);
        for (Thread t : threads) t.start();
        Thread.sleep(LOAD_MILLIS);
        stop.set(true);
        for (Thread t : threads) t.join();
        SimulatedService.waitNotificationsDelivered();

        assertTrue(malformed.isEmpty(), "malformed replies to " + malformed.keySet());
        assertTrue(sent.get() > 0);
        assertTrue(fired[0] > 0);
        assertEquals(fired[0], receiver.marked.size(), "batches fired and batches received");
        Batch[] byNumber = new Batch[fired[0] + 1];
        for (Batch batch : receiver.marked) {
            int number = Requests.reply(batch.records().get(0)).getInt(32);
            assertTrue(number >= 1 && number <= fired[0] && byNumber[number] == null, "batch " + number);
            byNumber[number] = batch;
        }
        for (int number = 1; number <= fired[0]; number++) {
            Batch batch = byNumber[number];
            assertNotNull(batch, "batch " + number + " never arrived");
            assertEquals(count(number), batch.count());
            assertEquals(count(number), batch.records().size());
            for (int i = 0; i < count(number); i++) {
                ByteBuffer record = Requests.reply(batch.records().get(i));
                assertEquals(number, record.getInt(32), "batch " + number + " record " + i);
                assertEquals(i, record.getInt(36), "batch " + number + " record " + i);
            }
        }
    }
}
