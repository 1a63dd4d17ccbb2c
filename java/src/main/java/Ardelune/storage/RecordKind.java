package Ardelune.storage;

/**
 * How one kind of record is found and read in a list reply: how long the
 * record at a given place is, the least it can be, and how to read it.
 */
final class RecordKind<R> {
    /** Reads one record from a reader that spans exactly that record. */
    interface Decoder<R> {
        R read(RecordReader record);
    }

    /** The length of the record that starts where {@code rest} (the rest of the reply) starts. */
    interface Length {
        int of(RecordReader rest);
    }

    private final Length length;
    private final int minimumLength;
    private final int trailerPerRecord;
    private final Decoder<R> decoder;

    private RecordKind(Length length, int minimumLength, int trailerPerRecord, Decoder<R> decoder) {
        this.length = length;
        this.minimumLength = minimumLength;
        this.trailerPerRecord = trailerPerRecord;
        this.decoder = decoder;
    }

    static <R> RecordKind<R> fixed(int length, Decoder<R> decoder) {
        return new RecordKind<>(rest -> length, length, 0, decoder);
    }

    /** A record that states its own total length at offset 0 and is at least {@code fixedPart} long. */
    static <R> RecordKind<R> sized(int fixedPart, Decoder<R> decoder) {
        return new RecordKind<>(rest -> rest.int32(0), fixedPart, 0, decoder);
    }

    /**
     * A record whose length follows from its own fields, and that leaves
     * {@code trailerPerRecord} zero bytes per record after the last one.
     */
    static <R> RecordKind<R> computed(int minimum, int trailerPerRecord, Length length, Decoder<R> decoder) {
        return new RecordKind<>(length, minimum, trailerPerRecord, decoder);
    }

    /** Zero bytes that the reply carries after the last record, per record. */
    int trailerPerRecord() {
        return trailerPerRecord;
    }

    /** The length of the record at {@code at}, checked against the {@code end} of the records. */
    int lengthAt(Command command, byte[] reply, int at, int end) {
        int remaining = end - at;
        int length = this.length.of(new RecordReader(command, reply, at, remaining));
        if (length < minimumLength || length > remaining) {
            throw new ProtocolException(command, 0, "a record of " + length + " bytes at offset " + at
                + " where " + remaining + " bytes remain");
        }
        return length;
    }

    R read(Command command, byte[] reply, int at, int length) {
        return decoder.read(new RecordReader(command, reply, at, length));
    }
}
