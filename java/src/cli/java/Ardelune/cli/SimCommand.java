package Ardelune.cli;

import Ardelune.sim.SimulatedService;
import Ardelune.storage.HardwareStatus;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.LinkedHashMap;
import java.util.Locale;
import java.util.Map;
import java.util.UUID;
import java.util.concurrent.Callable;
import picocli.CommandLine.Command;
import picocli.CommandLine.ITypeConverter;
import picocli.CommandLine.Option;
import picocli.CommandLine.Parameters;
import picocli.CommandLine.TypeConversionException;

/**
 * Steers the simulated machine. Only off Windows, where the library talks to
 * the simulated service; a change is kept only in the state file that
 * TOLVANE_SIM_STATE names, since without one the machine ends with this
 * process, so the changing commands refuse to run without it.
 */
@Command(name = "sim", mixinStandardHelpOptions = true,
    description = {"Steers the simulated machine of TOLVANE_SIM_STATE (off Windows only).",
        "load, reset, fail, remove and fault change it, and so need TOLVANE_SIM_STATE: without a state file the"
        + " machine lives only as long as this command. save and digest also read the machine of"
        + " TOLVANE_SIM_TOPOLOGY, or the built-in one, when no state file is named."},
    subcommands = {SimCommand.Load.class, SimCommand.Save.class, SimCommand.Reset.class, SimCommand.Fail.class,
                   SimCommand.Remove.class, SimCommand.Fault.class, SimCommand.Digest.class},
    footer = {"", "Example:", "  TOLVANE_SIM_STATE=/var/tmp/lab.db tolvane sim fail 40000000-0000-4000-8000-000000000003"})
final class SimCommand implements Callable<Integer> {
    static final String STATE = "TOLVANE_SIM_STATE";

    @Override
    public Integer call() {
        throw Main.usageError(this, "a sim command is needed");
    }

    /** Refuses on Windows, where there is no simulated service. */
    static void offWindows() {
        if (System.getProperty("os.name", "").startsWith("Windows")) {
            throw new CliFailure(Failures.USAGE, "tolvane sim steers the simulated service, which exists only off"
                + " Windows; on Windows the library uses the real Virtual Disk Service");
        }
    }

    /** Refuses a change that no state file would keep. */
    static void changing(String command) {
        offWindows();
        String state = System.getenv(STATE);
        if (state == null || state.isEmpty()) {
            throw new CliFailure(Failures.USAGE, "tolvane sim " + command + " changes the simulated machine, which"
                + " without a state file lives only as long as this command: name one in " + STATE
                + " (see docs/state-file.md)");
        }
    }

    static UUID id(String value) {
        return ExecCommand.IdConverter.strict(value);
    }

    static final class Id implements ITypeConverter<UUID> {
        @Override
        public UUID convert(String value) {
            return id(value);
        }
    }

    @Command(name = "load", mixinStandardHelpOptions = true,
        description = "Replaces the machine with the one a topology file describes (docs/topology.md).",
        footer = {"", "Example:", "  tolvane sim load simulator/topologies/default.json"})
    static final class Load implements Callable<Integer> {
        @Parameters(paramLabel = "FILE")
        Path file;

        @Override
        public Integer call() {
            changing("load");
            if (!Files.isReadable(file)) throw new CliFailure(Failures.USAGE, "cannot read " + file);
            SimulatedService.loadTopology(file);
            return 0;
        }
    }

    @Command(name = "save", mixinStandardHelpOptions = true,
        description = "Writes the machine as it stands as a topology file; loading it gives the same machine.",
        footer = {"", "Example:", "  tolvane sim save lab.json"})
    static final class Save implements Callable<Integer> {
        @Parameters(paramLabel = "FILE")
        Path file;

        @Override
        public Integer call() {
            offWindows();
            SimulatedService.saveTopology(file);
            return 0;
        }
    }

    @Command(name = "reset", mixinStandardHelpOptions = true,
        description = "Puts back the machine of TOLVANE_SIM_TOPOLOGY, or the built-in one, telling every"
            + " listener what differs.",
        footer = {"", "Example:", "  tolvane sim reset"})
    static final class Reset implements Callable<Integer> {
        @Override
        public Integer call() {
            changing("reset");
            SimulatedService.resetToTopology();
            SimulatedService.waitIdle();
            return 0;
        }
    }

