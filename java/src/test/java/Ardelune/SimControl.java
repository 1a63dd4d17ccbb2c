package Ardelune;

/** Steers the simulated VDS service that the library talks to off Windows. */
final class SimControl {
    static {
        System.loadLibrary("TolvaneSimJni");
    }

    private SimControl() {}

    /** Replaces the service's machine with the built-in default one. */
    static native void loadDefault();

    /**
     * How long the service stays in its starting phase after it is initialised;
     * 0 ready at once, negative until {@link #finishStarting()}.
     */
    static native void setStartingPhase(int milliseconds);

    static native void finishStarting();

    /** Delivers {@code count} 48-byte records, back to back in {@code records}, as one batch. */
    static native void fireNotifications(byte[] records, int count);

    static native void waitNotificationsDelivered();

    /** References that clients hold on the service's objects, the service object aside. */
    static native long liveReferences();

    static native long serviceReferences();

    static native long advisedSinks();

    /**
     * Sets an object's status from outside the service, as hardware fails or
     * comes back by itself; {@code id} is the 16-byte identifier in memory order.
     * Answers the service's result code.
     */
    static native int setStatus(byte[] id, int status);

    /** Waits until the service's worker has nothing left to do (rebuilds included). */
    static native void waitIdle();

    /** 1 or 2 service threads deliver batches; with 2, batches may overlap. */
    static native void setDeliveryThreads(int count);
}
