package Ardelune.sim;

import Ardelune.storage.NativeLibraries;

/**
 * The control surface of the simulated service, one native per function.
 * Texts are UTF-8 without a terminator, identifiers the 16 bytes of a GUID in
 * memory. Only {@link SimulatedService} calls these, after {@link #load()}.
 */
final class Natives {
    private static final String LIBRARY = "TolvaneSimJava";
    private static boolean loaded;

    private Natives() {}

    /** Loads the library from where the storage client finds its own, once per process. */
    static synchronized void load() {
        if (!loaded) {
            NativeLibraries.loadCompanion(LIBRARY);
            loaded = true;
        }
    }

    static native int loadTopologyFile(byte[] path);

    static native int loadTopologyText(byte[] json);

    static native void loadDefault();

    static native void useEnvironmentTopology();

    static native int saveTopologyFile(byte[] path);

    static native byte[] topologyText();

    static native int resetToTopology();

    static native long digest();

    static native int setStatus(byte[] id, int status);

    static native int removeObject(byte[] id);

    static native long objectReferences(byte[] id);

    static native void injectFault(byte[] method, int nth, int hresult);

    static native void injectWaitFault(byte[] method, int hresult);

    static native void refuseInterface(byte[] id, byte[] iid);

    static native void failProperties(byte[] id, int hresult);

    static native void succeedWith(byte[] method, int hresult);

    static native void clearFaults();

    static native void setStartingPhase(int milliseconds);

    static native void finishStarting();

    static native void fireNotifications(byte[] records);

    static native void waitNotificationsDelivered();

    static native long advisedSinks();

    static native long liveReferences();

    static native long serviceReferences();

    static native byte[][] journal();

    static native void enableJournal(boolean on);

    static native void clearJournal();

    static native void waitIdle();

    static native void setDeliveryThreads(int count);

    static native void supportReplaceDisk(boolean on);

    static native void stopService();
}
