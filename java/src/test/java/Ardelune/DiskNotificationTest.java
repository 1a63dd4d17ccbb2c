package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import java.util.Arrays;
import java.util.function.Predicate;
import org.junit.jupiter.api.Test;

/** Partitions made, lettered and formatted through the library reach Java as the service tells them. */
class DiskNotificationTest extends ChangeNotifications {
    private static final byte[] GPT_DISK = {0, 0, 0, (byte) 0x80, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 2};
    private static final long MIB = 1024L * 1024;
    private static final long ESP = MIB;
    private static final long FREE = 225397 * MIB;

    private static final int NTT_DISK = 13;
    private static final int NTT_PARTITION = 60;
    private static final int NTT_DRIVE_LETTER = 61;
    private static final int NTT_FILE_SYSTEM = 62;
    private static final int DISK_MODIFY = 10;
    private static final int PARTITION_ARRIVE = 11;
    private static final int PARTITION_DEPART = 12;
    private static final int LETTER_ASSIGN = 202;
    private static final int FORMAT_PROGRESS = 204;

    private static Predicate<ByteBuffer> partitionOf(byte[] disk, long offset) {
        return named(12, disk).and(r -> r.getLong(32) == offset);
    }

    private static ByteBuffer partitionRequest(int code, int size, long offset) {
        ByteBuffer b = Requests.request(code, size);
        b.position(4);
        b.put(GPT_DISK).putLong(offset);
        return b;
    }

    @Test
    void aPartitionMadeAndRemovedReachesJavaWithItsDiskAndStart() throws InterruptedException {
        ByteBuffer create = partitionRequest(0x0405, 40, FREE + 1);
        create.putLong(28, 1024 * MIB).putInt(36, 2);
        assertEquals(0, run(create));
        // The start is told as the service placed it: rounded up to the next MiB.
        assertTrue(arrives(NTT_PARTITION, PARTITION_ARRIVE, partitionOf(GPT_DISK, FREE + MIB)), "partition arrival");
        assertTrue(arrives(NTT_DISK, DISK_MODIFY,
                r -> Arrays.equals(Arrays.copyOfRange(r.array(), 12, 28), GPT_DISK)), "disk modification");

        ByteBuffer delete = Requests.request(0x0406, 64);
        delete.position(36);
        delete.put(GPT_DISK).putLong(FREE + MIB);
        assertEquals(0, run(delete));
        assertTrue(arrives(NTT_PARTITION, PARTITION_DEPART, partitionOf(GPT_DISK, FREE + MIB)), "partition departure");
    }

    @Test
    void aLetterAndAFormatOfAPartitionReachJava() throws InterruptedException {
        ByteBuffer assign = partitionRequest(0x0418, 29, ESP);
        assign.put(28, (byte) 'S');
        assertEquals(0, run(assign));
        assertTrue(arrives(NTT_DRIVE_LETTER, LETTER_ASSIGN, r -> r.getShort(12) == 'S'), "letter assignment");

        ByteBuffer format = Requests.request(0x0407, 79);
        format.position(36);
        format.put(GPT_DISK).putLong(ESP);
        format.putShort(64, (short) 3).putShort(66, (short) 1).putInt(72, 3);
        format.position(76);
        format.put(new byte[] {'E', 'F', 'I'});
        assertEquals(0, run(format));
        // A partition that is no volume reports its progress without a volume.
        assertTrue(arrives(NTT_FILE_SYSTEM, FORMAT_PROGRESS,
                r -> Arrays.equals(Arrays.copyOfRange(r.array(), 12, 28), new byte[16]) && r.getInt(28) == 100),
                "format progress");
    }
}
