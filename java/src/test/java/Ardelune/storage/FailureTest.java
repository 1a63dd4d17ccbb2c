package Ardelune.storage;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.List;
import java.util.UUID;
import org.junit.jupiter.api.Test;

/** Every failure a reply can carry, and every way a reply can be unreadable, as its exception. */
class FailureTest {
    private static final UUID NOBODY = UUID.fromString("0BAD0000-0000-4000-8000-000000000000");
    private static final int OBJECT_NOT_FOUND = 0x80042405;
    private static final UUID UNALLOCATED_DISK = UUID.fromString("80000000-0000-4000-8000-000000000003");

    private static byte[] reply(int code, int status, int resultCode, int length) {
        ByteBuffer b = ByteBuffer.allocate(length).order(ByteOrder.LITTLE_ENDIAN);
        b.put(1, (byte) 1).putShort(2, (short) code).putInt(4, status).putInt(8, resultCode);
        return b.array();
    }

    private record Expected(int status, Class<? extends StorageException> type, int argument) {}

    private static final List<Expected> STATUSES = List.of(
        new Expected(-1, ObjectNotFoundException.class, 1),
        new Expected(-2, ObjectNotFoundException.class, 2),
        new Expected(-3, ObjectNotFoundException.class, 3),
        new Expected(-4, ObjectNotFoundException.class, 4),
        new Expected(-10, NoAdvancedDiskException.class, 0),
        new Expected(-100, VdsException.class, 0),
        new Expected(-101, SystemErrorException.class, 0),
        new Expected(-5, ProtocolException.class, 0),
        new Expected(1, ProtocolException.class, 0));

    @Test
    void everyStatusOfEveryCommandBecomesItsException() {
        for (Command c : Command.values()) {
            for (Expected e : STATUSES) {
                byte[] failed = reply(c.replyCode(), e.status(), OBJECT_NOT_FOUND, c.failureReplySize());
                StorageException thrown = assertThrows(StorageException.class, () -> Replies.checked(c, failed));
                String what = c + " status " + e.status();
                assertEquals(c, thrown.command(), what);
                assertEquals(e.status(), thrown.status(), what);
                boolean providerList = c == Command.QUERY_HW_PROVIDERS || c == Command.QUERY_SW_PROVIDERS;
                if (providerList && e.status() == -1) {
                    assertEquals(NotConnectedException.class, thrown.getClass(), what);
                } else if (providerList && e.status() == -2) {
                    assertEquals(StorageException.class, thrown.getClass(), what);
                } else {
                    assertEquals(e.type(), thrown.getClass(), what);
                }
                if (thrown instanceof ObjectNotFoundException n) assertEquals(e.argument(), n.argument(), what);
                if (thrown instanceof VdsException) {
                    assertEquals(OBJECT_NOT_FOUND, thrown.resultCode(), what);
                    assertEquals("VDS_E_OBJECT_NOT_FOUND", thrown.resultName(), what);
                }
            }
        }
    }

    @Test
    void unreadableRepliesAreProtocolFaults() {
        Command drives = Command.QUERY_DRIVES;
        byte[] twoDrives = reply(0x0093, 0, 0, 14 + 48 + 48);
        ByteBuffer b = ByteBuffer.wrap(twoDrives).order(ByteOrder.LITTLE_ENDIAN);
        b.putShort(12, (short) 2).putInt(14, 48).putInt(62, 48);
        assertEquals(2, Replies.list(drives, twoDrives, Drive.KIND).size(), "the well-formed list");

        b.putShort(12, (short) 3);
        assertThrows(ProtocolException.class, () -> Replies.list(drives, twoDrives, Drive.KIND), "count too high");
        b.putShort(12, (short) 2).putInt(62, 49);
        assertThrows(ProtocolException.class, () -> Replies.list(drives, twoDrives, Drive.KIND), "record past the end");
        b.putInt(62, 47);
        assertThrows(ProtocolException.class, () -> Replies.list(drives, twoDrives, Drive.KIND), "record too short");
        b.putInt(62, 48).putShort(14 + 40, (short) 9).putShort(14 + 42, (short) 48);
        assertThrows(ProtocolException.class, () -> Replies.list(drives, twoDrives, Drive.KIND), "text past the record");

        assertThrows(ProtocolException.class, () -> Replies.checked(drives, reply(0x0094, 0, 0, 14)), "other command");
        assertThrows(ProtocolException.class, () -> Replies.checked(drives, reply(0x0093, -1, 0, 12)), "failure size");
        assertThrows(ProtocolException.class, () -> Replies.checked(drives, new byte[11]), "no header");
        assertThrows(ProtocolException.class, () -> Replies.empty(Command.DELETE_LUN, reply(0x0200, 0, 0, 13)),
                     "bytes after a header-only reply");
        assertThrows(NotConnectedException.class, () -> Replies.checked(drives, new byte[0]), "empty reply");
    }

    @Test
    void failuresFromTheLibrary() {
        try (StorageSession session = StorageSession.open()) {
            ObjectNotFoundException first = assertThrows(ObjectNotFoundException.class, () -> session.luns(NOBODY));
            assertEquals(1, first.argument());
            assertEquals(Command.QUERY_SUBSYSTEM_LUNS, first.command());

            UUID subsystem = UUID.fromString("20000000-0000-4000-8000-000000000001");
            ObjectNotFoundException second = assertThrows(ObjectNotFoundException.class,
                () -> session.replaceDrive(subsystem, NOBODY, NOBODY));
            assertEquals(2, second.argument());

            // The unallocated disk is in no pack, but the disk commands still reach it by its identifier.
            VdsException vds = assertThrows(VdsException.class, () -> session.partitions(UNALLOCATED_DISK));
            assertEquals(Command.QUERY_PARTITIONS, vds.command());
            assertEquals("VDS_E_DISK_NOT_INITIALIZED", vds.resultName());
            assertTrue(vds.getMessage().contains("0x80042417"), vds.getMessage());
        }
    }
}
