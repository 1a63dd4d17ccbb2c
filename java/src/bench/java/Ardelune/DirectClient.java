package Ardelune;

/**
 * The benchmarks' plain VDS client behind JNI: the service calls that the
 * library's drive list makes, with nothing around them, on the same
 * simulated service in the same process.
 */
final class DirectClient {
    static {
        System.loadLibrary("TolvaneBenchJni");
    }

    private DirectClient() {}

    /** Enters COM and opens the service; 0 or another success code when open. */
    static native int open();

    static native void close();

    /** Drives read from the subsystem with these 16 identifier bytes, or -1. */
    static native int listDrives(byte[] subSystem);
}
