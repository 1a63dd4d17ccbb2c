package Ardelune.demo;

/** An indented outline, kept in memory so that it reaches the console in one piece. */
final class Tree {
    private static final String INDENT = "  ";
    private final StringBuilder text = new StringBuilder();

    Tree line(int depth, String line) {
        text.append(INDENT.repeat(depth)).append(line).append('\n');
        return this;
    }

    /** A heading with the number of entries under it, or why there are none to show. */
    Tree heading(int depth, String title, Replies.Listing<?> listing) {
        String detail = listing.ok() ? " (" + listing.records().size() + ")" : " " + listing.problem();
        return line(depth, title + detail);
    }

    @Override
    public String toString() {
        return text.toString();
    }
}
