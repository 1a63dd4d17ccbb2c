package Ardelune.storage;

/** A call to the Virtual Disk Service, or the operation it started, failed with {@link #resultCode()}. */
public final class VdsException extends StorageException {
    private static final long serialVersionUID = 1L;

    VdsException(Command command, int status, int resultCode) {
        super(command, status, resultCode, "the service answered " + ResultCodes.describe(resultCode));
    }
}
