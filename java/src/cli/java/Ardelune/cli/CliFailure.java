package Ardelune.cli;

/** A failure the command itself found, with the exit code it stands for. */
final class CliFailure extends RuntimeException {
    private static final long serialVersionUID = 1L;

    final int exitCode;

    CliFailure(int exitCode, String message) {
        super(message);
        this.exitCode = exitCode;
    }
}
