package Ardelune;

import java.util.ArrayList;

/**
 * The Java face of the native storage-management bridge. One instance opens
 * the process's connection to the Virtual Disk Service with
 * {@link #Initialize()}, runs binary requests with {@link #CmdHandler} and
 * receives the service's change notifications in {@link #onNotify}.
 */
public class Tolvane {
    static {
        // libTolvane.so or Tolvane.dll, found on java.library.path.
        System.loadLibrary("Tolvane");
    }

    /**
     * Opens the connection and makes this object the receiver of
     * notifications. Called on another instance while the connection is open,
     * it keeps the connection and moves later batches to that instance; a
     * batch already under way still goes, whole, to the receiver it started
     * with. Any thread may call it. If the previous connection is still being
     * given back after {@link #Uninitialize()}, it waits for that first; from
     * inside that connection's own {@link #onNotify} it returns 0x8001010D
     * instead of waiting for itself.
     *
     * @return 0 when connected, 1 when connected after waiting for a service
     *     that was still starting, or a negative COM result code
     */
    public native int Initialize();

    /**
     * Closes the connection. Safe from any thread, from inside
     * {@link #onNotify}, and while holding a lock that a running
     * {@code onNotify} waits for: it never waits for a notification that is
     * in Java. Once it returns no {@code onNotify} call starts; one already
     * running runs to its end.
     */
    public native void Uninitialize();

    /**
     * Runs one request.
     *
     * @param request the request bytes: a 4-byte header (command code at
     *     offset 2) and the command's payload
     * @param size how many bytes of {@code request} form the request; values
     *     outside 0 to {@code request.length} are clamped to the array
     * @return the reply (12-byte header, then the payload), or an empty array
     *     for a request that is too short or names an unknown command
     */
    public native byte[] CmdHandler(byte[] request, int size);

    /**
     * Called on a native thread for every batch of notifications; two batches
     * may be delivered at the same time on different threads.
     *
     * @param count the number of notifications in the batch
     * @param list one 48-byte VDS_NOTIFICATION record per notification, in the
     *     order the service reported them
     */
    public void onNotify(long count, ArrayList<byte[]> list) {}
}
