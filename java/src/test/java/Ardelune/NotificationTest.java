package Ardelune;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertNull;

import Ardelune.sim.SimulatedService;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

class NotificationTest {
    /** One onNotify call as Java saw it. */
    record Batch(long count, ArrayList<byte[]> list, Thread thread) {}

    /** Records every batch; throws on request to check that later batches still arrive. */
    static final class Receiver extends Tolvane {
        final BlockingQueue<Batch> batches = new LinkedBlockingQueue<>();
        volatile boolean throwNext;

        @Override
        public void onNotify(long count, ArrayList<byte[]> list) {
            batches.add(new Batch(count, list, Thread.currentThread()));
            if (throwNext) {
                throwNext = false;
                throw new IllegalStateException("receiver failed on purpose");
            }
        }
    }

    private final Receiver receiver = new Receiver();

    /** Records whose bytes are all distinct from one record to the next. */
    static byte[] records(int count) {
        byte[] bytes = new byte[count * 48];
        for (int i = 0; i < count; i++) {
            bytes[i * 48] = 11;  // pack notifications
            bytes[i * 48 + 8] = 1;
            for (int j = 4; j < 48; j++) {
                if (j != 8) bytes[i * 48 + j] = (byte) (i * 7 + j);
            }
        }
        return bytes;
    }

    Batch fire(byte[] records) throws InterruptedException {
        SimulatedService.fireNotifications(records);
        SimulatedService.waitNotificationsDelivered();
        return receiver.batches.poll(10, TimeUnit.SECONDS);
    }

    @BeforeEach
    void connect() {
        assertEquals(0, receiver.Initialize());
    }

    @AfterEach
    void disconnect() {
        receiver.Uninitialize();
    }

    @Test
    void aBatchArrivesWholeInOrderOnAServiceThread() throws InterruptedException {
        byte[] records = records(3);
        Batch batch = fire(records);
        assertNotNull(batch);
        assertEquals(3L, batch.count());
        assertEquals(3, batch.list().size());
        for (int i = 0; i < 3; i++) {
            assertArrayEquals(Arrays.copyOfRange(records, i * 48, i * 48 + 48), batch.list().get(i));
        }
        assertNotEquals(Thread.currentThread(), batch.thread());
    }

    @Test
    void anEmptyBatchStillCallsOnNotify() throws InterruptedException {
        Batch batch = fire(new byte[0]);
        assertNotNull(batch);
        assertEquals(0L, batch.count());
        assertEquals(0, batch.list().size());
    }

    @Test
    void tenThousandRecordsReachJavaWhole() throws InterruptedException {
        byte[] records = records(10_000);
        Batch batch = fire(records);
        assertNotNull(batch);
        assertEquals(10_000L, batch.count());
        assertEquals(10_000, batch.list().size());
        assertArrayEquals(Arrays.copyOfRange(records, 9_999 * 48, 10_000 * 48), batch.list().get(9_999));
    }

    @Test
    void aThrowingReceiverDoesNotStopLaterBatches() throws InterruptedException {
        receiver.throwNext = true;
        assertNotNull(fire(records(1)));
        Batch next = fire(records(2));
        assertNotNull(next);
        assertEquals(2L, next.count());
    }

    @Test
    void nothingArrivesAfterUninitialize() throws InterruptedException {
        receiver.Uninitialize();
        assertEquals(0, SimulatedService.advisedSinks());
        SimulatedService.fireNotifications(records(1));
        SimulatedService.waitNotificationsDelivered();
        assertNull(receiver.batches.poll(200, TimeUnit.MILLISECONDS));
        assertEquals(0, SimulatedService.liveReferences());
        assertEquals(0, receiver.Initialize());  // for the common teardown
    }
}
