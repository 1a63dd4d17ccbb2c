package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertInstanceOf;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import Ardelune.sim.SimulatedService;
import Ardelune.storage.NotConnectedException;
import Ardelune.storage.Notification;
import Ardelune.storage.StorageSession;
import Ardelune.storage.Subscription;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.List;
import java.util.UUID;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.logging.Handler;
import java.util.logging.LogRecord;
import java.util.logging.Logger;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/** The client's notifications: decoded by kind, delivered off the service's thread, one listener never holding up another. */
class ClientNotificationTest {
    private static final UUID A = UUID.fromString("50000000-0000-4000-8000-0000000000A1");
    private static final UUID B = UUID.fromString("51000000-0000-4000-8000-0000000000B2");

    private StorageSession session;
    private final ExecutorService slowThread = Executors.newSingleThreadExecutor(r -> new Thread(r, "slow-listener"));
    private final ExecutorService fastThread = Executors.newSingleThreadExecutor(r -> new Thread(r, "fast-listener"));

    @BeforeEach
    void open() {
        SimulatedService.loadDefault();
        session = StorageSession.open();
    }

    @AfterEach
    void close() {
        session.close();
        slowThread.shutdownNow();
        fastThread.shutdownNow();
    }

    /** One 48-byte record as the service lays it out. */
    private static ByteBuffer record(int type, int event) {
        ByteBuffer b = ByteBuffer.allocate(Notification.LENGTH).order(ByteOrder.LITTLE_ENDIAN);
        return b.putInt(0, type).putInt(8, event);
    }

    private static ByteBuffer id(ByteBuffer b, int at, UUID id) {
        b.order(ByteOrder.LITTLE_ENDIAN).putInt(at, (int) (id.getMostSignificantBits() >>> 32))
            .putShort(at + 4, (short) (id.getMostSignificantBits() >>> 16))
            .putShort(at + 6, (short) id.getMostSignificantBits());
        b.order(ByteOrder.BIG_ENDIAN).putLong(at + 8, id.getLeastSignificantBits());
        return b.order(ByteOrder.LITTLE_ENDIAN);
    }

    private record Case(ByteBuffer bytes, Notification expected) {}

    private static final List<Case> KINDS = List.of(
        new Case(id(record(10, 1), 12, A), new Notification.PackChange(1, A)),
        new Case(id(id(record(11, 7), 12, A), 28, B).putInt(44, 42), new Notification.VolumeChange(7, A, B, 42)),
        new Case(id(record(13, 6), 12, A), new Notification.DiskChange(6, A)),
        new Case(id(record(60, 101), 12, A).putLong(32, 5L << 32 | 7), new Notification.PartitionChange(101, A, 5L << 32 | 7)),
        new Case(id(record(61, 202), 16, A).putChar(12, 'K'), new Notification.DriveLetterChange(202, 'K', A)),
        new Case(id(record(62, 204), 12, A).putInt(28, 60), new Notification.FileSystemChange(204, A, 60)),
        new Case(id(record(63, 205), 12, A), new Notification.MountPointChange(205, A)),
        new Case(id(record(30, 3), 12, A), new Notification.HardwareChange(30, 3, A)),
        new Case(id(record(33, 4), 12, B), new Notification.HardwareChange(33, 4, B)),
        new Case(id(id(record(33, 7), 12, A), 28, B).putInt(44, 30), new Notification.LunRebuildProgress(7, A, B, 30)),
        new Case(id(record(38, 131), 12, B), new Notification.HardwareChange(38, 131, B)),
        new Case(record(200, 301).putInt(12, 2), new Notification.ServiceChange(301, 2)));

    private static void fire(List<ByteBuffer> records) {
        ByteBuffer all = ByteBuffer.allocate(records.size() * Notification.LENGTH);
        for (ByteBuffer r : records) all.put(r.array());
        SimulatedService.fireNotifications(all.array());
    }

    @Test
    void everyKindIsDecoded() throws InterruptedException {
        BlockingQueue<Notification> seen = new LinkedBlockingQueue<>();
        session.subscribe(fastThread, seen::add);
        List<ByteBuffer> records = new java.util.ArrayList<>(KINDS.stream().map(Case::bytes).toList());
        records.add(record(99, 5));
        fire(records);
        for (Case c : KINDS) assertEquals(c.expected(), seen.poll(5, TimeUnit.SECONDS));
        Notification unknown = seen.poll(5, TimeUnit.SECONDS);
        assertInstanceOf(Notification.Unknown.class, unknown);
        assertEquals(99, unknown.targetType());
        assertEquals(5, unknown.event());
    }

