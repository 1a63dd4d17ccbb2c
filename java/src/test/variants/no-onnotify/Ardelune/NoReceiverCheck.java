package Ardelune;

import Ardelune.sim.SimulatedService;

/**
 * Runs in a JVM of its own: a class without onNotify must survive a batch of
 * notifications; the library reports the missing method and drops the batch.
 */
public final class NoReceiverCheck {
    public static void main(String[] args) {
        Tolvane tolvane = new Tolvane();
        int result = tolvane.Initialize();
        if (result != 0) {
            throw new AssertionError("Initialize answered " + result);
        }
        SimulatedService.fireNotifications(new byte[48]);
        SimulatedService.waitNotificationsDelivered();
        tolvane.Uninitialize();
        System.out.println("NoReceiverCheck finished");
    }
}
