package Ardelune.storage;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.List;

/**
 * Reads replies: the 12-byte header (command at 2, status at 4, result code
 * at 8), the failure it may report, and the payload of a successful reply.
 */
final class Replies {
    static final int HEADER_LENGTH = 12;

    private static final int NOT_FOUND_4 = -4;
    private static final int NOT_FOUND_1 = -1;
    private static final int NO_ADVANCED_DISK = -10;
    private static final int VDS_ERROR = -100;
    private static final int SYSTEM_ERROR = -101;

    private Replies() {}

    /**
     * The reply if it reports success; otherwise the exception that its
     * status stands for. Also checks that the reply answers {@code command}
     * and that a failure reply has the command's failure length.
     */
    static byte[] checked(Command command, byte[] reply) {
        if (reply == null || reply.length == 0) {
            throw new NotConnectedException(command, 0, 0,
                "the library answered nothing: it is not connected to the service, or it has a fault");
        }
        if (reply.length < HEADER_LENGTH) {
            throw new ProtocolException(command, 0, "a reply of " + reply.length + " bytes has no header");
        }
        ByteBuffer header = ByteBuffer.wrap(reply).order(ByteOrder.LITTLE_ENDIAN);
        int code = header.getShort(2) & 0xFFFF;
        int status = header.getInt(4);
        int resultCode = header.getInt(8);
        if (code != command.replyCode()) {
            throw new ProtocolException(command, status, String.format("it answers command 0x%04X", code));
        }
        if (status == 0) return reply;
        if (reply.length != command.failureReplySize()) {
            throw new ProtocolException(command, status, "a failure reply of " + reply.length + " bytes, not "
                + command.failureReplySize());
        }
        throw failure(command, status, resultCode);
    }

    /** The exception that a failure status stands for. */
    static StorageException failure(Command command, int status, int resultCode) {
        boolean providerList = command == Command.QUERY_HW_PROVIDERS || command == Command.QUERY_SW_PROVIDERS;
        if (providerList && status == NOT_FOUND_1) {
            return new NotConnectedException(command, status, 0, "the service did not become ready");
        }
        if (providerList && status == NOT_FOUND_1 - 1) {
            return new StorageException(command, status, resultCode, "the service could not list its providers");
        }
        if (status <= NOT_FOUND_1 && status >= NOT_FOUND_4) {
            return new ObjectNotFoundException(command, status, -status);
        }
        return switch (status) {
            case NO_ADVANCED_DISK -> new NoAdvancedDiskException(command, status);
            case VDS_ERROR -> new VdsException(command, status, resultCode);
            case SYSTEM_ERROR -> new SystemErrorException(command, status, resultCode);
            default -> new ProtocolException(command, status, "status " + status + " is not one the library gives");
        };
    }

    /** A reader over the payload of a successful reply, which must be exactly {@code length} bytes. */
    static RecordReader payload(Command command, byte[] reply, int length) {
        byte[] ok = checked(command, reply);
        if (ok.length != HEADER_LENGTH + length) {
            throw new ProtocolException(command, 0, "a reply of " + ok.length + " bytes, not "
                + (HEADER_LENGTH + length));
        }
        return new RecordReader(command, ok, HEADER_LENGTH, length);
    }

    /** A reader over whatever follows the header of a successful reply, at least {@code minimum} bytes. */
    static RecordReader payloadAtLeast(Command command, byte[] reply, int minimum) {
        byte[] ok = checked(command, reply);
        if (ok.length < HEADER_LENGTH + minimum) {
            throw new ProtocolException(command, 0, "a reply of " + ok.length + " bytes is too short");
        }
        return new RecordReader(command, ok, HEADER_LENGTH, ok.length - HEADER_LENGTH);
    }

    /** Checks that a successful reply carries nothing after its header. */
    static void empty(Command command, byte[] reply) {
        payload(command, reply, 0);
    }

    /**
     * The records of a list reply, walked from the first to the end of the
     * reply. The stated count is only checked against them, never trusted: a
     * short-form count holds the low 16 bits of the number of records, so a
     * list of more than 32,767 records still comes back whole.
     */
    static <R> List<R> list(Command command, byte[] reply, RecordKind<R> kind) {
        byte[] ok = checked(command, reply);
        Command.ReplyForm form = command.replyForm();
        int first = form.recordsAt();
        if (ok.length < first) {
            throw new ProtocolException(command, 0, "a list reply of " + ok.length + " bytes has no count");
        }
        ByteBuffer b = ByteBuffer.wrap(ok).order(ByteOrder.LITTLE_ENDIAN);
        long stated = form == Command.ReplyForm.SHORT_LIST ? b.getShort(HEADER_LENGTH) & 0xFFFF
                                                          : b.getInt(HEADER_LENGTH) & 0xFFFFFFFFL;
        int end = ok.length;
        if (kind.trailerPerRecord() > 0) {
            // The only list that leaves a tail: its length depends on the count.
            long tail = stated * kind.trailerPerRecord();
            if (tail > end - first) throw new ProtocolException(command, 0, "a count of " + stated + " does not fit");
            end -= (int) tail;
            for (int i = end; i < ok.length; i++) {
                if (ok[i] != 0) throw new ProtocolException(command, 0, "the bytes after the last record are not 0");
            }
        }
        List<R> records = new ArrayList<>();
        for (int at = first; at < end;) {
            int length = kind.lengthAt(command, ok, at, end);
            records.add(kind.read(command, ok, at, length));
            at += length;
        }
        long walked = form == Command.ReplyForm.SHORT_LIST ? records.size() & 0xFFFF : records.size();
        if (walked != stated) {
            throw new ProtocolException(command, 0, "the reply states " + stated + " records but holds "
                + records.size());
        }
        return records;
    }
}
