package Ardelune.storage;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.Map;
import java.util.TreeMap;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import java.util.stream.Collectors;
import org.junit.jupiter.api.Test;

/** The client's command list against the library: its source table, and what it answers. */
class CommandTableTest {
    /** A row: {@code vdsCommand<handler>(code, {statuses}, failure size[, reply code])}. */
    private static final Pattern ROW = Pattern.compile(
        "vdsCommand<\\w+>\\(0x([0-9A-Fa-f]{4}), \\{[^}]*\\}, (\\d+)(?:, 0x([0-9A-Fa-f]{4}))?\\)");

    /** One row as the library's own table states it. */
    private record NativeRow(int failureReplySize, int replyCode) {}

    private static Map<Integer, NativeRow> nativeTable() throws IOException {
        String dir = System.getProperty("tolvane.source.dir");
        assertNotNull(dir, "tolvane.source.dir names the source tree");
        String table = Files.readString(Path.of(dir, "src", "commands", "command_table.cpp"));
        Map<Integer, NativeRow> rows = new TreeMap<>();
        Matcher m = ROW.matcher(table);
        while (m.find()) {
            int code = Integer.parseInt(m.group(1), 16);
            int replyCode = m.group(3) == null ? code : Integer.parseInt(m.group(3), 16);
            rows.put(code, new NativeRow(Integer.parseInt(m.group(2)), replyCode));
        }
        return rows;
    }

    @Test
    void sameCodesFailureSizesAndReplyCodesAsTheLibrarysTable() throws IOException {
        Map<Integer, NativeRow> client = Arrays.stream(Command.values()).collect(Collectors.toMap(
            Command::code, c -> new NativeRow(c.failureReplySize(), c.replyCode()), (a, b) -> a, TreeMap::new));
        Map<Integer, NativeRow> library = nativeTable();
        assertEquals(77, library.size(), "rows read from the library's table");
        assertEquals(library, client);
    }

    @Test
    void listFormsMatchTheFailureReplies() {
        // A failed list answers its empty form: 14 bytes short, 16 bytes long.
        for (Command c : Command.values()) {
            boolean list = c.replyForm() == Command.ReplyForm.SHORT_LIST || c.replyForm() == Command.ReplyForm.LONG_LIST;
            if (list) assertEquals(c.replyForm().recordsAt(), c.failureReplySize(), c.toString());
        }
    }

    /**
     * Every 16-bit code, sent with an all-zero payload: the library
     * answers exactly the client's commands, under their reply codes, with
     * the client's failure size whenever it fails and the client's list form
     * whenever a list succeeds.
     */
    @Test
    void theLibraryAnswersExactlyTheClientsCommands() {
        try (StorageSession session = StorageSession.open()) {
            for (int code = 0; code <= 0xFFFF; code++) {
                byte[] request = new byte[256];
                ByteBuffer.wrap(request).order(ByteOrder.LITTLE_ENDIAN).putShort(2, (short) code);
                byte[] reply = session.rawReply(request);
                Command c = Command.ofCode(code);
                String what = String.format("code 0x%04X", code);
                if (c == null) {
                    assertEquals(0, reply.length, what + " is not a command");
                    continue;
                }
                assertTrue(reply.length >= 12, what + " answers");
                ByteBuffer b = ByteBuffer.wrap(reply).order(ByteOrder.LITTLE_ENDIAN);
                assertEquals(c.replyCode(), b.getShort(2) & 0xFFFF, what);
                if (b.getInt(4) != 0) {
                    assertEquals(c.failureReplySize(), reply.length, what + " failing");
                } else if (c.replyForm() == Command.ReplyForm.SHORT_LIST) {
                    assertTrue(reply.length >= 14, what);
                } else if (c.replyForm() == Command.ReplyForm.HEADER_ONLY) {
                    assertEquals(12, reply.length, what);
                }
            }
        }
    }
}
