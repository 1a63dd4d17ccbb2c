package Ardelune.storage;

import java.util.ArrayList;
import java.util.function.BiConsumer;

/**
 * The three natives and the notification callback, as the client uses them.
 * An interface so that the class behind it may come from the class loader
 * that found the native library.
 */
public interface NativeBridge {
    /** Opens the connection; the native's result (0 or 1 connected, negative a COM error). */
    int initialize();

    /** Closes the connection. */
    void uninitialize();

    /** Runs one whole request; the reply, empty when the library gave none. */
    byte[] command(byte[] request);

    /** Where each batch of notifications goes: the count the library announced, and the records. */
    void receiveWith(BiConsumer<Long, ArrayList<byte[]>> receiver);
}
