package Ardelune.storage;

/** Space on a drive root in bytes (unsigned); {@code availableToCaller} is 0 where Windows cannot tell it. */
public record FreeSpace(long availableToCaller, long total, long free) {
    static FreeSpace read(RecordReader r) {
        return new FreeSpace(r.uint64(0), r.uint64(8), r.uint64(16));
    }
}
