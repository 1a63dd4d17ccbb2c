package Ardelune.cli;

import Ardelune.storage.StorageSession;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.UUID;
import java.util.concurrent.Callable;
import picocli.CommandLine.Command;
import picocli.CommandLine.Option;
import picocli.CommandLine.Parameters;

@Command(name = "show", mixinStandardHelpOptions = true,
    description = "Every field of each object named, its parent, and its children's identifiers.",
    footer = {"", "With --json one object is written as a topology file writes it, its children nested whole;"
        + " several objects make an array.", "", "Examples:", "  tolvane show 40000000-0000-4000-8000-000000000003",
        "  tolvane show --json 50000000-0000-4000-8000-000000000002"})
final class ShowCommand implements Callable<Integer> {
    @Parameters(paramLabel = "ID", arity = "1..*", converter = StrictId.class, description = "Identifiers of objects (any kind but partition).")
    List<UUID> ids;

    @Option(names = "--json", description = "JSON under the field names of topology files.")
    boolean json;

    @Option(names = "-b", description = "Sizes in bytes instead of binary units.")
    boolean bytes;

    static final class StrictId implements picocli.CommandLine.ITypeConverter<UUID> {
        @Override
        public UUID convert(String value) {
            return ExecCommand.IdConverter.strict(value);
        }
    }

    @Override
    public Integer call() {
        List<Node> roots;
        try (StorageSession session = StorageSession.open()) {
            roots = new TreeReader(session).read();
        }
        Map<UUID, Node> byId = new HashMap<>();
        List<Node> all = new ArrayList<>();
        for (Node r : roots) r.walk(all);
        for (Node n : all) if (n.id != null) byId.put(n.id, n);
        List<Node> found = new ArrayList<>();
        for (UUID id : ids) {
            Node n = byId.get(id);
            if (n == null) throw new CliFailure(Failures.NOT_FOUND, "no object " + Values.id(id) + " in the storage tree");
            found.add(n);
        }
        TreeOutput output = new TreeOutput(List.of(), Set.of(), new Values.Format(bytes));
        if (json) {
            List<Object> objects = found.stream().<Object>map(output::whole).toList();
            Main.OUT.println(Json.write(objects.size() == 1 ? objects.get(0) : objects));
        } else {
            output.details(Main.OUT, found);
        }
        return 0;
    }
}
