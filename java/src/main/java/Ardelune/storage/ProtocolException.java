package Ardelune.storage;

/**
 * A reply that does not parse: wrong command, wrong length, a record that
 * runs past the reply, a count that disagrees with the records, or a status
 * this client does not know. Points at a fault in the library or a mismatch
 * between it and this client, never at the caller.
 */
public final class ProtocolException extends StorageException {
    private static final long serialVersionUID = 1L;

    ProtocolException(Command command, int status, String message) {
        super(command, status, 0, "unreadable reply: " + message);
    }
}
