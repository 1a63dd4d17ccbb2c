package Ardelune.sim;

import Ardelune.storage.Drive;
import Ardelune.storage.HardwareStatus;
import Ardelune.storage.StorageSession;
import java.util.UUID;

/**
 * Runs from tolvane.jar alone: Ardelune.sim, used before the client, extracts
 * the libraries, and the client must then talk to that same service, not to
 * a second copy of it.
 */
public final class JarSimulation {
    private JarSimulation() {}

    public static void main(String[] args) {
        UUID subsystem = UUID.fromString("20000000-0000-4000-8000-000000000001");
        UUID drive = UUID.fromString("40000000-0000-4000-8000-000000000006");
        SimulatedService.loadDefault();
        if (!SimulatedService.setStatus(drive, HardwareStatus.OFFLINE.code())) throw new AssertionError("no change");
        try (StorageSession storage = StorageSession.open()) {
            HardwareStatus seen = storage.drives(subsystem).stream().filter(d -> d.id().equals(drive))
                .map(Drive::statusValue).findFirst().orElseThrow();
            System.out.println("CLIENT SEES DRIVE " + seen);
        }
        System.out.println("SINKS AFTER CLOSE " + SimulatedService.advisedSinks());
    }
}
