package Ardelune.sim;

import Ardelune.storage.Notification;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.time.Duration;
import java.util.ArrayList;
import java.util.List;
import java.util.Objects;
import java.util.UUID;

/**
 * Steers the simulated Virtual Disk Service that the storage client talks to
 * off Windows: which machine it shows, how long it takes to start, which
 * calls fail, what happens to the hardware by itself, and what the service
 * has seen. The service is one per process, so these are static methods; the
 * client's sessions see every change at once.
 *
 * <p>Failures the service answers become a {@link SimulatorException} with
 * its result code. On Windows every method throws
 * {@link UnsupportedOperationException}: the library talks to the real
 * service there, and nothing native is loaded.
 */
public final class SimulatedService {
    private static final String ON_WINDOWS = "the simulated service exists only off Windows;"
        + " on Windows the library uses the real Virtual Disk Service";
    private static final int S_FALSE = 1;

    private SimulatedService() {}

    // Read on every call rather than once, so that the refusal never depends
    // on which class happened to be initialised first.
    private static void available() {
        if (System.getProperty("os.name", "").startsWith("Windows")) {
            throw new UnsupportedOperationException(ON_WINDOWS);
        }
        Natives.load();
    }

    private static int checked(String what, int hresult) {
        if (hresult < 0) throw new SimulatorException(what, hresult);
        return hresult;
    }

    private static byte[] utf8(String text, String what) {
        Objects.requireNonNull(text, what);
        if (text.indexOf('\0') >= 0) throw new IllegalArgumentException(what + " holds a NUL character");
        return text.getBytes(StandardCharsets.UTF_8);
    }

    // A file name as the JVM itself hands it to the system, so that the
    // service opens the file that Java means.
    private static byte[] fileName(Path file) {
        Objects.requireNonNull(file, "file");
        String encoding = System.getProperty("sun.jnu.encoding");
        Charset charset = encoding != null && Charset.isSupported(encoding)
            ? Charset.forName(encoding) : StandardCharsets.UTF_8;
        String name = file.toAbsolutePath().toString();
        if (name.indexOf('\0') >= 0) throw new IllegalArgumentException("the file name holds a NUL character");
        return name.getBytes(charset);
    }

    private static byte[] id(UUID id, String what) {
        return GuidBytes.of(Objects.requireNonNull(id, what));
    }

    // ---- the machine ----

    /**
     * Replaces the whole machine with the one a topology file describes
     * (docs/topology.md); it stays for later service objects too.
     *
     * @throws SimulatorException if the description is refused; the machine
     *     is then unchanged and the reason is on standard error
     */
    public static void loadTopology(Path file) {
        available();
        byte[] name = fileName(file);
        checked("cannot load the topology " + file, Natives.loadTopologyFile(name));
    }

    /**
     * Replaces the whole machine with the one {@code json} describes, as
     * {@link #loadTopology(Path)} does with a file.
     *
     * @throws SimulatorException if the description is refused
     */
    public static void loadTopologyText(String json) {
        available();
        checked("cannot load the topology text", Natives.loadTopologyText(utf8(json, "json")));
    }

    /** Replaces the machine with the built-in one (simulator/topologies/default.json). */
    public static void loadDefault() {
        available();
        Natives.loadDefault();
    }

    /**
     * Forgets a machine loaded from here: the next service object reads
     * {@code TOLVANE_SIM_TOPOLOGY} (or takes the built-in machine) again, as
     * a fresh process would.
     */
    public static void useEnvironmentTopology() {
        available();
        Natives.useEnvironmentTopology();
    }

    /**
     * Writes the machine as it stands now as a topology file; loading that
     * file gives the same machine (the same {@link #digest()}).
     *
     * @throws SimulatorException if the file cannot be written
     */
    public static void saveTopology(Path file) {
        available();
        byte[] name = fileName(file);
        checked("cannot save the topology to " + file, Natives.saveTopologyFile(name));
    }

    /** The machine as it stands now, as the text of a topology file. */
    public static String topologyText() {
        available();
        return new String(Natives.topologyText(), StandardCharsets.UTF_8);
    }

