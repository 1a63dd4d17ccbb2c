package Ardelune.demo;

import Ardelune.Tolvane;
import Ardelune.demo.Records.ControllerRecord;
import Ardelune.demo.Records.DriveExtentRecord;
import Ardelune.demo.Records.DriveRecord;
import Ardelune.demo.Records.LunPlexRecord;
import Ardelune.demo.Records.LunRecord;
import Ardelune.demo.Records.PackRecord;
import Ardelune.demo.Records.ProviderRecord;
import Ardelune.demo.Records.SubSystemRecord;
import java.io.FileDescriptor;
import java.io.FileOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;

/**
 * Walks everything the storage commands can show, from the providers down
 * to the extents of each LUN plex, prints it as an outline, then asks the
 * service to rescan and prints the change notifications that follow.
 */
public final class StorageTreeDemo extends Tolvane {
    private static final int QUERY_HW_PROVIDERS = 0x0091;
    private static final int QUERY_SUBSYSTEMS = 0x0092;
    private static final int QUERY_DRIVES = 0x0093;
    private static final int QUERY_SUBSYSTEM_LUNS = 0x0094;
    private static final int QUERY_DRIVE_EXTENTS = 0x0095;
    private static final int QUERY_CONTROLLERS = 0x0096;
    private static final int QUERY_LUN_PLEXES = 0x0097;
    private static final int QUERY_LUN_PLEX_EXTENTS = 0x0098;
    private static final int QUERY_ASSOCIATED_LUNS = 0x0099;
    private static final int QUERY_SW_PROVIDERS = 0x0400;
    private static final int QUERY_PACKS = 0x0401;
    private static final int REENUMERATE = 0x1002;

    /** How long to wait for the rescan's notifications, and for a quiet spell that ends them early. */
    private static final long NOTIFICATION_WAIT_MS = 2000;
    private static final long NOTIFICATION_QUIET_MS = 300;

    private static final String BANNER = "==================== Tolvane storage tree ====================";
    private static final String END = "==================== end of storage tree =====================";

    /** One onNotify call. */
    private record Batch(long count, List<byte[]> records) {}

    // Filled on the service's notification threads, read on the main thread.
    private final BlockingQueue<Batch> batches = new LinkedBlockingQueue<>();

    @Override
    public void onNotify(long count, ArrayList<byte[]> list) {
        batches.add(new Batch(count, new ArrayList<>(list)));
    }

    public static void main(String[] args) throws InterruptedException {
        StorageTreeDemo demo = new StorageTreeDemo();
        int connected = demo.Initialize();
        if (connected < 0) {
            demo.Uninitialize();
            String machine = System.getenv("TOLVANE_SIM_TOPOLOGY");
            String hint = machine == null || machine.isEmpty() ? ""
                : "Check the simulated machine that TOLVANE_SIM_TOPOLOGY names: " + machine + "\n";
            print(String.format("%n%s%nCannot connect to the Virtual Disk Service: 0x%08X%n%s", BANNER, connected, hint));
            System.exit(1);
        }
        Tree tree = new Tree();
        tree.line(0, connected == 1 ? "Connected (after waiting for the service to start)" : "Connected");
        demo.showHardware(tree);
        demo.showSoftware(tree);
        PackDemo.show(demo, tree);
        DiskDemo.show(demo, tree);
        VolumeDemo.show(demo, tree);
        // Shown here, so that the LUN demo's batches are its own.
        List<Batch> softwareChanges = demo.awaitNotifications();
        tree.line(0, "Notifications of the pack, disk and volume changes: " + softwareChanges.size() + " batch(es)");
        showBatches(tree, softwareChanges);
        LunDemo.show(request -> demo.CmdHandler(request, request.length), () -> showBatches(tree, demo.awaitNotifications()), tree);
        demo.showRescan(tree);
        DriveRepairDemo.show(demo, tree);
        FileSystemDemo.show(demo, tree);
        demo.Uninitialize();
        print("\n" + BANNER + "\n" + tree + END + "\n");
    }

    // ----- hardware -----

    private void showHardware(Tree tree) {
        var providers = list(QUERY_HW_PROVIDERS, ProviderRecord.LAYOUT);
        tree.heading(0, "Hardware providers", providers);
        for (ProviderRecord provider : providers.records()) {
            tree.line(1, describe(provider));
            var subsystems = list(QUERY_SUBSYSTEMS, SubSystemRecord.LAYOUT, provider.id());
            if (!subsystems.ok()) tree.line(2, "Subsystems " + subsystems.problem());
            for (SubSystemRecord subsystem : subsystems.records()) {
                tree.line(2, describe(subsystem));
                showSubsystem(tree, 3, provider.id(), subsystem.id());
            }
        }
    }

