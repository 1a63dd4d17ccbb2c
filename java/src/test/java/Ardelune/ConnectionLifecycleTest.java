package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import Ardelune.sim.SimulatedService;
import java.io.File;
import java.net.URISyntaxException;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.CopyOnWriteArrayList;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.concurrent.atomic.AtomicLong;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Test;

/** Closing, re-targeting and process exit while notifications are in delivery. */
class ConnectionLifecycleTest {
    /** One batch as a receiver saw it. */
    record Seen(long count, int size) {}

    /** Two receiver classes, so that a method id used on the wrong class shows. */
    static class FirstReceiver extends Tolvane {
        final List<Seen> seen = new CopyOnWriteArrayList<>();

        @Override
        public void onNotify(long count, ArrayList<byte[]> list) {
            seen.add(new Seen(count, list.size()));
        }
    }

    static final class SecondReceiver extends Tolvane {
        final List<Seen> seen = new CopyOnWriteArrayList<>();

        @Override
        public void onNotify(long count, ArrayList<byte[]> list) {
            seen.add(new Seen(count, list.size()));
        }
    }

    private final List<Tolvane> opened = new ArrayList<>();

    private <T extends Tolvane> T open(T tolvane) {
        assertEquals(0, tolvane.Initialize());
        opened.add(tolvane);
        return tolvane;
    }

    @AfterEach
    void closeAndRestore() {
        for (Tolvane t : opened) t.Uninitialize();
        SimulatedService.setDeliveryThreads(1);
    }

    static void fire(int records) {
        SimulatedService.fireNotifications(new byte[records * 48]);
    }

    @Test
    void aReceiverReplacedDuringLargeBatchesLeavesEachBatchWithOneReceiverWhole() throws InterruptedException {
        SimulatedService.setDeliveryThreads(2);
        FirstReceiver first = open(new FirstReceiver());
        SecondReceiver second = new SecondReceiver();
        final int batches = 6;
        for (int i = 0; i < batches; i++) fire(10_000);
        // Swap the receiver back and forth for as long as the batches are built and delivered.
        CountDownLatch delivered = new CountDownLatch(1);
        Thread waiter = new Thread(() -> {
            SimulatedService.waitNotificationsDelivered();
            delivered.countDown();
        });
        waiter.start();
        int swaps = 0;
        while (delivered.getCount() > 0) {
            assertEquals(0, (swaps++ % 2 == 0 ? second : first).Initialize());
        }
        waiter.join();
        List<Seen> all = new ArrayList<>(first.seen);
        all.addAll(second.seen);
        assertEquals(batches, all.size());
        for (Seen s : all) assertEquals(new Seen(10_000, 10_000), s);
    }

    @Test
    void uninitializeFromInsideOnNotifyReturnsAtOnceAndNothingArrivesAfter() throws InterruptedException {
        AtomicLong tookNanos = new AtomicLong(-1);
        AtomicInteger calls = new AtomicInteger();
        CountDownLatch returned = new CountDownLatch(1);
        Tolvane receiver = new Tolvane() {
            @Override
            public void onNotify(long count, ArrayList<byte[]> list) {
                if (calls.incrementAndGet() > 1) return;
                long start = System.nanoTime();
                Uninitialize();
                tookNanos.set(System.nanoTime() - start);
                returned.countDown();
            }
        };
        assertEquals(0, receiver.Initialize());
        fire(1);
        assertTrue(returned.await(10, TimeUnit.SECONDS), "Uninitialize inside onNotify never returned");
        assertTrue(tookNanos.get() < TimeUnit.SECONDS.toNanos(1), "took " + tookNanos.get() + " ns");
        fire(1);
        SimulatedService.waitNotificationsDelivered();
        assertEquals(1, calls.get());
        // Opening again waits for the earlier connection to be given back first.
        open(receiver);
        assertEquals(1, SimulatedService.advisedSinks());
    }

    @Test
    void uninitializeWhileHoldingALockThatABlockedOnNotifyWaitsForReturnsAtOnce() throws InterruptedException {
        Object lock = new Object();
        CountDownLatch entered = new CountDownLatch(1);
        BlockingQueue<Long> delivered = new LinkedBlockingQueue<>();
        Tolvane receiver = new Tolvane() {
            @Override
            public void onNotify(long count, ArrayList<byte[]> list) {
                entered.countDown();
                synchronized (lock) {
                    delivered.add(count);
                }
            }
        };
        assertEquals(0, receiver.Initialize());
        long took;
        synchronized (lock) {
            fire(1);
            assertTrue(entered.await(10, TimeUnit.SECONDS));
            long start = System.nanoTime();
            receiver.Uninitialize();
            took = System.nanoTime() - start;
        }
        assertTrue(took < TimeUnit.SECONDS.toNanos(1), "took " + took + " ns");
        assertEquals(1L, delivered.poll(10, TimeUnit.SECONDS), "the batch already in Java ends normally");
        fire(2);
        SimulatedService.waitNotificationsDelivered();
        assertNull(delivered.poll(200, TimeUnit.MILLISECONDS), "an onNotify started after Uninitialize");
        open(receiver);
    }

    @Test
    void systemExitWhileOnNotifyBlocksEndsTheProcess() throws Exception {
        String java = Path.of(System.getProperty("java.home"), "bin", "java").toString();
        String classPath = location(Tolvane.class) + File.pathSeparator + location(ExitWhileNotifying.class);
        Process child = new ProcessBuilder(java, "-Xcheck:jni",
                "-Djava.library.path=" + System.getProperty("java.library.path"),
                "-cp", classPath, "Ardelune.ExitWhileNotifying")
                .inheritIO()
                .start();
        if (!child.waitFor(5, TimeUnit.SECONDS)) {
            child.destroyForcibly();
            fail("the JVM was still alive 5 seconds after System.exit");
        }
        assertEquals(0, child.exitValue());
    }

    private static String location(Class<?> cls) throws URISyntaxException {
        return Path.of(cls.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
    }
}