    /**
     * Puts back the machine of {@code TOLVANE_SIM_TOPOLOGY} (or the built-in
     * one), telling the clients what differs.
     *
     * @throws SimulatorException if that machine cannot be read
     */
    public static void resetToTopology() {
        available();
        checked("cannot reset to the topology", Natives.resetToTopology());
    }

    /**
     * A fingerprint of the whole machine, an unsigned 64-bit number: equal
     * before and after an operation that failed, different after almost any
     * change. Stable within one build of the library, not across builds.
     */
    public static long digest() {
        available();
        return Natives.digest();
    }

    // ---- events from outside the service ----

    /**
     * Sets the status of a subsystem, controller, port, drive, LUN, plex,
     * pack, disk or volume, as the hardware changes by itself; the clients
     * hear of it as if a client had set it. {@code status} is a value of that
     * kind's VDS status enumeration, e.g. {@code HardwareStatus.FAILED.code()}.
     *
     * @return true when the status changed, false when it already was that
     *     (nothing is then told)
     * @throws SimulatorException for an unknown object (0x80042405) or a
     *     status the object cannot take
     */
    public static boolean setStatus(UUID object, int status) {
        available();
        byte[] bytes = id(object, "object");
        return checked("cannot set the status of " + object, Natives.setStatus(bytes, status)) != S_FALSE;
    }

    /**
     * Takes an object and everything under it out of the machine, as a pulled
     * drive or a lost disk; the clients hear of the departures.
     *
     * @throws SimulatorException for an unknown object (0x80042405), or
     *     0x80042413 when other storage still lives on it
     */
    public static void removeObject(UUID object) {
        available();
        byte[] bytes = id(object, "object");
        checked("cannot remove " + object, Natives.removeObject(bytes));
    }

    /**
     * Blocks until the service's worker has nothing left to do: every
     * asynchronous operation started so far has ended, and so has what the
     * hardware does by itself (hot spares standing in, rebuilds).
     */
    public static void waitIdle() {
        available();
        Natives.waitIdle();
    }

    // ---- faults ----

    /**
     * Makes calls of {@code method} fail with {@code hresult}.
     *
     * @param method the interface and method, e.g. {@code "IVdsSubSystem::QueryDrives"}
     * @param nth which call fails, counted from now and from 1; 0 fails every call
     */
    public static void injectFault(String method, int nth, int hresult) {
        available();
        if (nth < 0) throw new IllegalArgumentException("nth is 1 or more, or 0 for every call: " + nth);
        Natives.injectFault(utf8(method, "method"), nth, hresult);
    }

    /** Makes the operations that {@code method} starts end with {@code hresult} when waited for. */
    public static void injectWaitFault(String method, int hresult) {
        available();
        Natives.injectWaitFault(utf8(method, "method"), hresult);
    }

    /** Makes the object answer E_NOINTERFACE when asked for the interface {@code iid}. */
    public static void refuseInterface(UUID object, UUID iid) {
        available();
        Natives.refuseInterface(id(object, "object"), id(iid, "iid"));
    }

    /** Makes GetProperties of the object fail with {@code hresult}. */
    public static void failProperties(UUID object, int hresult) {
        available();
        Natives.failProperties(id(object, "object"), hresult);
    }

    /**
     * Makes every call of {@code method} do its work and then answer
     * {@code hresult}, a success code other than S_OK, as the real service
     * may (the calls that open enumerations, and the service's
     * QueryProviders and GetObject).
     */
    public static void succeedWith(String method, int hresult) {
        available();
        if (hresult <= 0) throw new IllegalArgumentException(
            String.format("a success code other than S_OK, not 0x%08X", hresult));
        Natives.succeedWith(utf8(method, "method"), hresult);
    }

    /** Takes back every fault, refused interface and success code set from here. */
    public static void clearFaults() {
        available();
        Natives.clearFaults();
    }

    // ---- starting ----

