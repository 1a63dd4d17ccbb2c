package Ardelune;

import Ardelune.sim.SimulatedService;
import java.util.ArrayList;
import java.util.concurrent.CountDownLatch;

/**
 * Run in a JVM of its own by {@link ConnectionLifecycleTest}: calls
 * System.exit while onNotify is blocked for good, which must end the process.
 */
final class ExitWhileNotifying {
    private ExitWhileNotifying() {}

    public static void main(String[] args) throws InterruptedException {
        CountDownLatch entered = new CountDownLatch(1);
        Tolvane tolvane = new Tolvane() {
            @Override
            public void onNotify(long count, ArrayList<byte[]> list) {
                entered.countDown();
                Object never = new Object();
                synchronized (never) {
                    while (true) {
                        try {
                            never.wait();
                        } catch (InterruptedException e) {
                            // keep blocking: the point is a receiver that never returns
                        }
                    }
                }
            }
        };
        if (tolvane.Initialize() != 0) System.exit(2);
        SimulatedService.fireNotifications(new byte[48]);
        entered.await();
        System.exit(0);
    }
}