    private void showSubsystem(Tree tree, int depth, ObjectId provider, ObjectId subsystem) {
        var controllers = list(QUERY_CONTROLLERS, ControllerRecord.LAYOUT, provider, subsystem);
        var drives = list(QUERY_DRIVES, DriveRecord.LAYOUT, provider, subsystem);
        var luns = list(QUERY_SUBSYSTEM_LUNS, LunRecord.LAYOUT, provider, subsystem);
        // Extents name drives and LUNs by identifier; show their names instead.
        Map<ObjectId, String> driveNames = new HashMap<>();
        drives.records().forEach(d -> driveNames.put(d.id(), d.friendlyName()));
        Map<ObjectId, String> lunNames = new HashMap<>();
        luns.records().forEach(l -> lunNames.put(l.id(), l.friendlyName()));

        tree.heading(depth, "Controllers", controllers);
        for (ControllerRecord controller : controllers.records()) {
            tree.line(depth + 1, describe(controller));
            var associated = list(QUERY_ASSOCIATED_LUNS, LunRecord.LAYOUT, provider, subsystem, controller.id());
            if (!associated.ok()) {
                tree.line(depth + 2, "Associated LUNs " + associated.problem());
            } else if (associated.records().isEmpty()) {
                tree.line(depth + 2, "Associated LUNs: none");
            }
            for (LunRecord lun : associated.records()) {
                tree.line(depth + 2, "Associated LUN " + quoted(lun.friendlyName()));
            }
        }

        tree.heading(depth, "Drives", drives);
        for (DriveRecord drive : drives.records()) {
            tree.line(depth + 1, describe(drive));
            var extents = list(QUERY_DRIVE_EXTENTS, DriveExtentRecord.LAYOUT, provider, subsystem, drive.id());
            if (!extents.ok()) tree.line(depth + 2, "Extents " + extents.problem());
            for (DriveExtentRecord extent : extents.records()) {
                tree.line(depth + 2, "Extent " + Sizes.format(extent.size())
                          + (extent.used() ? ", used by LUN " + nameOf(extent.lunId(), lunNames) : ", free"));
            }
        }

        tree.heading(depth, "LUNs", luns);
        for (LunRecord lun : luns.records()) {
            tree.line(depth + 1, describe(lun));
            var plexes = list(QUERY_LUN_PLEXES, LunPlexRecord.LAYOUT, provider, subsystem, lun.id());
            if (!plexes.ok()) tree.line(depth + 2, "Plexes " + plexes.problem());
            for (LunPlexRecord plex : plexes.records()) {
                tree.line(depth + 2, describe(plex));
                var extents = list(QUERY_LUN_PLEX_EXTENTS, DriveExtentRecord.LAYOUT,
                                   provider, subsystem, lun.id(), plex.id());
                if (!extents.ok()) tree.line(depth + 3, "Extents " + extents.problem());
                for (DriveExtentRecord extent : extents.records()) {
                    tree.line(depth + 3, "Extent " + Sizes.format(extent.size())
                              + " on drive " + nameOf(extent.driveId(), driveNames));
                }
            }
        }
    }

    // ----- software -----

    private void showSoftware(Tree tree) {
        var providers = list(QUERY_SW_PROVIDERS, ProviderRecord.LAYOUT);
        tree.heading(0, "Software providers", providers);
        for (ProviderRecord provider : providers.records()) {
            tree.line(1, describe(provider));
            var packs = list(QUERY_PACKS, PackRecord.LAYOUT, provider.id());
            tree.heading(2, "Packs", packs);
            for (PackRecord pack : packs.records()) {
                tree.line(3, "Pack " + quoted(pack.name()) + ": " + Names.status(pack.status())
                          + (pack.flags() != 0 ? String.format(", flags 0x%X", pack.flags()) : "")
                          + "  {" + pack.id() + "}");
            }
        }
    }

    // ----- rescan and notifications -----

    private void showRescan(Tree tree) throws InterruptedException {
        List<Batch> earlier = new ArrayList<>();
        batches.drainTo(earlier);
        if (!earlier.isEmpty()) {
            tree.line(0, "Notifications before the rescan");
            showBatches(tree, earlier);
        }
        Replies.Reply reply = new Replies.Reply(CmdHandler(Replies.request(REENUMERATE), Replies.request(REENUMERATE).length));
        if (reply.isEmpty()) {
            tree.line(0, "Rescan (not available)");
            return;
        }
        if (reply.length() < Replies.HEADER_LENGTH) {
            tree.line(0, "Rescan (unreadable reply of " + reply.length() + " bytes)");
            return;
        }
        if (reply.status() != 0) {
            tree.line(0, String.format("Rescan: status %d %s, addStatus 0x%08X",
                                       reply.status(), Replies.statusName(reply.status()), reply.addStatus()));
            return;
        }
        List<Batch> arrived = awaitNotifications();
        tree.line(0, "Rescan requested; notifications within " + NOTIFICATION_WAIT_MS / 1000.0 + " s: "
                  + (arrived.isEmpty() ? "none" : arrived.size() + " batch(es)"));
        showBatches(tree, arrived);
    }

