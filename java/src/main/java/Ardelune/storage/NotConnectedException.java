package Ardelune.storage;

/**
 * There is no usable connection to the service: the session is closed, the
 * connection could not be opened, or the library gave an empty reply. The
 * client builds every request whole and only with known commands, so an empty
 * reply means the library is not serving (or has a fault), not that the
 * request was wrong.
 */
public final class NotConnectedException extends StorageException {
    private static final long serialVersionUID = 1L;

    NotConnectedException(Command command, int status, int resultCode, String message) {
        super(command, status, resultCode, message);
    }
}
