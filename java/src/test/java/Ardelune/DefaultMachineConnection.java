package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;

import Ardelune.sim.SimulatedService;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;

/** A test connected to the default simulated machine through a receiver of its own kind. */
abstract class DefaultMachineConnection<R extends Tolvane> {
    protected final R receiver;

    protected DefaultMachineConnection(R receiver) {
        this.receiver = receiver;
    }

    @BeforeEach
    void connect() {
        SimulatedService.loadDefault();
        assertEquals(0, receiver.Initialize());
    }

    @AfterEach
    void disconnect() {
        receiver.Uninitialize();
        afterDisconnect();
    }

    /** What a test checks once the connection is closed. */
    protected void afterDisconnect() {}
}
