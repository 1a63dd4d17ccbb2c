package Ardelune.demo;

import Ardelune.storage.Drive;
import Ardelune.storage.DriveExtent;
import Ardelune.storage.DriveFlag;
import Ardelune.storage.HardwareStatus;
import Ardelune.storage.Lun;
import Ardelune.storage.LunType;
import Ardelune.storage.StorageSession;
import Ardelune.storage.SubSystem;
import java.util.EnumSet;
import java.util.List;
import java.util.Optional;
import java.util.Set;
import java.util.UUID;
import java.util.stream.Collectors;

/**
 * Fails a drive that holds LUN data, shows the LUN degrading, replaces the
 * drive with a free one (a hot spare when there is one) and shows the LUN
 * healthy again.
 */
final class DriveRepairDemo {
    /** Only these layouts survive a failing drive and can be rebuilt. */
    private static final Set<LunType> REDUNDANT = EnumSet.complementOf(
        EnumSet.of(LunType.UNKNOWN, LunType.DEFAULT, LunType.NON_FAULT_TOLERANT, LunType.SIMPLE, LunType.SPAN,
                   LunType.STRIPE));

    private DriveRepairDemo() {}

    static void show(StorageSession storage, Tree tree) {
        tree.line(0, "Drive repair");
        for (SubSystem subsystem : Machine.subsystems(storage)) {
            if (repair(storage, tree, subsystem.id())) return;
        }
        tree.line(1, "No subsystem has a drive with LUN data and a free drive to replace it");
    }

    private static boolean repair(StorageSession storage, Tree tree, UUID subsystem) {
        Set<UUID> redundant = storage.luns(subsystem).stream().filter(l -> REDUNDANT.contains(l.typeValue()))
            .map(Lun::id).collect(Collectors.toSet());
        Drive failing = null;
        UUID lun = null;
        Drive replacement = null;
        for (Drive drive : storage.drives(subsystem)) {
            if (drive.statusValue() != HardwareStatus.ONLINE) continue;
            Optional<DriveExtent> used = storage.driveExtents(drive.id()).stream().filter(DriveExtent::used).findFirst();
            if (used.isPresent() && redundant.contains(used.get().lun()) && failing == null) {
                failing = drive;
                lun = used.get().lun();
            } else if (used.isEmpty() && (replacement == null || drive.flagSet().contains(DriveFlag.HOT_SPARE))) {
                replacement = drive;
            }
        }
        if (failing == null || replacement == null || Long.compareUnsigned(failing.size(), replacement.size()) > 0) {
            return false;
        }
        Drive broken = failing;
        Drive spare = replacement;
        showLun(storage, tree, subsystem, lun, "Before");
        tree.line(1, "Drive " + Steps.quoted(broken.friendlyName()) + " fails: "
                  + Steps.attempt(() -> storage.setDriveStatus(broken.id(), HardwareStatus.FAILED)));
        showLun(storage, tree, subsystem, lun, "Degraded");
        tree.line(1, "Replace it with " + Steps.quoted(spare.friendlyName()) + ": "
                  + Steps.attempt(() -> storage.replaceDrive(subsystem, broken.id(), spare.id())));
        showLun(storage, tree, subsystem, lun, "Rebuilt");
        return true;
    }

    private static void showLun(StorageSession storage, Tree tree, UUID subsystem, UUID lun, String moment) {
        List<Lun> luns = storage.luns(subsystem);
        luns.stream().filter(l -> l.id().equals(lun)).forEach(l -> tree.line(1, moment + ": LUN "
            + Steps.quoted(l.friendlyName()) + " " + l.statusValue() + ", " + l.healthValue()));
    }
}