    @Command(name = "fail", mixinStandardHelpOptions = true,
        description = {"Fails an object as hardware fails by itself (status FAILED): a drive, LUN, controller,"
            + " disk, volume...",
            "What follows (a hot spare standing in, a rebuild) runs before the command ends: this process is the"
            + " one that does it."},
        footer = {"", "Example:", "  tolvane sim fail 40000000-0000-4000-8000-000000000003"})
    static final class Fail implements Callable<Integer> {
        @Parameters(paramLabel = "ID", converter = Id.class)
        UUID id;

        @Option(names = "--json", description = "Whether the status changed, as JSON.")
        boolean json;

        @Override
        public Integer call() {
            changing("fail");
            boolean changed = SimulatedService.setStatus(id, HardwareStatus.FAILED.code());
            // Spares and rebuilds run on the worker of the process that made
            // the change; leaving before they end would stop them half-way.
            SimulatedService.waitIdle();
            if (json) {
                Map<String, Object> doc = new LinkedHashMap<>();
                doc.put("id", Values.id(id));
                doc.put("changed", changed);
                Main.OUT.println(Json.write(doc));
            } else if (!changed) {
                Main.ERR.println("tolvane: " + Values.id(id) + " had already failed");
            }
            return 0;
        }
    }

    @Command(name = "remove", mixinStandardHelpOptions = true,
        description = "Takes an object and everything under it out of the machine, as a pulled drive or a lost"
            + " disk.",
        footer = {"", "Example:", "  tolvane sim remove 40000000-0000-4000-8000-000000000006"})
    static final class Remove implements Callable<Integer> {
        @Parameters(paramLabel = "ID", converter = Id.class)
        UUID id;

        @Override
        public Integer call() {
            changing("remove");
            SimulatedService.removeObject(id);
            SimulatedService.waitIdle();
            return 0;
        }
    }

    @Command(name = "fault", mixinStandardHelpOptions = true,
        description = {"Makes calls of METHOD (Interface::Method) fail with HRESULT, in every process on the"
            + " state file: the fault is kept there, and its Nth call is counted over them all."},
        footer = {"", "Example:", "  tolvane sim fault IVdsLun::SetStatus 0x80042431 --nth 1"})
    static final class Fault implements Callable<Integer> {
        @Parameters(index = "0", paramLabel = "METHOD", description = "e.g. IVdsSubSystem::QueryDrives")
        String method;

        @Parameters(index = "1", paramLabel = "HRESULT", converter = Hresult.class, description = "e.g. 0x80042431")
        int hresult;

        @Option(names = "--nth", paramLabel = "N", description = "Only the Nth call from now fails; 0 (the default),"
            + " every call.")
        int nth;

        @Override
        public Integer call() {
            changing("fault");
            if (nth < 0) throw new CliFailure(Failures.USAGE, "--nth is 0 or more");
            if (!method.matches("\\w+::\\w+")) {
                throw new CliFailure(Failures.USAGE, "'" + method + "' is no Interface::Method");
            }
            SimulatedService.injectFault(method, nth, hresult);
            return 0;
        }
    }

    static final class Hresult implements ITypeConverter<Integer> {
        @Override
        public Integer convert(String value) {
            String v = value.strip().toLowerCase(Locale.ROOT);
            try {
                long n = v.startsWith("0x") ? Long.parseLong(v.substring(2), 16) : Long.parseLong(v);
                if (n < Integer.MIN_VALUE || n > 0xFFFFFFFFL) throw new NumberFormatException();
                return (int) n;
            } catch (NumberFormatException e) {
                throw new TypeConversionException("'" + value + "' is no HRESULT (0x80042431)");
            }
        }
    }

    @Command(name = "digest", mixinStandardHelpOptions = true,
        description = "A fingerprint of the whole machine: equal before and after a change that failed.",
        footer = {"", "Example:", "  tolvane sim digest --json"})
    static final class Digest implements Callable<Integer> {
        @Option(names = "--json", description = "As JSON.")
        boolean json;

        @Override
        public Integer call() {
            offWindows();
            String digest = String.format("%016x", SimulatedService.digest());
            Main.OUT.println(json ? Json.write(Map.of("digest", digest)) : digest);
            return 0;
        }
    }
}
