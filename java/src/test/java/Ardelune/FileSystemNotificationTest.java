package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import java.nio.charset.StandardCharsets;
import org.junit.jupiter.api.Test;

/** File-system changes made through the library reach Java as the service tells them. */
class FileSystemNotificationTest extends ChangeNotifications {
    /**
     * Archive, on the GPT disk: reached only through C:\Archive\, so it has no
     * letter yet, and no role of the system that would refuse a format.
     */
    private static final byte[] ARCHIVE_VOLUME = {0, 0, 0, (byte) 0x90, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 5};
    private static final int NTT_DRIVE_LETTER = 61;
    private static final int NTT_FILE_SYSTEM = 62;
    private static final int NTT_MOUNT_POINT = 63;
    private static final int LETTER_FREE = 201;
    private static final int LETTER_ASSIGN = 202;
    private static final int FILE_SYSTEM_MODIFY = 203;
    private static final int FORMAT_PROGRESS = 204;
    private static final int MOUNT_POINTS_CHANGE = 205;
    private static final int NTFS = 4;

    private ByteBuffer onVolume(int code, int size) {
        ByteBuffer b = Requests.request(code, size);
        b.position(4);
        b.put(ARCHIVE_VOLUME);
        return b;
    }

    private ByteBuffer addPath(String path) {
        byte[] text = path.getBytes(StandardCharsets.US_ASCII);
        ByteBuffer b = onVolume(0x0602, 24 + text.length);
        b.putInt(20, text.length).position(24);
        b.put(text);
        return b;
    }

    @Test
    void lettersAndFoldersReachJavaAsTheyComeAndGo() throws InterruptedException {
        byte[] letterK = {'K', 0};
        assertEquals(0, run(addPath("K:\\")));
        assertTrue(arrives(NTT_DRIVE_LETTER, LETTER_ASSIGN, 12, letterK), "letter assigned");

        assertEquals(0, run(addPath("C:\\Mounted")));
        assertTrue(arrives(NTT_MOUNT_POINT, MOUNT_POINTS_CHANGE, 12, ARCHIVE_VOLUME), "folder added");

        ByteBuffer delete = onVolume(0x0605, 27);
        delete.putShort(20, (short) 0).putShort(22, (short) 3).position(24);
        delete.put("K:\\".getBytes(StandardCharsets.US_ASCII));
        assertEquals(0, run(delete));
        assertTrue(arrives(NTT_DRIVE_LETTER, LETTER_FREE, 12, letterK), "letter freed");
    }

    @Test
    void aFormatTellsItsProgressAndItsNewFileSystem() throws InterruptedException {
        byte[] label = "Neu".getBytes(StandardCharsets.US_ASCII);
        ByteBuffer format = onVolume(0x0601, 36 + label.length);
        format.putInt(20, NTFS).putInt(24, 0).putShort(28, (short) 0).putShort(30, (short) 1)
              .putShort(32, (short) 0).putShort(34, (short) label.length).position(36);
        format.put(label);
        assertEquals(0, run(format));
        assertTrue(arrives(NTT_FILE_SYSTEM, FORMAT_PROGRESS, 12, ARCHIVE_VOLUME), "progress");
        assertTrue(arrives(NTT_FILE_SYSTEM, FILE_SYSTEM_MODIFY, 12, ARCHIVE_VOLUME), "new file system");
    }
}