    /**
     * How long the service stays starting after it is initialised: its
     * IsServiceReady answers S_FALSE for that long. Zero: ready at once. A
     * part of a millisecond counts as a whole one.
     *
     * @throws IllegalArgumentException for a negative duration or one beyond
     *     {@link Integer#MAX_VALUE} milliseconds
     */
    public static void setStartingPhase(Duration duration) {
        available();
        Objects.requireNonNull(duration, "duration");
        if (duration.isNegative() || duration.compareTo(Duration.ofMillis(Integer.MAX_VALUE)) > 0) {
            throw new IllegalArgumentException("a starting phase of 0 to " + Integer.MAX_VALUE + " ms, not "
                + duration);
        }
        Natives.setStartingPhase((int) duration.plusNanos(999_999).toMillis());
    }

    /** Keeps the service starting after it is initialised until {@link #finishStarting()}. */
    public static void setStartingPhaseUntilFinished() {
        available();
        Natives.setStartingPhase(-1);
    }

    /** Ends the starting phase now. */
    public static void finishStarting() {
        available();
        Natives.finishStarting();
    }

    // ---- notifications ----

    /**
     * Delivers 48-byte VDS_NOTIFICATION records, back to back, as one batch
     * to every advised sink, on the service's thread. No records: an empty
     * batch.
     *
     * @throws IllegalArgumentException if the length is not a multiple of 48
     */
    public static void fireNotifications(byte[] records) {
        available();
        Objects.requireNonNull(records, "records");
        if (records.length % Notification.LENGTH != 0) {
            throw new IllegalArgumentException(records.length + " bytes are no whole number of "
                + Notification.LENGTH + "-byte records");
        }
        Natives.fireNotifications(records);
    }

    /**
     * Delivers the notifications, as the client's own types, as one batch;
     * each becomes the record the client reads back as an equal one.
     */
    public static void fireNotifications(List<? extends Notification> notifications) {
        available();
        Natives.fireNotifications(NotificationRecords.of(Objects.requireNonNull(notifications, "notifications")));
    }

    /** Blocks until every batch fired or produced so far has reached its sinks. */
    public static void waitNotificationsDelivered() {
        available();
        Natives.waitNotificationsDelivered();
    }

    /** The sinks that clients have advised (one per connected client library). */
    public static long advisedSinks() {
        available();
        return Natives.advisedSinks();
    }

    /**
     * 1 (the default) or 2 threads deliver batches; with 2, two batches may
     * reach one sink at the same time, as on the real service. Other values
     * are clamped.
     */
    public static void setDeliveryThreads(int count) {
        available();
        Natives.setDeliveryThreads(count);
    }

    // ---- references ----

    /** References that clients hold on the service's objects, the service objects and class factory aside. */
    public static long liveReferences() {
        available();
        return Natives.liveReferences();
    }

    /** References that clients hold on service objects. */
    public static long serviceReferences() {
        available();
        return Natives.serviceReferences();
    }

    /** References that clients hold on one object; 0 for an object nobody holds or the service does not know. */
    public static long objectReferences(UUID object) {
        available();
        return Natives.objectReferences(id(object, "object"));
    }

    // ---- the journal ----

    /** Turns the journal of calls into the service on or off (it starts off; while off nothing is recorded). */
    public static void enableJournal(boolean on) {
        available();
        Natives.enableJournal(on);
    }

    /** The calls recorded so far, oldest first, one {@code "Interface::Method(args)"} line each. */
    public static List<String> journal() {
        available();
        byte[][] lines = Natives.journal();
        List<String> out = new ArrayList<>(lines.length);
        for (byte[] line : lines) out.add(new String(line, StandardCharsets.UTF_8));
        return List.copyOf(out);
    }

    /** Forgets the calls recorded so far. */
    public static void clearJournal() {
        available();
        Natives.clearJournal();
    }

    // ---- the service's behaviour ----

    /**
     * Whether IVdsPack::ReplaceDisk does its work (true) or answers
     * VDS_E_NOT_SUPPORTED (false, the default) as the released service does.
     */
    public static void supportReplaceDisk(boolean on) {
        available();
        Natives.supportReplaceDisk(on);
    }

    /**
     * Ends the service as a stopping service ends: the operation running
     * finishes, every other fails with RPC_E_DISCONNECTED (0x80010108), and
     * notifications stop. It cannot be undone within the process.
     */
    public static void stopService() {
        available();
        Natives.stopService();
    }
}
