package Ardelune.storage;

/** A Windows call failed; {@link #resultCode()} is its Win32 error code. */
public final class SystemErrorException extends StorageException {
    private static final long serialVersionUID = 1L;

    SystemErrorException(Command command, int status, int errorCode) {
        super(command, status, errorCode, "Windows error " + Integer.toUnsignedString(errorCode));
    }

    @Override
    public String resultName() {
        return "Win32 error " + Integer.toUnsignedString(resultCode());
    }
}
