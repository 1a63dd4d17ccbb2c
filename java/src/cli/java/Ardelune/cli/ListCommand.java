package Ardelune.cli;

import Ardelune.storage.StorageSession;
import java.util.EnumSet;
import java.util.List;
import java.util.Set;
import java.util.concurrent.Callable;
import picocli.CommandLine.ArgGroup;
import picocli.CommandLine.Command;
import picocli.CommandLine.Option;
import picocli.CommandLine.Parameters;

@Command(name = "list", mixinStandardHelpOptions = true,
    description = {"The storage tree: providers, subsystems, controllers, drives, LUNs and their plexes;"
        + " packs, disks, partitions, volumes and their plexes.",
        "With KINDs, only objects of those kinds, each under its nearest listed ancestor."},
    footer = {"", "Kinds: provider, subsystem, controller, drive, lun, lun-plex, pack, disk, partition, volume,"
        + " volume-plex (plurals too).",
        "JSON uses the field names of topology files (docs/topology.md); --json nests the objects as such a file"
        + " does.", "", "Examples:", "  tolvane list", "  tolvane list -l -o id,name,size,bus,slot drive",
        "  tolvane list --jsonl volume"})
final class ListCommand implements Callable<Integer> {
    @Parameters(paramLabel = "KIND", arity = "0..*", description = "Kinds of object to list (default: all).")
    List<String> kinds = List.of();

    @Option(names = "-l", description = "A flat table instead of an outline.")
    boolean flat;

    @ArgGroup(exclusive = true)
    JsonForm json = new JsonForm();

    static final class JsonForm {
        @Option(names = "--json", description = "One JSON document shaped like a topology file.")
        boolean document;

        @Option(names = "--jsonl", description = "One JSON object per line, with its kind and parent.")
        boolean lines;
    }

    @Option(names = "-o", split = ",", paramLabel = "FIELDS",
        description = "The columns (or JSON fields) to show, e.g. id,name,size; any field of the objects listed.")
    List<String> fields;

    @Option(names = "-b", description = "Sizes in bytes instead of binary units.")
    boolean bytes;

    @Option(names = "-n", description = "No headings.")
    boolean noHeadings;

    @Override
    public Integer call() {
        Set<Kind> chosen = EnumSet.noneOf(Kind.class);
        for (String k : kinds) {
            try {
                chosen.add(Kind.parse(k));
            } catch (IllegalArgumentException e) {
                throw Main.usageError(this, e.getMessage());
            }
        }
        List<Node> roots;
        try (StorageSession session = StorageSession.open()) {
            roots = new TreeReader(session).read();
        }
        TreeOutput output = new TreeOutput(roots, chosen, new Values.Format(bytes));
        List<String> columns = null;
        if (fields != null) {
            try {
                columns = output.columns(fields);
            } catch (IllegalArgumentException e) {
                throw Main.usageError(this, e.getMessage());
            }
        }
        if (json.document) {
            output.json(Main.OUT, columns);
        } else if (json.lines) {
            output.jsonLines(Main.OUT, columns);
        } else if (flat) {
            output.table(Main.OUT, columns != null ? columns : TreeOutput.TABLE_COLUMNS, !noHeadings);
        } else {
            output.outline(Main.OUT, columns != null ? columns : TreeOutput.OUTLINE_COLUMNS, !noHeadings);
        }
        return 0;
    }
}
