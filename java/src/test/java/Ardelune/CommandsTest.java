package Ardelune;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;

import Ardelune.sim.SimulatedService;
import java.nio.ByteBuffer;
import java.nio.charset.StandardCharsets;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

class CommandsTest {
    /** The default machine's RAID subsystem, 20000000-0000-4000-8000-000000000001, in memory order. */
    static final byte[] SUBSYSTEM = {0, 0, 0, 0x20, 0, 0, 0, 0x40, (byte) 0x80, 0, 0, 0, 0, 0, 0, 1};

    private final Tolvane tolvane = new Tolvane();

    @BeforeEach
    void connect() {
        assertEquals(0, tolvane.Initialize());
    }

    @AfterEach
    void disconnect() {
        tolvane.Uninitialize();
        assertEquals(0, SimulatedService.liveReferences());
    }

    static byte[] queryDrives(int arraySize) {
        ByteBuffer request = Requests.request(0x0093, arraySize);
        request.put(Requests.SUBSYSTEM_AT, SUBSYSTEM);
        return request.array();
    }

    static String text(ByteBuffer reply, int record, int refAt) {
        int length = reply.getShort(record + refAt);
        int offset = reply.getShort(record + refAt + 2);
        return new String(reply.array(), record + offset, length, StandardCharsets.UTF_8);
    }

    @Test
    void listsTheDrivesOfTheDefaultMachine() {
        ByteBuffer reply = Requests.reply(tolvane.CmdHandler(queryDrives(36), 36));
        assertEquals(0x0093, reply.getShort(2));
        assertEquals(0, reply.getInt(4));
        assertEquals(8, reply.getShort(12));
        int record = 14;
        for (int i = 0; i < 8; i++) {
            assertEquals("Drive " + (i / 4) + "." + (i % 4), text(reply, record, 40));
            record += reply.getInt(record);
        }
        assertEquals(reply.capacity(), record);
    }

    @Test
    void onlyTheGivenSizeOfTheArrayIsRead() {
        byte[] request = queryDrives(100);
        // The request ends before the subsystem identifier: too short to act on.
        assertArrayEquals(new byte[0], tolvane.CmdHandler(request, Requests.SUBSYSTEM_AT));
        assertEquals(0, Requests.status(tolvane.CmdHandler(request, 100)));
    }
}
