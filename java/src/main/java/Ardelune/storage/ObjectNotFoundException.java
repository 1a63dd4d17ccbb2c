package Ardelune.storage;

/**
 * The service does not know an object that the request named (or, for the
 * provider lists, the service never became ready or could not list them).
 */
public final class ObjectNotFoundException extends StorageException {
    private static final long serialVersionUID = 1L;

    private final int argument;

    ObjectNotFoundException(Command command, int status, int argument) {
        super(command, status, 0, "the " + ordinal(argument) + " object of the request is unknown to the service");
        this.argument = argument;
    }

    /** Which of the objects that the request names is unknown: 1 for the first, up to 4. */
    public int argument() {
        return argument;
    }

    private static String ordinal(int n) {
        return switch (n) {
            case 1 -> "first";
            case 2 -> "second";
            case 3 -> "third";
            default -> n + "th";
        };
    }
}
