package Ardelune;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;

import Ardelune.sim.SimulatedService;
import java.time.Duration;
import org.junit.jupiter.api.MethodOrderer;
import org.junit.jupiter.api.Order;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.TestMethodOrder;

@TestMethodOrder(MethodOrderer.OrderAnnotation.class)
class BridgeTest {
    private final Tolvane tolvane = new Tolvane();

    @Test
    @Order(1)
    void initializeWaitsForAStartingServiceAndAnswersOne() {
        SimulatedService.setStartingPhase(Duration.ofMillis(300));
        assertEquals(1, tolvane.Initialize());
        tolvane.Uninitialize();
        SimulatedService.setStartingPhase(Duration.ZERO);
    }

    @Test
    @Order(2)
    void initializeOnAReadyServiceAnswersZeroAndASecondCallKeepsTheConnection() {
        assertEquals(0, tolvane.Initialize());
        assertEquals(0, tolvane.Initialize());
        assertEquals(1, SimulatedService.advisedSinks());
        tolvane.Uninitialize();
    }

    @Test
    @Order(3)
    void shortRequestsAndUnknownCodesGiveEmptyArrays() {
        assertEquals(0, tolvane.Initialize());
        byte[] unknown = Requests.request(0x040A, 64).array();
        int[][] cases = {{0x1002, 2}, {0x1002, 0}, {0x1002, -5}, {0x040A, 64}, {0x0211, 4}, {0x0600, 4}};
        for (int[] c : cases) {
            byte[] request = Requests.request(c[0], 64).array();
            assertArrayEquals(new byte[0], tolvane.CmdHandler(request, c[1]),
                    "code " + Integer.toHexString(c[0]) + " size " + c[1]);
        }
        // A size beyond the array is clamped to it, never read past it.
        assertArrayEquals(new byte[0], tolvane.CmdHandler(unknown, 1 << 20));
        assertArrayEquals(new byte[0], tolvane.CmdHandler(new byte[2], 100));
        assertArrayEquals(new byte[0], tolvane.CmdHandler(null, 4));
        tolvane.Uninitialize();
    }

    @Test
    @Order(4)
    void uninitializeTwiceIsQuietAndLeavesNoReferenceInTheService() {
        assertEquals(0, tolvane.Initialize());
        tolvane.Uninitialize();
        tolvane.Uninitialize();
        assertEquals(0, SimulatedService.liveReferences());
        assertEquals(0, SimulatedService.serviceReferences());
        assertEquals(0, SimulatedService.advisedSinks());
    }
}
