package Ardelune.demo;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.function.Function;

/** The property records that the storage-tree listings carry, and how each is read. */
public final class Records {
    private Records() {}

    /**
     * How long a record is and how to read it. Records with texts start with
     * their total length (fixed part plus texts); the others have a fixed
     * length and no length field.
     */
    public static final class Layout<R> {
        private final String name;
        private final int fixedPart;
        private final boolean lengthAtStart;
        private final Function<RecordView, R> reader;

        private Layout(String name, int fixedPart, boolean lengthAtStart, Function<RecordView, R> reader) {
            this.name = name;
            this.fixedPart = fixedPart;
            this.lengthAtStart = lengthAtStart;
            this.reader = reader;
        }

        static <R> Layout<R> withTexts(String name, int fixedPart, Function<RecordView, R> reader) {
            return new Layout<>(name, fixedPart, true, reader);
        }

        static <R> Layout<R> fixed(String name, int length, Function<RecordView, R> reader) {
            return new Layout<>(name, length, false, reader);
        }

        /** The length of the record at {@code offset}, checked against what the reply still holds. */
        int lengthAt(byte[] reply, int offset) {
            int left = reply.length - offset;
            int length = fixedPart;
            if (lengthAtStart && left >= 4) {
                length = ByteBuffer.wrap(reply, offset, 4).order(ByteOrder.LITTLE_ENDIAN).getInt();
            }
            if (length < fixedPart || length > left) {
                throw new IllegalArgumentException(
                    name + " at " + offset + " claims " + length + " bytes; " + left + " are left in the reply");
            }
            return length;
        }

        R read(byte[] reply, int offset, int length) {
            return reader.apply(new RecordView(reply, offset, length));
        }
    }

    public record ProviderRecord(ObjectId id, ObjectId versionId, int type, int flags, int stripeSizes,
                                 int rebuildPriority, String name, String version) {
        public static final Layout<ProviderRecord> LAYOUT = Layout.withTexts("ProviderRecord", 60, r ->
            new ProviderRecord(r.id(4), r.id(20), r.int32(36), r.int32(40), r.int32(44), r.int32(48),
                               r.text(52), r.text(56)));
    }

    public record SubSystemRecord(ObjectId id, int flags, int stripeSizes, int status, int health, int buses,
                                  int slotsPerBus, int maxControllers, int rebuildPriority,
                                  String friendlyName, String identification) {
        public static final Layout<SubSystemRecord> LAYOUT = Layout.withTexts("SubSystemRecord", 48, r ->
            new SubSystemRecord(r.id(4), r.int32(20), r.int32(24), r.int16(28), r.int16(30), r.int16(32),
                                r.int16(34), r.int16(36), r.int16(38), r.text(40), r.text(44)));
    }

    public record ControllerRecord(ObjectId id, int status, int health, int ports,
                                   String friendlyName, String identification) {
        public static final Layout<ControllerRecord> LAYOUT = Layout.withTexts("ControllerRecord", 36, r ->
            new ControllerRecord(r.id(4), r.int16(20), r.int16(24), r.int16(26), r.text(28), r.text(32)));
    }

    public record DriveRecord(ObjectId id, long size, int flags, int status, int health, int bus, int slot,
                              String friendlyName, String identification) {
        public static final Layout<DriveRecord> LAYOUT = Layout.withTexts("DriveRecord", 48, r ->
            new DriveRecord(r.id(4), r.uint64(20), r.int32(28), r.int16(32), r.int16(34), r.int16(36),
                            r.int16(38), r.text(40), r.text(44)));
    }

    public record LunRecord(ObjectId id, long size, int flags, int type, int status, int health,
                            int transitionState, int rebuildPriority,
                            String friendlyName, String identification, String unmaskingList) {
        public static final Layout<LunRecord> LAYOUT = Layout.withTexts("LunRecord", 56, r ->
            new LunRecord(r.id(4), r.uint64(20), r.int32(28), r.int16(32), r.int16(36), r.int16(38),
                          r.int16(40), r.int16(42), r.text(44), r.text(48), r.text(52)));
    }

    /** Note the stripe size before the flags. */
    public record LunPlexRecord(ObjectId id, long size, int stripeSize, int flags, int type, int status,
                                int health, int transitionState, int rebuildPriority) {
        public static final Layout<LunPlexRecord> LAYOUT = Layout.fixed("LunPlexRecord", 44, r ->
            new LunPlexRecord(r.id(0), r.uint64(16), r.int32(24), r.int32(28), r.int16(32), r.int16(36),
                              r.int16(38), r.int16(40), r.int16(42)));
    }

    /** A piece of a drive; {@code lunId} names the LUN that uses it. */
    public record DriveExtentRecord(ObjectId driveId, ObjectId lunId, long size, boolean used) {
        public static final Layout<DriveExtentRecord> LAYOUT = Layout.fixed("DriveExtentRecord", 44, r ->
            new DriveExtentRecord(r.id(0), r.id(16), r.uint64(32), r.uint8(40) != 0));
    }

    public record PackRecord(ObjectId id, int status, int flags, String name) {
        public static final Layout<PackRecord> LAYOUT = Layout.withTexts("PackRecord", 32, r ->
            new PackRecord(r.id(4), r.int32(20), r.int32(24), r.text(28)));
    }
}
