package Ardelune.sim;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import Ardelune.storage.Drive;
import Ardelune.storage.HardwareStatus;
import Ardelune.storage.Notification;
import Ardelune.storage.StorageSession;
import Ardelune.storage.VdsException;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.UUID;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import java.util.function.Function;
import java.util.function.Supplier;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** Ardelune.sim steering the service that the storage client sees, on the built-in machine. */
class SimulatedServiceTest {
    private static final UUID SUBSYSTEM = UUID.fromString("20000000-0000-4000-8000-000000000001");
    /** Drive 1.1 and Drive 1.2: no LUN lives on them. */
    private static final UUID IDLE_DRIVE = UUID.fromString("40000000-0000-4000-8000-000000000006");
    private static final UUID OTHER_IDLE_DRIVE = UUID.fromString("40000000-0000-4000-8000-000000000007");
    private static final UUID MIRRORED_LUN = UUID.fromString("50000000-0000-4000-8000-000000000002");
    private static final UUID NOBODY = UUID.fromString("0BAD0000-0000-4000-8000-000000000000");
    private static final int E_NOTIMPL = 0x80004001;
    private static final int VDS_E_OBJECT_NOT_FOUND = 0x80042405;
    private static final int VDS_E_OBJECT_STATUS_FAILED = 0x80042431;
    private static final int NTT_DRIVE = 32;
    private static final int NF_DRIVE_MODIFY = 107;
    private static final int NF_DRIVE_DEPART = 106;

    @TempDir
    Path tmp;

    private final ExecutorService listener = Executors.newSingleThreadExecutor();

    @BeforeEach
    void builtInMachine() {
        SimulatedService.clearFaults();
        SimulatedService.loadDefault();
    }

    @AfterEach
    void putBack() {
        listener.shutdownNow();
        SimulatedService.clearFaults();
        SimulatedService.enableJournal(false);
        SimulatedService.loadDefault();
    }

    private static String builtInText() throws IOException {
        Path sources = Path.of(System.getProperty("tolvane.source.dir", "."));
        return Files.readString(sources.resolve("simulator/topologies/default.json"), StandardCharsets.UTF_8);
    }

    @Test
    void aLoadedTopologyReplacesTheMachineAndARefusedOneChangesNothing() throws IOException {
        long builtIn = SimulatedService.digest();
        String renamed = builtInText().replace("\"Drive 0.0\"", "\"Drive zéro\"");
        SimulatedService.loadTopologyText(renamed);
        long fromText = SimulatedService.digest();
        assertNotEquals(builtIn, fromText);

        Path file = tmp.resolve("renamed machine é.json");
        Files.writeString(file, renamed, StandardCharsets.UTF_8);
        SimulatedService.loadDefault();
        assertEquals(builtIn, SimulatedService.digest());
        SimulatedService.loadTopology(file);
        assertEquals(fromText, SimulatedService.digest(), "the file and the text are the same machine");
        try (StorageSession session = StorageSession.open()) {
            assertEquals("Drive zéro", session.drives(SUBSYSTEM).get(0).friendlyName());
        }

        List<Supplier<SimulatorException>> refused = List.of(
            () -> assertThrows(SimulatorException.class, () -> SimulatedService.loadTopologyText("{ \"nmae\": 1 }")),
            () -> assertThrows(SimulatorException.class, () -> SimulatedService.loadTopologyText("{")),
            () -> assertThrows(SimulatorException.class,
                               () -> SimulatedService.loadTopology(tmp.resolve("missing.json"))));
        for (Supplier<SimulatorException> r : refused) {
            SimulatorException e = r.get();
            assertTrue(e.resultCode() < 0);
            assertTrue(e.getMessage().contains(String.format("0x%08X", e.resultCode())), e.getMessage());
            assertEquals(fromText, SimulatedService.digest(), "a refused machine changes nothing");
        }

        SimulatedService.loadDefault();
        assertEquals(builtIn, SimulatedService.digest());
    }

