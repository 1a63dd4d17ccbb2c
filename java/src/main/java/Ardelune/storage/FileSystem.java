package Ardelune.storage;

import java.util.UUID;

/** The file system on a volume. */
public record FileSystem(UUID volume, int type, int flags, long totalAllocationUnits,
                         long availableAllocationUnits, int allocationUnitSize, String label) {
    static final int FIXED_PART = 48;

    static FileSystem read(RecordReader r) {
        return new FileSystem(r.id(0), r.int32(16), r.int32(20), r.uint64(24), r.uint64(32), r.int32(40),
            r.text(44));
    }

    public FileSystemType typeValue() {
        return FileSystemType.of(type);
    }
}
