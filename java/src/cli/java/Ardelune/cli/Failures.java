package Ardelune.cli;

import Ardelune.sim.SimulatorException;
import Ardelune.storage.NotConnectedException;
import Ardelune.storage.ObjectNotFoundException;
import Ardelune.storage.ProtocolException;
import Ardelune.storage.RawExchange;
import Ardelune.storage.StorageException;
import picocli.CommandLine;
import picocli.CommandLine.ParseResult;

/** Turns what a command threw into its message on standard error and the exit code it stands for. */
final class Failures {
    static final int INTERNAL = 1;
    static final int USAGE = 2;
    static final int NOT_FOUND = 3;
    static final int SERVICE = 4;
    static final int UNREACHABLE = 5;

    /** HRESULT_FROM_WIN32(ERROR_DATABASE_FAILURE): the simulated machine's state file cannot be used or stays locked. */
    static final int STATE_FILE_FAILURE = 0x800710D9;
    private static final int OBJECT_NOT_FOUND = 0x80042405;

    private Failures() {}

    static int handle(Exception thrown, CommandLine cli, ParseResult parsed) {
        int code = exitCode(thrown);
        Main.ERR.println("tolvane: " + message(thrown));
        if (code == INTERNAL && parsed.originalArgs().contains("--trace")) thrown.printStackTrace(Main.ERR);
        return code;
    }

    static int exitCode(Throwable thrown) {
        if (thrown instanceof CliFailure f) return f.exitCode;
        if (thrown instanceof ObjectNotFoundException) return NOT_FOUND;
        if (thrown instanceof NotConnectedException) return UNREACHABLE;
        if (thrown instanceof ProtocolException) return INTERNAL;
        if (thrown instanceof StorageException s) return s.resultCode() == STATE_FILE_FAILURE ? UNREACHABLE : SERVICE;
        if (thrown instanceof SimulatorException s) {
            return switch (s.resultCode()) {
                case OBJECT_NOT_FOUND -> NOT_FOUND;
                case STATE_FILE_FAILURE -> UNREACHABLE;
                default -> SERVICE;
            };
        }
        if (thrown instanceof UnsupportedOperationException) return USAGE;
        return INTERNAL;
    }

    static String message(Throwable thrown) {
        if (thrown instanceof CliFailure || thrown instanceof UnsupportedOperationException) return thrown.getMessage();
        if (thrown instanceof StorageException s) {
            // The client's messages already carry the code and its name where it knows one.
            return s.resultCode() == STATE_FILE_FAILURE ? s.getMessage() + " ERROR_DATABASE_FAILURE: " + STATE_FILE_HINT
                : s.getMessage();
        }
        if (thrown instanceof SimulatorException s) {
            String name = named(s.resultCode());
            String text = s.getMessage() + (name.startsWith("0x") ? "" : " (" + name.substring(0, name.indexOf(' ')) + ")");
            return s.resultCode() == STATE_FILE_FAILURE ? text + ": " + STATE_FILE_HINT : text;
        }
        return "internal error: " + thrown;
    }

    private static final String STATE_FILE_HINT = "the state file of TOLVANE_SIM_STATE cannot be used or is held by"
        + " another process";

    /** E.g. "VDS_E_OBJECT_NOT_FOUND 0x80042405". */
    static String named(int resultCode) {
        String name = resultCode == STATE_FILE_FAILURE ? "ERROR_DATABASE_FAILURE" : RawExchange.resultName(resultCode);
        String hex = String.format("0x%08X", resultCode);
        return name.equals(hex) ? hex : name + " " + hex;
    }
}
