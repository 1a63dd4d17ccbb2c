package Ardelune.storage;

/** The disk that the request names cannot be partitioned through the service (no advanced-disk interface). */
public final class NoAdvancedDiskException extends StorageException {
    private static final long serialVersionUID = 1L;

    NoAdvancedDiskException(Command command, int status) {
        super(command, status, 0, "the disk does not offer partition management");
    }
}
