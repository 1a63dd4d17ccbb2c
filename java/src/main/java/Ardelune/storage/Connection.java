package Ardelune.storage;

import java.lang.System.Logger.Level;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.CopyOnWriteArrayList;
import java.util.concurrent.Executor;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.function.Consumer;

/**
 * The process's one connection to the service, and the hand-over of its
 * notifications: the service's thread only decodes and queues them; a thread
 * of the connection passes them to each subscription's executor.
 */
final class Connection {
    private static final System.Logger LOG = System.getLogger(Connection.class.getName());
    private static final List<Notification> STOP = List.of();

    private final List<Subscription> subscriptions = new CopyOnWriteArrayList<>();
    private final BlockingQueue<List<Notification>> batches = new LinkedBlockingQueue<>();
    private final Thread dispatcher = new Thread(this::dispatch, "tolvane-notifications");

    final NativeBridge bridge;

    Connection(NativeBridge bridge) {
        this.bridge = bridge;
        bridge.receiveWith(this::onNotify);
        dispatcher.setDaemon(true);
        dispatcher.start();
    }

    private void onNotify(long count, ArrayList<byte[]> list) {
        List<Notification> batch = new ArrayList<>(list.size());
        for (byte[] record : list) {
            try {
                batch.add(Notification.read(record));
            } catch (ProtocolException damaged) {
                LOG.log(Level.WARNING, "a notification was dropped", damaged);
            }
        }
        if (count != list.size()) {
            LOG.log(Level.WARNING, "a batch announced {0} notifications and held {1}", count, list.size());
        }
        batches.add(batch);
    }

    Subscription subscribe(Executor executor, Consumer<? super Notification> listener) {
        Subscription[] self = new Subscription[1];
        self[0] = new Subscription(executor, listener, () -> subscriptions.remove(self[0]));
        subscriptions.add(self[0]);
        return self[0];
    }

    /** Ends every subscription and the dispatching thread; the connection is closed by then. */
    void shutDown() {
        for (Subscription s : subscriptions) s.close();
        batches.add(STOP);
    }

    private void dispatch() {
        try {
            for (List<Notification> batch; (batch = batches.take()) != STOP;) {
                for (Notification n : batch) {
                    for (Subscription s : subscriptions) s.offer(n);
                }
            }
        } catch (InterruptedException stopped) {
            Thread.currentThread().interrupt();
        }
    }
}
