package Ardelune.storage;

import java.util.UUID;

/** A folder on one volume that mounts another: the source volume and the folder's path. */
public record ReparsePoint(UUID sourceVolume, String path) {
    // The library counts two bytes more per entry than it writes, and leaves
    // them as zeros after the last entry.
    static final RecordKind<ReparsePoint> KIND = RecordKind.computed(18, 2, rest -> 18 + rest.uint16(16),
        r -> new ReparsePoint(r.id(0), r.textAt(18, r.length() - 18)));
}
