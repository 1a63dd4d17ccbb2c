package Ardelune;

import java.nio.ByteBuffer;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.TimeUnit;
import java.util.function.Predicate;

/**
 * A connection to the default simulated machine, commands sent through it, and
 * the notifications that reached Java since: the ground of the tests that make
 * a change and look for what the service told about it.
 */
abstract class ChangeNotifications extends DefaultMachineConnection<NotificationTest.Receiver> {
    protected ChangeNotifications() {
        super(new NotificationTest.Receiver());
    }

    /** Every record that has reached Java so far; one batch may answer several waits. */
    private final List<ByteBuffer> seen = new ArrayList<>();

    /** The status of the reply to `request`, sent whole. */
    protected int run(ByteBuffer request) {
        return Requests.status(receiver.CmdHandler(request.array(), request.capacity()));
    }

    /** Waits until a record of this kind and event that `matches` accepts has reached Java. */
    protected boolean arrives(int type, int event, Predicate<ByteBuffer> matches) throws InterruptedException {
        long end = System.nanoTime() + TimeUnit.SECONDS.toNanos(10);
        for (int checked = 0;;) {
            for (; checked < seen.size(); ++checked) {
                ByteBuffer r = seen.get(checked);
                if (r.getInt(0) == type && r.getInt(8) == event && matches.test(r)) return true;
            }
            if (System.nanoTime() >= end) return false;
            NotificationTest.Batch batch = receiver.batches.poll(100, TimeUnit.MILLISECONDS);
            if (batch == null) continue;
            for (byte[] record : batch.list()) seen.add(Requests.reply(record));
        }
    }

    /** The same, for a record that names `object` at byte `at`. */
    protected boolean arrives(int type, int event, int at, byte[] object) throws InterruptedException {
        return arrives(type, event, named(at, object));
    }

    /** The same, for a record that names `object` first, at byte 12. */
    protected boolean arrives(int type, int event, byte[] object) throws InterruptedException {
        return arrives(type, event, named(12, object));
    }

    protected static Predicate<ByteBuffer> named(int at, byte[] object) {
        return r -> Arrays.equals(Arrays.copyOfRange(r.array(), at, at + object.length), object);
    }
}