    /** Ardelune.sim lays out each kind where the client reads it back. */
    @Test
    void everyKindFiredAsTheClientsOwnTypeComesBackEqual() throws InterruptedException {
        BlockingQueue<Notification> seen = new LinkedBlockingQueue<>();
        session.subscribe(fastThread, seen::add);
        List<Notification> sent = KINDS.stream().map(Case::expected).toList();
        SimulatedService.fireNotifications(sent);
        for (Notification n : sent) assertEquals(n, seen.poll(5, TimeUnit.SECONDS));
    }

    @Test
    void aBlockedListenerHoldsUpNoCommandAndNoOtherListener() throws InterruptedException {
        CountDownLatch slowStarted = new CountDownLatch(1);
        BlockingQueue<Notification> slow = new LinkedBlockingQueue<>();
        BlockingQueue<Notification> fast = new LinkedBlockingQueue<>();
        BlockingQueue<String> fastThreads = new LinkedBlockingQueue<>();
        AtomicInteger thrown = new AtomicInteger();
        session.subscribe(slowThread, n -> {
            slowStarted.countDown();
            sleep(1000);
            slow.add(n);
        });
        Subscription fastOne = session.subscribe(fastThread, n -> {
            fastThreads.add(Thread.currentThread().getName());
            fast.add(n);
        });
        ExecutorService throwingThread = Executors.newSingleThreadExecutor();
        // The listener's faults go to the client's log; kept here, off the console.
        BlockingQueue<LogRecord> logged = new LinkedBlockingQueue<>();
        Logger log = Logger.getLogger("Ardelune.storage.Subscription");
        log.setUseParentHandlers(false);
        log.addHandler(new Handler() {
            @Override
            public void publish(LogRecord r) {
                logged.add(r);
            }

            @Override
            public void flush() {}

            @Override
            public void close() {}
        });
        try {
            session.subscribe(throwingThread, n -> {
                thrown.incrementAndGet();
                throw new IllegalStateException("a listener's own fault");
            });
            fire(List.of(KINDS.get(0).bytes(), KINDS.get(1).bytes()));
            assertTrue(slowStarted.await(5, TimeUnit.SECONDS));

            long start = System.nanoTime();
            assertNotNull(fast.poll(500, TimeUnit.MILLISECONDS), "first, while the slow listener sleeps");
            assertNotNull(fast.poll(500, TimeUnit.MILLISECONDS), "second, while the slow listener sleeps");
            assertFalse(session.hardwareProviders().isEmpty());
            assertTrue(System.nanoTime() - start < TimeUnit.MILLISECONDS.toNanos(800), "not held up");
            assertTrue(slow.isEmpty(), "the slow listener is still on its first");
            assertEquals("fast-listener", fastThreads.take(), "on the listener's executor");

            // Unsubscribed: the fast listener sees nothing more; the others still do.
            fastOne.close();
            assertFalse(fastOne.isActive());
            fire(List.of(KINDS.get(2).bytes()));
            SimulatedService.waitNotificationsDelivered();
            for (int i = 0; i < 3; i++) assertNotNull(slow.poll(5, TimeUnit.SECONDS), "slow listener, notification " + i);
            assertNull(fast.poll(200, TimeUnit.MILLISECONDS), "nothing after unsubscribing");
            assertEquals(3, thrown.get(), "a listener that throws still gets every notification");
            for (int i = 0; i < 3; i++) {
                LogRecord r = logged.poll(5, TimeUnit.SECONDS);
                assertNotNull(r, "each throw is logged");
                assertInstanceOf(IllegalStateException.class, r.getThrown());
            }
        } finally {
            throwingThread.shutdownNow();
        }
    }

    @Test
    void sessionsShareOneConnection() {
        try (StorageSession second = StorageSession.open()) {
            session.close();
            assertThrows(NotConnectedException.class, session::hardwareProviders, "a closed session");
            assertFalse(second.hardwareProviders().isEmpty(), "the connection stays while a session is open");
        }
        assertEquals(0, SimulatedService.advisedSinks(), "the last close disconnects");
        session = StorageSession.open();
        assertFalse(session.hardwareProviders().isEmpty(), "and a new session connects again");
    }

    private static void sleep(long ms) {
        try {
            Thread.sleep(ms);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }
}
