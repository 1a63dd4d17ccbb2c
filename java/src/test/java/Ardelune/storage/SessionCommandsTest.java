package Ardelune.storage;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.fail;

import java.util.EnumMap;
import java.util.EnumSet;
import java.util.List;
import java.util.Map;
import java.util.UUID;
import java.util.function.Consumer;
import org.junit.jupiter.api.Test;

/**
 * Every command through its session method, naming objects the service does
 * not know: each request reaches its handler whole (the library answers it
 * with a status, never with the empty reply of a short or unknown request),
 * under the method's own command.
 */
class SessionCommandsTest {
    private static final UUID X = UUID.fromString("0BAD0000-0000-4000-8000-000000000001");
    private static final UUID Y = UUID.fromString("0BAD0000-0000-4000-8000-000000000002");
    private static final List<UUID> TWO = List.of(X, Y);
    private static final List<InputDisk> DISKS = List.of(InputDisk.of(X, 1L << 30), InputDisk.of(Y, 1L << 30));

    private static Map<Command, Consumer<StorageSession>> methods() {
        Map<Command, Consumer<StorageSession>> m = new EnumMap<>(Command.class);
        m.put(Command.GET_FILE_SYSTEM_PROPERTIES, s -> s.fileSystem(X));
        m.put(Command.QUERY_HW_PROVIDERS, StorageSession::hardwareProviders);
        m.put(Command.QUERY_SUBSYSTEMS, s -> s.subsystems(X));
        m.put(Command.QUERY_DRIVES, s -> s.drives(X));
        m.put(Command.QUERY_SUBSYSTEM_LUNS, s -> s.luns(X));
        m.put(Command.QUERY_DRIVE_EXTENTS, s -> s.driveExtents(X));
        m.put(Command.QUERY_CONTROLLERS, s -> s.controllers(X));
        m.put(Command.QUERY_LUN_PLEXES, s -> s.lunPlexes(X));
        m.put(Command.QUERY_LUN_PLEX_EXTENTS, s -> s.lunPlexExtents(X));
        m.put(Command.QUERY_ASSOCIATED_LUNS, s -> s.associatedLuns(X));
        m.put(Command.CREATE_LUN, s -> s.createLun(X, LunType.MIRROR, 1L << 30, "*", LunHints.none(), TWO));
        m.put(Command.SET_SUBSYSTEM_STATUS, s -> s.setSubSystemStatus(X, HardwareStatus.ONLINE));
        m.put(Command.SET_DRIVE_STATUS, s -> s.setDriveStatus(X, HardwareStatus.FAILED));
        m.put(Command.SET_CONTROLLER_STATUS, s -> s.setControllerStatus(X, HardwareStatus.OFFLINE));
        m.put(Command.REPLACE_DRIVE, s -> s.replaceDrive(X, Y, X));
        m.put(Command.RESET_CONTROLLER, s -> s.resetController(X));
        m.put(Command.MAINTENANCE, s -> s.maintenance(StorageSession.MaintenanceTarget.DRIVE, X, 1,
                                                      StorageSession.MaintenanceAction.PULSE, 3));
        m.put(Command.GET_DRIVE, s -> s.driveAt(X, 0, 0));
        m.put(Command.DELETE_LUN, s -> s.deleteLun(X));
        m.put(Command.ADD_LUN_PLEX, s -> s.addLunPlex(X, Y));
        m.put(Command.REMOVE_LUN_PLEX, s -> s.removeLunPlex(X, Y));
        m.put(Command.QUERY_MAX_LUN_EXTEND_SIZE, s -> s.maxLunExtendSize(X, TWO));
        m.put(Command.EXTEND_LUN, s -> s.extendLun(X, 1L << 30, TWO));
        m.put(Command.QUERY_LUN_HINTS, s -> s.lunHints(X));
        m.put(Command.APPLY_LUN_HINTS, s -> s.applyLunHints(X, LunHints.none()));
        m.put(Command.SET_LUN_STATUS, s -> s.setLunStatus(X, HardwareStatus.ONLINE));
        m.put(Command.SET_LUN_MASK, s -> s.setLunMask(X, "iqn.1991-05.com.microsoft:host2"));
        m.put(Command.QUERY_ACTIVE_CONTROLLERS, s -> s.activeControllers(X));
        m.put(Command.ASSOCIATE_CONTROLLERS, s -> s.associateControllers(X, List.of(Y), List.of(X)));
        m.put(Command.SHRINK_LUN, s -> s.shrinkLun(X, 1L << 20));
        m.put(Command.RECOVER_LUN, s -> s.recoverLun(X));
        m.put(Command.SET_DRIVE_FLAGS, s -> s.setDriveFlags(X, EnumSet.of(DriveFlag.HOT_SPARE)));
        m.put(Command.CLEAR_DRIVE_FLAGS, s -> s.clearDriveFlags(X, EnumSet.of(DriveFlag.HOT_SPARE)));
        m.put(Command.QUERY_SW_PROVIDERS, StorageSession::softwareProviders);
        m.put(Command.QUERY_PACKS, s -> s.packs(X));
        m.put(Command.QUERY_PACK_DISKS, s -> s.packDisks(X));
        m.put(Command.CONVERT_STYLE, s -> s.convertStyle(X, PartitionStyle.GPT));
        m.put(Command.QUERY_PARTITIONS, s -> s.partitions(X));
        m.put(Command.CREATE_PARTITION, s -> s.createPartition(X, 1L << 20, 1L << 30, PartitionStyle.GPT));
        m.put(Command.DELETE_PARTITION, s -> s.deletePartition(X, 1L << 20, true, false));
        m.put(Command.FORMAT_PARTITION, s -> s.formatPartition(X, 1L << 20, FileSystemType.NTFS, "Label", 0,
                                                               false, true, false));
        m.put(Command.CLEAN_DISK, s -> s.cleanDisk(X, true, false, false));
        m.put(Command.QUERY_DISK_EXTENTS, s -> s.diskExtents(X));
        m.put(Command.SET_DISK_FLAGS, s -> s.setDiskFlags(X, EnumSet.of(DiskFlag.READ_ONLY)));
        m.put(Command.CLEAR_DISK_FLAGS, s -> s.clearDiskFlags(X, EnumSet.of(DiskFlag.READ_ONLY)));
        m.put(Command.ADD_DISK, s -> s.addDisk(X, Y, PartitionStyle.GPT, false));
        m.put(Command.MIGRATE_DISKS, s -> s.migrateDisks(X, Y, false, true, TWO));
        m.put(Command.REPLACE_DISK, s -> s.replaceDisk(X, Y, X));
        m.put(Command.REMOVE_MISSING_DISK, s -> s.removeMissingDisk(X, Y));
        m.put(Command.CREATE_PACK, s -> s.createPack(X));
        m.put(Command.GET_DRIVE_LETTER, s -> s.driveLetter(X, 1L << 20));
        m.put(Command.ASSIGN_DRIVE_LETTER, s -> s.assignDriveLetter(X, 1L << 20, 'Q'));
        m.put(Command.DELETE_DRIVE_LETTER, s -> s.deleteDriveLetter(X, 1L << 20, 'Q'));
        m.put(Command.QUERY_VOLUMES, s -> s.volumes(X));
        m.put(Command.QUERY_VOLUME_PLEXES, s -> s.volumePlexes(X));
        m.put(Command.QUERY_VOLUME_PLEX_EXTENTS, s -> s.volumePlexExtents(X, Y, X, Y));
        m.put(Command.REPAIR_VOLUME_PLEX, s -> s.repairVolumePlex(X, DISKS));
        m.put(Command.EXTEND_VOLUME, s -> s.extendVolume(X, DISKS));
        m.put(Command.ADD_VOLUME_PLEX, s -> s.addVolumePlex(X, Y));
        m.put(Command.BREAK_VOLUME_PLEX, s -> s.breakVolumePlex(X, Y));
        m.put(Command.REMOVE_VOLUME_PLEX, s -> s.removeVolumePlex(X, Y));
        m.put(Command.CREATE_VOLUME, s -> s.createVolume(X, VolumeType.MIRROR, DISKS));
        m.put(Command.DELETE_VOLUME, s -> s.deleteVolume(X, true));
        m.put(Command.SHRINK_VOLUME, s -> s.shrinkVolume(X, 1L << 20));
        m.put(Command.SET_VOLUME_FLAGS, s -> s.setVolumeFlags(X, EnumSet.of(VolumeFlag.HIDDEN), true));
        m.put(Command.CLEAR_VOLUME_FLAGS, s -> s.clearVolumeFlags(X, EnumSet.of(VolumeFlag.HIDDEN)));
        m.put(Command.FORMAT_VOLUME, s -> s.formatVolume(X, FileSystemType.NTFS, "Label", 0, false, true, false));
        m.put(Command.ADD_ACCESS_PATH, s -> s.addAccessPath(X, "C:\\Mounted\\"));
        m.put(Command.QUERY_ACCESS_PATHS, s -> s.accessPaths(X));
        m.put(Command.QUERY_REPARSE_POINTS, s -> s.reparsePoints(X));
        m.put(Command.DELETE_ACCESS_PATH, s -> s.deleteAccessPath(X, "C:\\Mounted\\", true));
        m.put(Command.MOUNT_VOLUME, s -> s.mountVolume(X));
        m.put(Command.DISMOUNT_VOLUME, s -> s.dismountVolume(X, true, false));
        m.put(Command.SET_FILE_SYSTEM_FLAGS, s -> s.setFileSystemFlags(X, 1));
        m.put(Command.REFRESH_PROVIDER, s -> s.refreshProvider(X));
        m.put(Command.GET_FREE_SPACE, s -> s.freeSpace("/"));
        m.put(Command.REENUMERATE, StorageSession::reenumerate);
        return m;
    }

    @Test
    void everyCommandHasAMethodWhoseRequestArrivesWhole() {
        Map<Command, Consumer<StorageSession>> methods = methods();
        assertEquals(EnumSet.allOf(Command.class), methods.keySet(), "one method per command");
        try (StorageSession session = StorageSession.open()) {
            for (Map.Entry<Command, Consumer<StorageSession>> e : methods.entrySet()) {
                try {
                    e.getValue().accept(session);
                } catch (NotConnectedException | ProtocolException broken) {
                    fail(e.getKey() + " got no proper answer", broken);
                } catch (StorageException answered) {
                    assertEquals(e.getKey(), answered.command(), "the command that " + e.getKey() + "'s method sent");
                }
            }
        }
    }
}
