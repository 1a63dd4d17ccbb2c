package Ardelune.storage;

/** A partition of a disk; {@code offset} and {@code size} in bytes (unsigned). */
public record Partition(int style, int flags, int number, long offset, long size) {
    static final RecordKind<Partition> KIND = RecordKind.fixed(28, r -> new Partition(
        r.int32(0), r.int32(4), r.int32(8), r.uint64(12), r.uint64(20)));

    public PartitionStyle styleValue() {
        return PartitionStyle.of(style);
    }
}
