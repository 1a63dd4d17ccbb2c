package Ardelune.cli;

import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.UUID;

/**
 * One object of the storage tree as the library shows it: its fields under
 * the topology format's names, in that format's order, and its children in
 * the order the service lists them.
 */
final class Node {
    final Kind kind;
    /** Null for a partition, which the service names by its disk and offset. */
    final UUID id;
    final Node parent;
    /** The topology array this object stands in: "drives", "hardwareProviders", ... */
    final String group;
    final Map<String, Object> fields;
    final List<Node> children = new ArrayList<>();

    Node(Kind kind, UUID id, Node parent, String group, Map<String, Object> fields) {
        this.kind = kind;
        this.id = id;
        this.parent = parent;
        this.group = group;
        this.fields = fields;
        if (parent != null) parent.children.add(this);
    }

    /** The children grouped by their topology array, each group in the order the first of it came. */
    Map<String, List<Node>> childGroups() {
        Map<String, List<Node>> groups = new LinkedHashMap<>();
        for (Node c : children) groups.computeIfAbsent(c.group, g -> new ArrayList<>()).add(c);
        return groups;
    }

    /** The name people know it by: a friendly name, a name, or a partition's number. */
    String displayName() {
        Object name = fields.get("friendlyName");
        if (name == null || name.toString().isEmpty()) name = fields.get("name");
        if (kind == Kind.PARTITION) name = "#" + fields.get("number");
        return name == null ? "" : name.toString();
    }

    /** This object and everything under it, parents before children. */
    void walk(List<Node> out) {
        out.add(this);
        for (Node c : children) c.walk(out);
    }
}
