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
import picocli.CommandLine.Model.CommandSpec;
import picocli.CommandLine.Option;
import picocli.CommandLine.ParameterException;
import picocli.CommandLine.ScopeType;
import picocli.CommandLine.Spec;

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

    @Spec
    CommandSpec spec;

    @Override
    public Integer call() {
        throw new ParameterException(spec.commandLine(), "a command is needed");
    }

    public static void main(String[] args) {
        System.exit(run(args));
    }

    static int run(String[] args) {
        CommandLine cli = new CommandLine(new Main());
        cli.setOut(new PrintWriter(new OutputStreamWriter(OUT, StandardCharsets.UTF_8), true));
        cli.setErr(new PrintWriter(new OutputStreamWriter(ERR, StandardCharsets.UTF_8), true));
        cli.setExecutionExceptionHandler(Failures::handle);
        int code = cli.execute(args);
        OUT.flush();
        return code;
    }
}
