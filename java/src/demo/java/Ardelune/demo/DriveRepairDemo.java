package Ardelune.demo;

import Ardelune.storage.Drive;
import Ardelune.storage.DriveExtent;
import Ardelune.storage.DriveFlag;
import Ardelune.storage.HardwareStatus;
import Ardelune.storage.Lun;
import Ardelune.storage.LunType;
import Ardelune.storage.Notification;
import Ardelune.storage.StorageSession;
import Ardelune.storage.SubSystem;
import java.util.EnumSet;
import java.util.List;
import java.util.Optional;
import java.util.Set;
import java.util.UUID;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.TimeUnit;
import java.util.stream.Collectors;

/**
 * Fails a drive that holds a fault-tolerant LUN, then follows, from the
 * notifications alone, what the subsystem does by itself: the LUN degraded,
 * the hot spare standing in, the rebuild's progress, the LUN whole again.
 */
final class DriveRepairDemo {
    /** Only these layouts survive a failing drive and can be rebuilt. */
    private static final Set<LunType> REDUNDANT = EnumSet.of(LunType.MIRROR, LunType.PARITY);
    private static final int TARGET_DRIVE = 32;
    private static final int TARGET_LUN = 33;
    private static final int DRIVE_REMOVED = 354;
    private static final int LUN_MODIFY = 110;
    /** Longer than any rebuild of the simulated machine takes. */
    private static final long WAIT_S = 10;

    private DriveRepairDemo() {}

    static void show(StorageSession storage, Tree tree, BlockingQueue<Notification> changes) throws InterruptedException {
        tree.line(0, "Drive repair");
        for (SubSystem subsystem : Machine.subsystems(storage)) {
            if (repair(storage, tree, changes, subsystem.id())) return;
        }
        tree.line(1, "No subsystem has a drive with a fault-tolerant LUN and a hot spare to rebuild it on");
    }

    private static boolean repair(StorageSession storage, Tree tree, BlockingQueue<Notification> changes,
                                  UUID subsystem) throws InterruptedException {
        Set<UUID> redundant = storage.luns(subsystem).stream().filter(l -> REDUNDANT.contains(l.typeValue()))
            .map(Lun::id).collect(Collectors.toSet());
        Drive failing = null;
        UUID lun = null;
        Drive spare = null;
        for (Drive drive : storage.drives(subsystem)) {
            if (drive.statusValue() != HardwareStatus.ONLINE) continue;
            Optional<DriveExtent> used = storage.driveExtents(drive.id()).stream()
                .filter(e -> e.used() && redundant.contains(e.lun())).findFirst();
            if (used.isPresent() && failing == null) {
                failing = drive;
                lun = used.get().lun();
            } else if (drive.flagSet().contains(DriveFlag.HOT_SPARE) && spare == null) {
                spare = drive;
            }
        }
        if (failing == null || spare == null || Long.compareUnsigned(failing.size(), spare.size()) > 0) return false;
        Drive broken = failing;
        showLun(storage, tree, subsystem, lun, "Before");
        tree.line(1, "Hot spare: " + Steps.quoted(spare.friendlyName()));
        changes.clear();
        tree.line(1, "Drive " + Steps.quoted(broken.friendlyName()) + " fails: "
                  + Steps.attempt(() -> storage.setDriveStatus(broken.id(), HardwareStatus.FAILED)));
        follow(storage, tree, changes, subsystem, lun, broken, spare);
        showLun(storage, tree, subsystem, lun, "Rebuilt");
        return true;
    }

    /** Tells the repair as the notifications tell it, until the rebuilt LUN is reported. */
    private static void follow(StorageSession storage, Tree tree, BlockingQueue<Notification> changes, UUID subsystem,
                               UUID lun, Drive broken, Drive spare) throws InterruptedException {
        boolean degradedShown = false;
        StringBuilder progress = new StringBuilder();
        for (;;) {
            Notification n = changes.poll(WAIT_S, TimeUnit.SECONDS);
            if (n == null) {
                tree.line(1, "No further notification within " + WAIT_S + " s");
                return;
            }
            if (n instanceof Notification.LunRebuildProgress p && p.lun().equals(lun)) {
                progress.append(progress.length() == 0 ? "" : " ").append(p.percentCompleted()).append('%');
                if (p.percentCompleted() == 100) tree.line(1, "Rebuilding: " + progress);
            } else if (n instanceof Notification.HardwareChange h && h.object().equals(lun)
                       && h.targetType() == TARGET_LUN && h.event() == LUN_MODIFY) {
                if (!degradedShown) showLun(storage, tree, subsystem, lun, "Degraded");
                degradedShown = true;
                if (progress.toString().endsWith("100%")) return;
            } else if (n instanceof Notification.HardwareChange h && h.targetType() == TARGET_DRIVE
                       && h.event() == DRIVE_REMOVED && h.object().equals(broken.id())) {
                tree.line(1, "Drive " + Steps.quoted(broken.friendlyName()) + " left the LUN; "
                          + Steps.quoted(spare.friendlyName()) + " stands in");
            }
        }
    }

    private static void showLun(StorageSession storage, Tree tree, UUID subsystem, UUID lun, String moment) {
        List<Lun> luns = storage.luns(subsystem);
        luns.stream().filter(l -> l.id().equals(lun)).forEach(l -> tree.line(1, moment + ": LUN "
            + Steps.quoted(l.friendlyName()) + " " + l.statusValue() + ", " + l.healthValue()));
    }
}
