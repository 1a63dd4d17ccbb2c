package Ardelune.cli;

import java.util.Locale;

/**
 * The kinds of object in the storage tree, each with the name it goes by on
 * the command line and the array its objects stand in within a topology file.
 */
enum Kind {
    PROVIDER("provider", null),
    SUBSYSTEM("subsystem", "subsystems"),
    CONTROLLER("controller", "controllers"),
    DRIVE("drive", "drives"),
    LUN("lun", "luns"),
    LUN_PLEX("lun-plex", "plexes"),
    PACK("pack", "packs"),
    DISK("disk", "disks"),
    PARTITION("partition", "partitions"),
    VOLUME("volume", "volumes"),
    VOLUME_PLEX("volume-plex", "plexes");

    final String label;
    /** The topology array that holds objects of this kind; providers have one per type. */
    final String group;

    Kind(String label, String group) {
        this.label = label;
        this.group = group;
    }

    /** The kind a word names: its label or the label's plural, in any case, '_' for '-'. */
    static Kind parse(String word) {
        String w = word.toLowerCase(Locale.ROOT).replace('_', '-');
        for (Kind k : values()) {
            if (w.equals(k.label) || w.equals(k.label + "s") || w.equals(k.label.replace("-", ""))) return k;
        }
        throw new IllegalArgumentException("unknown kind '" + word + "'; kinds: " + labels());
    }

    static String labels() {
        StringBuilder b = new StringBuilder();
        for (Kind k : values()) b.append(b.length() == 0 ? "" : ", ").append(k.label);
        return b.toString();
    }
}
