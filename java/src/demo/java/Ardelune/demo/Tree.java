package Ardelune.demo;

import java.util.List;

/** An indented outline, kept in memory so that it reaches the console in one piece. */
final class Tree {
    private static final String INDENT = "  ";
    private final StringBuilder text = new StringBuilder();

    Tree line(int depth, String line) {
        text.append(INDENT.repeat(depth)).append(line).append('\n');
        return this;
    }

    /** A heading with the number of entries under it. */
    Tree heading(int depth, String title, List<?> entries) {
        return line(depth, title + " (" + entries.size() + ")");
    }

    @Override
    public String toString() {
        return text.toString();
    }
}