    /** Batches until the wait is over, or until the service has been quiet for a while after the first. */
    private List<Batch> awaitNotifications() throws InterruptedException {
        List<Batch> arrived = new ArrayList<>();
        long deadline = System.nanoTime() + TimeUnit.MILLISECONDS.toNanos(NOTIFICATION_WAIT_MS);
        while (true) {
            long left = TimeUnit.NANOSECONDS.toMillis(deadline - System.nanoTime());
            if (left <= 0) break;
            long wait = arrived.isEmpty() ? left : Math.min(left, NOTIFICATION_QUIET_MS);
            Batch batch = batches.poll(wait, TimeUnit.MILLISECONDS);
            if (batch == null) break;
            arrived.add(batch);
        }
        return arrived;
    }

    private static void showBatches(Tree tree, List<Batch> batches) {
        for (Batch batch : batches) {
            tree.line(1, "Batch of " + batch.count());
            for (byte[] record : batch.records()) {
                String text;
                try {
                    text = Notification.read(record).describe();
                } catch (IllegalArgumentException damaged) {
                    text = "(unreadable: " + damaged.getMessage() + ")";
                }
                tree.line(2, text);
            }
        }
    }

    // ----- one line per object -----

    private static String describe(ProviderRecord p) {
        return quoted(p.name()) + " version " + quoted(p.version()) + ", " + Names.providerType(p.type())
               + "  {" + p.id() + "}";
    }

    private static String describe(SubSystemRecord s) {
        return "Subsystem " + quoted(s.friendlyName()) + " (" + s.identification() + "): "
               + Names.status(s.status()) + ", " + Names.health(s.health()) + "; " + count(s.buses(), "bus", "buses")
               + " x " + count(s.slotsPerBus(), "slot", "slots") + ", up to "
               + count(s.maxControllers(), "controller", "controllers") + "  {" + s.id() + "}";
    }

    private static String describe(ControllerRecord c) {
        return quoted(c.friendlyName()) + " (" + c.identification() + "): " + Names.status(c.status()) + ", "
               + Names.health(c.health()) + ", " + count(c.ports(), "port", "ports");
    }

    private static String describe(DriveRecord d) {
        return quoted(d.friendlyName()) + " (" + d.identification() + "): " + Sizes.format(d.size()) + ", "
               + Names.status(d.status()) + ", " + Names.health(d.health()) + ", bus " + d.bus() + " slot "
               + d.slot() + Names.driveFlags(d.flags());
    }

    private static String describe(LunRecord l) {
        String unmasked = l.unmaskingList().isEmpty() ? "" : "; unmasked to " + l.unmaskingList();
        return quoted(l.friendlyName()) + " (" + l.identification() + "): " + Names.lunType(l.type()) + ", "
               + Sizes.format(l.size()) + ", " + Names.status(l.status()) + ", " + Names.health(l.health())
               + unmasked;
    }

    private static String describe(LunPlexRecord p) {
        String stripe = p.stripeSize() != 0 ? ", stripe " + Sizes.format(Integer.toUnsignedLong(p.stripeSize())) : "";
        return "Plex {" + p.id() + "}: " + Names.lunType(p.type()) + ", " + Sizes.format(p.size()) + stripe + ", "
               + Names.status(p.status()) + ", " + Names.health(p.health());
    }

    private static String count(int n, String one, String many) {
        return n + " " + (n == 1 ? one : many);
    }

    private static String quoted(String name) {
        return name.isEmpty() ? "(no name)" : "\"" + name + "\"";
    }

    private static String nameOf(ObjectId id, Map<ObjectId, String> names) {
        String name = names.get(id);
        return name != null ? quoted(name) : "{" + id + "}";
    }

    // ----- talking to the library -----

    private <R> Replies.Listing<R> list(int code, Records.Layout<R> layout, ObjectId... address) {
        byte[] request = Replies.request(code, address);
        return Replies.Listing.of(CmdHandler(request, request.length), code, layout);
    }

    /**
     * Writes straight to the process's standard output in one call: the
     * library's own diagnostic lines share that stream, and this keeps ours
     * in one block among them.
     */
    private static void print(String text) {
        try {
            @SuppressWarnings("resource")  // standard output stays open for the library's lines
            FileOutputStream out = new FileOutputStream(FileDescriptor.out);
            out.write(text.getBytes(StandardCharsets.UTF_8));
            out.flush();
        } catch (IOException e) {
            System.err.println("Cannot write the tree: " + e.getMessage());
        }
    }
}
