package Ardelune.storage;

import java.lang.System.Logger.Level;
import java.util.Queue;
import java.util.concurrent.ConcurrentLinkedQueue;
import java.util.concurrent.Executor;
import java.util.concurrent.RejectedExecutionException;
import java.util.concurrent.atomic.AtomicBoolean;
import java.util.function.Consumer;

/**
 * One listener's subscription to the service's notifications. The listener
 * sees them in the order the service sent them, one at a time, on its own
 * executor; a slow listener holds up only itself. {@link #close()} ends it.
 */
public final class Subscription implements AutoCloseable {
    private static final System.Logger LOG = System.getLogger(Subscription.class.getName());

    private final Executor executor;
    private final Consumer<? super Notification> listener;
    private final Runnable onClose;
    private final Queue<Notification> pending = new ConcurrentLinkedQueue<>();
    private final AtomicBoolean draining = new AtomicBoolean();
    private volatile boolean active = true;

    Subscription(Executor executor, Consumer<? super Notification> listener, Runnable onClose) {
        this.executor = executor;
        this.listener = listener;
        this.onClose = onClose;
    }

    /** Stops delivery: nothing that has not started reaching the listener will. */
    @Override
    public void close() {
        if (!active) return;
        active = false;
        pending.clear();
        onClose.run();
    }

    public boolean isActive() {
        return active;
    }

    void offer(Notification notification) {
        if (!active) return;
        pending.add(notification);
        schedule();
    }

    private void schedule() {
        if (!draining.compareAndSet(false, true)) return;
        try {
            executor.execute(this::drain);
        } catch (RejectedExecutionException rejected) {
            draining.set(false);
            LOG.log(Level.WARNING, "the listener's executor refused a notification; it is dropped", rejected);
            pending.clear();
        }
    }

    private void drain() {
        for (Notification n; active && (n = pending.poll()) != null;) {
            try {
                listener.accept(n);
            } catch (RuntimeException | Error thrown) {
                LOG.log(Level.WARNING, "a notification listener threw; delivery goes on", thrown);
            }
        }
        draining.set(false);
        // A notification that came in after the last poll and before the flag
        // was cleared would otherwise wait for the next one.
        if (active && !pending.isEmpty()) schedule();
    }
}