    @Test
    void aFaultInjectedHereIsTheClientsVdsExceptionAndTheJournalHasTheCall() {
        try (StorageSession session = StorageSession.open()) {
            SimulatedService.enableJournal(true);
            SimulatedService.clearJournal();
            long before = SimulatedService.digest();
            SimulatedService.injectFault("IVdsLun::SetStatus", 1, VDS_E_OBJECT_STATUS_FAILED);
            VdsException e = assertThrows(VdsException.class,
                                          () -> session.setLunStatus(MIRRORED_LUN, HardwareStatus.OFFLINE));
            assertEquals(VDS_E_OBJECT_STATUS_FAILED, e.resultCode());
            assertEquals(before, SimulatedService.digest(), "the failed call changed nothing");
            assertTrue(SimulatedService.journal().contains("IVdsLun::SetStatus(4)"), SimulatedService.journal()
                .toString());

            SimulatedService.clearJournal();
            assertEquals(List.of(), SimulatedService.journal());
            session.setLunStatus(MIRRORED_LUN, HardwareStatus.OFFLINE);  // only the first call was to fail
            assertNotEquals(before, SimulatedService.digest());

            SimulatedService.injectFault("IVdsLun::SetStatus", 0, VDS_E_OBJECT_STATUS_FAILED);
            for (int call = 0; call < 2; call++) {
                assertThrows(VdsException.class, () -> session.setLunStatus(MIRRORED_LUN, HardwareStatus.ONLINE));
            }
            SimulatedService.clearFaults();
            session.setLunStatus(MIRRORED_LUN, HardwareStatus.ONLINE);
        }
    }

    /** Waits for a notification about {@code object}, skipping others. */
    private static Notification.HardwareChange heard(BlockingQueue<Notification> seen, UUID object)
            throws InterruptedException {
        SimulatedService.waitIdle();
        SimulatedService.waitNotificationsDelivered();
        for (;;) {
            Notification n = seen.poll(10, TimeUnit.SECONDS);
            if (n == null) return null;
            if (n instanceof Notification.HardwareChange h && h.object().equals(object)) return h;
        }
    }

    @Test
    void hardwareChangingFromOutsideIsToldToTheClient() throws InterruptedException {
        try (StorageSession session = StorageSession.open()) {
            BlockingQueue<Notification> seen = new LinkedBlockingQueue<>();
            session.subscribe(listener, seen::add);
            Function<UUID, HardwareStatus> status = id -> session.drives(SUBSYSTEM).stream()
                .filter(d -> d.id().equals(id)).map(Drive::statusValue).findFirst().orElse(null);

            assertTrue(SimulatedService.setStatus(IDLE_DRIVE, HardwareStatus.OFFLINE.code()));
            assertEquals(new Notification.HardwareChange(NTT_DRIVE, NF_DRIVE_MODIFY, IDLE_DRIVE),
                         heard(seen, IDLE_DRIVE));
            assertEquals(HardwareStatus.OFFLINE, status.apply(IDLE_DRIVE));
            assertFalse(SimulatedService.setStatus(IDLE_DRIVE, HardwareStatus.OFFLINE.code()),
                        "already offline: nothing changes, and that is no failure");

            SimulatedService.removeObject(OTHER_IDLE_DRIVE);
            assertEquals(new Notification.HardwareChange(NTT_DRIVE, NF_DRIVE_DEPART, OTHER_IDLE_DRIVE),
                         heard(seen, OTHER_IDLE_DRIVE));
            assertNull(status.apply(OTHER_IDLE_DRIVE));

            for (SimulatorException e : List.of(
                     assertThrows(SimulatorException.class, () -> SimulatedService.setStatus(NOBODY, 1)),
                     assertThrows(SimulatorException.class, () -> SimulatedService.removeObject(NOBODY)))) {
                assertEquals(VDS_E_OBJECT_NOT_FOUND, e.resultCode());
            }
        }
    }

    /** Saved and loaded again, the machine is the same; reset, the environment's machine (here the built-in one) is back. */
    @Test
    void aSavedMachineLoadsAsTheSameMachine() throws IOException {
        long builtIn = SimulatedService.digest();
        assertTrue(SimulatedService.setStatus(IDLE_DRIVE, HardwareStatus.OFFLINE.code()));
        SimulatedService.waitIdle();
        long changed = SimulatedService.digest();
        Path file = tmp.resolve("saved.json");
        try {
            SimulatedService.saveTopology(file);
        } catch (SimulatorException e) {
            assumeTrue(e.resultCode() != E_NOTIMPL, "the service cannot save its machine yet");
            throw e;
        }
        assertEquals(Files.readString(file, StandardCharsets.UTF_8), SimulatedService.topologyText());

        SimulatedService.loadDefault();
        assertEquals(builtIn, SimulatedService.digest());
        SimulatedService.loadTopology(file);
        assertEquals(changed, SimulatedService.digest());
        SimulatedService.loadDefault();
        SimulatedService.loadTopologyText(Files.readString(file, StandardCharsets.UTF_8));
        assertEquals(changed, SimulatedService.digest());

        SimulatedService.resetToTopology();
        assertEquals(builtIn, SimulatedService.digest());
    }
}
