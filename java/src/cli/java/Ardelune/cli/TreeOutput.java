package Ardelune.cli;

import java.io.PrintStream;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.LinkedHashMap;
import java.util.LinkedHashSet;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Set;

/**
 * Writes objects of the storage tree: as an outline, a flat table, one JSON
 * document shaped like a topology file, or one JSON object per line. With
 * kinds chosen, each chosen object stands under its nearest chosen ancestor.
 */
final class TreeOutput {
    /** Columns that are not fields of their own, or that read a field under a plainer name. */
    private static final List<String> DERIVED = List.of("kind", "name", "size", "type", "status", "health", "id",
        "parent");
    static final List<String> OUTLINE_COLUMNS = List.of("kind", "name", "size", "type", "status", "health", "id");
    static final List<String> TABLE_COLUMNS = List.of("kind", "name", "size", "type", "status", "health", "id",
        "parent");

    private final Values.Format format;
    private final List<Node> chosen = new ArrayList<>();
    private final Map<Node, Node> chosenParent = new HashMap<>();
    private final Map<Node, Integer> depth = new HashMap<>();

    TreeOutput(List<Node> roots, Set<Kind> kinds, Values.Format format) {
        this.format = format;
        for (Node root : roots) choose(root, null, kinds);
    }

    private void choose(Node node, Node nearest, Set<Kind> kinds) {
        Node next = nearest;
        if (kinds.isEmpty() || kinds.contains(node.kind)) {
            chosen.add(node);
            chosenParent.put(node, nearest);
            depth.put(node, nearest == null ? 0 : depth.get(nearest) + 1);
            next = node;
        }
        for (Node c : node.children) choose(c, next, kinds);
    }

    /**
     * The canonical names of {@code requested} columns, matched without
     * regard to case against the derived columns and the fields of the
     * chosen objects.
     *
     * @throws IllegalArgumentException naming a column none of them has
     */
    List<String> columns(List<String> requested) {
        Map<String, String> known = new LinkedHashMap<>();
        for (String d : DERIVED) known.put(d.toLowerCase(Locale.ROOT), d);
        for (Node n : chosen) for (String f : n.fields.keySet()) known.putIfAbsent(f.toLowerCase(Locale.ROOT), f);
        List<String> out = new ArrayList<>();
        for (String r : requested) {
            String name = known.get(r.strip().toLowerCase(Locale.ROOT));
            if (name == null) {
                throw new IllegalArgumentException("no field '" + r.strip() + "'; fields here: "
                    + String.join(",", new LinkedHashSet<>(known.values())));
            }
            out.add(name);
        }
        return out;
    }

    void outline(PrintStream out, List<String> columns, boolean headings) {
        Table t = new Table();
        if (headings) t.add(headings(columns));
        for (Node n : chosen) {
            String[] row = cells(n, columns);
            row[0] = "  ".repeat(depth.get(n)) + row[0];
            t.add(row);
        }
        t.print(out);
    }

    void table(PrintStream out, List<String> columns, boolean headings) {
        Table t = new Table();
        if (headings) t.add(headings(columns));
        for (Node n : chosen) t.add(cells(n, columns));
        t.print(out);
    }

    /** One document: the chosen roots in their topology arrays, each with its chosen descendants nested. */
    void json(PrintStream out, List<String> fields) {
        Map<String, Object> doc = new LinkedHashMap<>();
        nest(doc, null, fields);
        out.println(Json.write(doc));
    }

    /** One object per line, its kind and parent first, without its children. */
    void jsonLines(PrintStream out, List<String> fields) {
        for (Node n : chosen) {
            Map<String, Object> line = new LinkedHashMap<>();
            if (fields == null || fields.contains("kind")) line.put("kind", n.kind.label);
            if (n.parent != null && n.parent.id != null && (fields == null || fields.contains("parent"))) {
                line.put("parent", Values.id(n.parent.id));
            }
            line.putAll(ownFields(n, fields));
            out.println(Json.write(line));
        }
    }

    private void nest(Map<String, Object> into, Node parent, List<String> fields) {
        for (Node n : chosen) {
            if (chosenParent.get(n) != parent) continue;
            Map<String, Object> object = ownFields(n, fields);
            nest(object, n, fields);
            @SuppressWarnings("unchecked")
            List<Object> group = (List<Object>) into.computeIfAbsent(n.group, g -> new ArrayList<Object>());
            group.add(object);
        }
    }

    /** An object as a topology file writes it: its fields, then its children in their arrays. */
    Map<String, Object> whole(Node n) {
        Map<String, Object> object = ownFields(n, null);
        n.childGroups().forEach((group, nodes) -> object.put(group, nodes.stream().map(this::whole).toList()));
        return object;
    }

    private Map<String, Object> ownFields(Node n, List<String> fields) {
        Map<String, Object> out = new LinkedHashMap<>();
        n.fields.forEach((k, v) -> {
            if (fields == null || fields.contains(k)) out.put(k, format.json(v));
        });
        return out;
    }

    /** Every field of each object, its parent and its children's identifiers, for people. */
    void details(PrintStream out, List<Node> nodes) {
        boolean first = true;
        for (Node n : nodes) {
            if (!first) out.println();
            first = false;
            out.println(n.kind.label + " " + Values.id(n.id));
            Table t = new Table();
            n.fields.forEach((k, v) -> t.add("  " + k, format.text(v)));
            if (n.parent != null) t.add("  parent", Values.id(n.parent.id) + " (" + n.parent.kind.label + ")");
            n.childGroups().forEach((group, children) -> t.add("  " + group, String.join(", ",
                children.stream().map(c -> c.id != null ? Values.id(c.id) : c.displayName() + " at "
                    + format.text(c.fields.get("offset"))).toList())));
            t.print(out);
        }
    }

    private String[] headings(List<String> columns) {
        return columns.stream().map(c -> c.toUpperCase(Locale.ROOT)).toArray(String[]::new);
    }

    private String[] cells(Node n, List<String> columns) {
        String[] row = new String[columns.size()];
        for (int i = 0; i < row.length; i++) row[i] = format.text(column(n, columns.get(i)));
        return row;
    }

    private static Object column(Node n, String name) {
        return switch (name) {
            case "kind" -> n.kind.label;
            case "name" -> n.displayName();
            case "id" -> n.id;
            case "parent" -> n.parent == null ? null : n.parent.id;
            case "type" -> n.kind == Kind.PROVIDER ? (n.group.startsWith("hardware") ? "hardware" : "software")
                : n.kind == Kind.DISK ? n.fields.get("style") : n.fields.get("type");
            default -> n.fields.get(name);
        };
    }
}
