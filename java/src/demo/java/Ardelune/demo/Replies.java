package Ardelune.demo;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;

/**
 * Requests and replies of the binary protocol. A request is two ignored
 * bytes, the int16 command code at offset 2 and the payload; a reply is a
 * 12-byte header (command at 2, status at 4, detail at 8) and its payload.
 */
public final class Replies {
    public static final int HEADER_LENGTH = 12;
    /** Short list form: int16 count at 12, records from 14. */
    public static final int SHORT_LIST_RECORDS = 14;

    private static final Map<Integer, String> STATUS_NAMES = Map.of(
        0, "STATUS_OK",
        -1, "STATUS_NOT_FOUND",
        -2, "STATUS_NOT_FOUND_2",
        -3, "STATUS_NOT_FOUND_3",
        -4, "STATUS_NOT_FOUND_4",
        -10, "STATUS_NO_ADVANCED_DISK",
        -100, "STATUS_VDS_ERROR",
        -101, "STATUS_SYSTEM_ERROR");

    private Replies() {}

    /**
     * A request whose payload is the given identifiers one after another
     * from offset 4: for a hardware object provider, subsystem, object and
     * LUN plex; for a provider's children just the provider.
     */
    public static byte[] request(int code, ObjectId... address) {
        byte[] request = new byte[4 + address.length * ObjectId.LENGTH];
        ByteBuffer.wrap(request).order(ByteOrder.LITTLE_ENDIAN).putShort(2, (short) code);
        for (int i = 0; i < address.length; i++) {
            address[i].writeTo(request, 4 + i * ObjectId.LENGTH);
        }
        return request;
    }

    public static String statusName(int status) {
        return STATUS_NAMES.getOrDefault(status, "unknown status");
    }

    /** One reply, read without trusting its lengths. */
    public static final class Reply {
        private final byte[] bytes;
        private final ByteBuffer buffer;

        public Reply(byte[] bytes) {
            this.bytes = bytes == null ? new byte[0] : bytes;
            this.buffer = ByteBuffer.wrap(this.bytes).order(ByteOrder.LITTLE_ENDIAN);
        }

        /** An empty reply: the library does not know the command (or it is not there yet). */
        public boolean isEmpty() {
            return bytes.length == 0;
        }

        public int length() {
            return bytes.length;
        }

        public int command() {
            return buffer.getShort(header(2)) & 0xFFFF;
        }

        public int status() {
            return buffer.getInt(header(4));
        }

        public int addStatus() {
            return buffer.getInt(header(8));
        }

        /** The records of a short-form list; the reply must hold exactly them. */
        public <R> List<R> shortList(Records.Layout<R> layout) {
            if (bytes.length < SHORT_LIST_RECORDS) {
                throw new IllegalArgumentException("a list reply of " + bytes.length + " bytes has no count");
            }
            int count = buffer.getShort(HEADER_LENGTH) & 0xFFFF;
            List<R> records = new ArrayList<>(count);
            int offset = SHORT_LIST_RECORDS;
            for (int i = 0; i < count; i++) {
                int length = layout.lengthAt(bytes, offset);
                records.add(layout.read(bytes, offset, length));
                offset += length;
            }
            if (offset != bytes.length) {
                throw new IllegalArgumentException(
                    (bytes.length - offset) + " bytes follow the " + count + " records of the reply");
            }
            return records;
        }

        private int header(int offset) {
            if (bytes.length < HEADER_LENGTH) {
                throw new IllegalArgumentException("a reply of " + bytes.length + " bytes has no header");
            }
            return offset;
        }
    }

    /**
     * What a list command answered: its records, or why there are none to
     * show. {@link #problem()} is null when the records are valid.
     */
    public record Listing<R>(List<R> records, String problem) {
        static <R> Listing<R> of(byte[] bytes, int code, Records.Layout<R> layout) {
            Reply reply = new Reply(bytes);
            if (reply.isEmpty()) return failed("(not available)");
            try {
                if (reply.command() != code) {
                    return failed(String.format("(reply to command 0x%04X instead of 0x%04X)", reply.command(), code));
                }
                if (reply.status() != 0) {
                    return failed(String.format("(status %d %s, addStatus 0x%08X)",
                                                reply.status(), statusName(reply.status()), reply.addStatus()));
                }
                return new Listing<>(reply.shortList(layout), null);
            } catch (IllegalArgumentException damaged) {
                return failed("(unreadable reply: " + damaged.getMessage() + ")");
            }
        }

        private static <R> Listing<R> failed(String problem) {
            return new Listing<>(List.of(), problem);
        }

        public boolean ok() {
            return problem == null;
        }
    }
}
