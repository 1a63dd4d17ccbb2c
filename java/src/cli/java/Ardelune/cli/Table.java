package Ardelune.cli;

import java.io.PrintStream;
import java.util.ArrayList;
import java.util.List;

/** Columns of text aligned on the widest cell; the last column is not padded. */
final class Table {
    private final List<String[]> rows = new ArrayList<>();

    void add(String... cells) {
        rows.add(cells);
    }

    void print(PrintStream out) {
        int columns = rows.stream().mapToInt(r -> r.length).max().orElse(0);
        int[] width = new int[columns];
        for (String[] row : rows) {
            for (int i = 0; i < row.length; i++) width[i] = Math.max(width[i], row[i].codePointCount(0, row[i].length()));
        }
        for (String[] row : rows) {
            StringBuilder line = new StringBuilder();
            for (int i = 0; i < row.length; i++) {
                line.append(row[i]);
                if (i < row.length - 1) line.append(" ".repeat(width[i] - row[i].codePointCount(0, row[i].length()) + 2));
            }
            out.println(line.toString().stripTrailing());
        }
    }
}
