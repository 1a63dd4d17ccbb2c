package Ardelune.cli;

import java.io.FileDescriptor;
import java.io.FileOutputStream;
import java.io.OutputStreamWriter;
import java.io.PrintStream;
import java.io.PrintWriter;
import java.nio.charset.StandardCharsets;
import java.util.concurrent.Callable;
import picocli.CommandLine;
import picocli.CommandLine.Command;
import picocli.CommandLine.Option;
import picocli.CommandLine.ParameterException;
import picocli.CommandLine.ScopeType;

/** {@code tolvane}: what the storage library sees, from the command line. */
@Command(name = "tolvane", mixinStandardHelpOptions = true, version = "tolvane 1.0",
    description = "Lists, shows and watches the storage that the Tolvane library sees through the Virtual Disk"
        + " Service, sends it raw requests, and steers the simulated machine off Windows.",
    subcommands = {ListCommand.class, ShowCommand.class, WatchCommand.class, RescanCommand.class,
                   ExecCommand.class, SimCommand.class, CommandLine.HelpCommand.class},
    footer = {"", "Exit codes: 0 success, 1 internal or protocol error, 2 usage, 3 object not found,",
              "4 VDS or system error, 5 cannot connect or state file in use.",
              "", "Example:", "  tolvane list -l drive lun"})
public final class Main implements Callable<Integer> {
    /** Data goes here, in UTF-8 whatever the locale: names hold accented letters, JSON must be UTF-8. */
    static final PrintStream OUT = new PrintStream(new FileOutputStream(FileDescriptor.out), true,
        StandardCharsets.UTF_8);
    static final PrintStream ERR = new PrintStream(new FileOutputStream(FileDescriptor.err), true,
        StandardCharsets.UTF_8);

    @Option(names = "--trace", scope = ScopeType.INHERIT,
        description = "Show the library's own log lines on standard error (the launcher sets TOLVANE_LOG=stderr),"
            + " and the stack of an internal error.")
    boolean trace;

    // The command line being run, through which a command finds its own to
    // report a usage error as picocli reports its own.
    private static CommandLine running;

    @Override
    public Integer call() {
        throw usageError(this, "a command is needed");
    }

    /** A usage error of {@code command}: its message, then that command's usage, and exit code 2. */
    static ParameterException usageError(Object command, String message) {
        CommandLine line = lineOf(running, command);
        return new ParameterException(line != null ? line : running, message);
    }

    private static CommandLine lineOf(CommandLine line, Object command) {
        if (line.getCommand() == command) return line;
        for (CommandLine sub : line.getSubcommands().values()) {
            CommandLine found = lineOf(sub, command);
            if (found != null) return found;
        }
        return null;
    }

    public static void main(String[] args) {
        System.exit(run(args));
    }

    static int run(String[] args) {
        CommandLine cli = new CommandLine(new Main());
        cli.setOut(new PrintWriter(new OutputStreamWriter(OUT, StandardCharsets.UTF_8), true));
        cli.setErr(new PrintWriter(new OutputStreamWriter(ERR, StandardCharsets.UTF_8), true));
        cli.setExecutionExceptionHandler(Failures::handle);
        running = cli;
        int code = cli.execute(args);
        OUT.flush();
        return code;
    }
}
