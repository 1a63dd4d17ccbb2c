package Ardelune.storage;

/**
 * A command that did not succeed. Carries the command, the status of its
 * reply and the result code that came with it (a VDS or Win32 code, or 0).
 */
public class StorageException extends RuntimeException {
    private static final long serialVersionUID = 1L;

    private final transient Command command;
    private final int status;
    private final int resultCode;

    StorageException(Command command, int status, int resultCode, String message) {
        super(command == null ? message : command + ": " + message);
        this.command = command;
        this.status = status;
        this.resultCode = resultCode;
    }

    /** The command that failed; null for a failure outside any command (connecting). */
    public Command command() {
        return command;
    }

    /** The status of the reply: 0 when the reply itself could not be used. */
    public int status() {
        return status;
    }

    /** The result code that came with the status, or 0. */
    public int resultCode() {
        return resultCode;
    }

    /** The result code's symbolic name, e.g. "VDS_E_OBJECT_NOT_FOUND", or its hexadecimal form. */
    public String resultName() {
        return ResultCodes.name(resultCode);
    }
}
