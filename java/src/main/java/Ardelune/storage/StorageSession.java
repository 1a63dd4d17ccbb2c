package Ardelune.storage;

import static Ardelune.storage.Command.*;

import java.util.ArrayList;
import java.util.List;
import java.util.Optional;
import java.util.Set;
import java.util.UUID;
import java.util.concurrent.Executor;
import java.util.concurrent.locks.ReentrantReadWriteLock;
import java.util.function.Consumer;
import java.util.function.Function;
import java.util.function.Supplier;
import java.util.stream.Collectors;

/**
 * A connection to the Virtual Disk Service, with one method per command.
 *
 * <p>The library keeps one connection per process, and so do sessions: the
 * first {@link #open()} connects, later ones share that connection, and only
 * the {@link #close()} of the last open session disconnects. Any thread may
 * run commands, concurrently; closing the last session waits for the
 * commands that are running.
 *
 * <p>Identifiers are {@link UUID}s, sizes and offsets are bytes (unsigned
 * {@code long}s). A command that fails throws a {@link StorageException}:
 * {@link ObjectNotFoundException}, {@link NoAdvancedDiskException},
 * {@link VdsException}, {@link SystemErrorException},
 * {@link NotConnectedException} or, for a reply this client cannot read,
 * {@link ProtocolException}.
 */
public final class StorageSession implements AutoCloseable {
    // The library does not guard connecting and disconnecting against running
    // commands: commands hold the read side, connecting and disconnecting the
    // write side, so the connection never closes under a running command.
    private static final ReentrantReadWriteLock CONNECTION = new ReentrantReadWriteLock();
    private static Connection shared;
    private static int users;

    // Where the objects of a hardware and of a software object address stand.
    private static final int PROVIDER = 4;
    private static final int SUBSYSTEM = 20;
    private static final int PACK = 20;
    private static final int OBJECT = 36;
    private static final int VOLUME = 36;
    private static final int PLEX = 52;
    private static final int ARGUMENTS = 52;

    private final Connection connection;
    private final List<Subscription> subscriptions = new ArrayList<>();
    private boolean closed;  // guarded by CONNECTION

    private StorageSession(Connection connection) {
        this.connection = connection;
    }

    /**
     * Opens a session, connecting to the service if no other session is open.
     *
     * @throws NotConnectedException when the native library cannot be loaded
     *     (the cause says why), or the service cannot be reached (its
     *     {@link StorageException#resultCode()} is the COM result code)
     */
    public static StorageSession open() {
        CONNECTION.writeLock().lock();
        try {
            if (shared == null) {
                NativeBridge bridge;
                try {
                    bridge = NativeLibraries.bridge();
                } catch (LinkageError | IllegalStateException | java.io.UncheckedIOException unloadable) {
                    NotConnectedException e = new NotConnectedException(null, 0, 0,
                        "cannot load the native library: " + unloadable.getMessage());
                    e.initCause(unloadable);
                    throw e;
                }
                Connection connection = new Connection(bridge);
                int result = connection.bridge.initialize();
                if (result < 0) {
                    connection.bridge.uninitialize();
                    connection.shutDown();
                    throw new NotConnectedException(null, 0, result,
                        "cannot connect to the service: " + ResultCodes.describe(result));
                }
                shared = connection;
            }
            users++;
            return new StorageSession(shared);
        } finally {
            CONNECTION.writeLock().unlock();
        }
    }

    /** Ends this session's subscriptions; the last session to close also disconnects. Closing twice does nothing. */
    @Override
    public void close() {
        CONNECTION.writeLock().lock();
        try {
            if (closed) return;
            closed = true;
            if (--users == 0) {
                shared = null;
                connection.bridge.uninitialize();
                connection.shutDown();
            }
        } finally {
            CONNECTION.writeLock().unlock();
        }
        List<Subscription> mine;
        synchronized (subscriptions) {
            mine = List.copyOf(subscriptions);
        }
        mine.forEach(Subscription::close);
    }

    /**
     * Delivers every notification from now on to {@code listener}, on
     * {@code executor}, one at a time and in order; never on the service's
     * thread. Give each listener an executor that runs tasks on threads of
     * its own, so that a slow listener does not hold up others. A listener
     * that throws is logged and goes on receiving.
     *
     * @return the subscription; close it to stop delivery
     */
    public Subscription subscribe(Executor executor, Consumer<? super Notification> listener) {
        CONNECTION.readLock().lock();
        try {
            if (closed) throw new NotConnectedException(null, 0, 0, "the session is closed");
            Subscription s = connection.subscribe(executor, listener);
            synchronized (subscriptions) {
                subscriptions.add(s);
            }
            return s;
        } finally {
            CONNECTION.readLock().unlock();
        }
    }

    // ---- providers and the service ----

    /** The hardware providers. */
    public List<Provider> hardwareProviders() {
        return list(Request.of(QUERY_HW_PROVIDERS), Provider.KIND);
    }

    /** The software providers. */
    public List<Provider> softwareProviders() {
        return list(Request.of(QUERY_SW_PROVIDERS), Provider.KIND);
    }

    /** The subsystems of a hardware provider. */
    public List<SubSystem> subsystems(UUID hardwareProvider) {
        return list(Request.of(QUERY_SUBSYSTEMS).id(PROVIDER, hardwareProvider), SubSystem.KIND);
    }

    /** The packs of a software provider. */
    public List<Pack> packs(UUID softwareProvider) {
        return list(Request.of(QUERY_PACKS).id(PROVIDER, softwareProvider), Pack.KIND);
    }

    /** Asks a provider to refresh what it knows. */
    public void refreshProvider(UUID provider) {
        run(Request.of(REFRESH_PROVIDER).id(PROVIDER, provider));
    }

    /** Asks the service to look for new disks and drives. */
    public void reenumerate() {
        run(Request.of(REENUMERATE));
    }

    /** Space on a drive root such as {@code C:\}. */
    public FreeSpace freeSpace(String root) {
        byte[] path = Texts.encode(root);
        byte[] reply = send(Request.of(GET_FREE_SPACE).int32(4, path.length).text(8, path));
        return FreeSpace.read(Replies.payload(GET_FREE_SPACE, reply, 24));
    }

    // ---- subsystems, controllers, drives ----

    /** The drives of a subsystem; empty when it has none. */
    public List<Drive> drives(UUID subsystem) {
        try {
            return list(Request.of(QUERY_DRIVES).id(SUBSYSTEM, subsystem), Drive.KIND);
        } catch (ObjectNotFoundException e) {
            // The library answers a subsystem without drives with the status
            // of a missing third object; it is an empty list.
            if (e.argument() == 3) return List.of();
            throw e;
        }
    }

    /** The LUNs of a subsystem. */
    public List<Lun> luns(UUID subsystem) {
        return list(Request.of(QUERY_SUBSYSTEM_LUNS).id(SUBSYSTEM, subsystem), Lun.KIND);
    }

    /** The controllers of a subsystem. */
    public List<Controller> controllers(UUID subsystem) {
        return list(Request.of(QUERY_CONTROLLERS).id(SUBSYSTEM, subsystem), Controller.KIND);
    }

    /** The extents of a drive: the stretches that LUNs use, and the free ones. */
    public List<DriveExtent> driveExtents(UUID drive) {
        return list(Request.of(QUERY_DRIVE_EXTENTS).id(OBJECT, drive), DriveExtent.KIND);
    }

    /** The LUNs that a controller serves. */
    public List<Lun> associatedLuns(UUID controller) {
        return list(Request.of(QUERY_ASSOCIATED_LUNS).id(OBJECT, controller), Lun.KIND);
    }

    /** The drive in a slot of a subsystem. */
    public Drive driveAt(UUID subsystem, int bus, int slot) {
        byte[] reply = send(Request.of(GET_DRIVE).id(4, subsystem).int16(20, bus).int16(22, slot));
        RecordReader r = Replies.payloadAtLeast(GET_DRIVE, reply, Drive.FIXED_PART);
        if (r.int32(0) != r.length()) throw r.damaged("a drive of " + r.int32(0) + " bytes in " + r.length());
        return Drive.KIND.read(GET_DRIVE, reply, Replies.HEADER_LENGTH, r.length());
    }

    /** Sets a subsystem online or offline. */
    public void setSubSystemStatus(UUID subsystem, HardwareStatus status) {
        run(Request.of(SET_SUBSYSTEM_STATUS).id(SUBSYSTEM, subsystem).int16(36, status.code()));
    }

    /** Sets a controller online or offline. */
    public void setControllerStatus(UUID controller, HardwareStatus status) {
        run(Request.of(SET_CONTROLLER_STATUS).id(OBJECT, controller).int16(ARGUMENTS, status.code()));
    }

    /** Sets a drive's status, e.g. {@link HardwareStatus#FAILED} to take it out of service. */
    public void setDriveStatus(UUID drive, HardwareStatus status) {
        run(Request.of(SET_DRIVE_STATUS).id(OBJECT, drive).int16(ARGUMENTS, status.code()));
    }

    /** Replaces {@code replaced} by {@code replacement} in the subsystem's LUNs. */
    public void replaceDrive(UUID subsystem, UUID replaced, UUID replacement) {
        run(Request.of(REPLACE_DRIVE).id(SUBSYSTEM, subsystem).id(OBJECT, replaced).id(PLEX, replacement));
    }

    /** Resets a controller. */
    public void resetController(UUID controller) {
        run(Request.of(RESET_CONTROLLER).id(OBJECT, controller));
    }

    /** Sets drive flags, e.g. {@link DriveFlag#HOT_SPARE}. */
    public void setDriveFlags(UUID drive, Set<DriveFlag> flags) {
        run(Request.of(SET_DRIVE_FLAGS).id(OBJECT, drive).int32(ARGUMENTS, Coded.bits(flags)));
    }

    /** Clears drive flags. */
    public void clearDriveFlags(UUID drive, Set<DriveFlag> flags) {
        run(Request.of(CLEAR_DRIVE_FLAGS).id(OBJECT, drive).int32(ARGUMENTS, Coded.bits(flags)));
    }

    /** What a maintenance request is about. */
    public enum MaintenanceTarget { SUBSYSTEM, CONTROLLER, DRIVE }

    /** What a maintenance request does. */
    public enum MaintenanceAction { START, STOP, PULSE }

    /**
     * Starts, stops or pulses a maintenance operation ({@code operation} is
     * the VDS_MAINTENANCE_OPERATION number, e.g. 1 to blink a light);
     * {@code pulses} counts only for {@link MaintenanceAction#PULSE}.
     */
    public void maintenance(MaintenanceTarget kind, UUID target, int operation, MaintenanceAction action,
                            int pulses) {
        try {
            run(Request.of(MAINTENANCE).int16(20, kind.ordinal()).id(24, target).int16(56, operation)
                .int32(60, action.ordinal()).int32(64, pulses));
        } catch (ObjectNotFoundException e) {
            // The status tells the target's kind, not its place: it is the only object.
            throw new ObjectNotFoundException(MAINTENANCE, e.status(), 1);
        }
    }

    // ---- LUNs ----

    /** The plexes of a LUN. */
    public List<LunPlex> lunPlexes(UUID lun) {
        return list(Request.of(QUERY_LUN_PLEXES).id(OBJECT, lun), LunPlex.KIND);
    }

    /** The drive extents of a LUN plex. */
    public List<DriveExtent> lunPlexExtents(UUID lunPlex) {
        return list(Request.of(QUERY_LUN_PLEX_EXTENTS).id(PLEX, lunPlex), DriveExtent.KIND);
    }

    /** The controllers through which a LUN is reached now. */
    public List<Controller> activeControllers(UUID lun) {
        return list(Request.of(QUERY_ACTIVE_CONTROLLERS).id(OBJECT, lun), Controller.KIND);
    }

    /**
     * Creates a LUN. The library's reply does not name it, so it is found as
     * the one LUN of the subsystem that was not there before; empty when that
     * cannot be told (another LUN appeared or went at the same time).
     *
     * @param drives the drives to build on; empty to let the subsystem choose
     */
    public Optional<Lun> createLun(UUID subsystem, LunType type, long size, String unmaskingList, LunHints hints,
                                   List<UUID> drives) {
        byte[] list = Texts.encode(unmaskingList);
        Request request = Request.of(CREATE_LUN).id(SUBSYSTEM, subsystem).int16(36, type.code()).int64(40, size)
            .int32(48, list.length).int32(52, drives.size()).text(56, list).ids(108 + list.length, drives);
        hints.write(request, 56 + list.length);
        Set<UUID> before = known(() -> luns(subsystem), Lun::id);
        run(request);
        return before == null ? Optional.empty() : added(luns(subsystem), Lun::id, before);
    }

    /** Deletes a LUN and gives its space back to its drives. */
    public void deleteLun(UUID lun) {
        run(Request.of(DELETE_LUN).id(OBJECT, lun));
    }

    /** Makes the LUN {@code plexLun} a plex of {@code lun}. */
    public void addLunPlex(UUID lun, UUID plexLun) {
        run(Request.of(ADD_LUN_PLEX).id(OBJECT, lun).id(PLEX + OBJECT - 4, plexLun));
    }

    /** Removes a plex from a LUN. */
    public void removeLunPlex(UUID lun, UUID lunPlex) {
        run(Request.of(REMOVE_LUN_PLEX).id(OBJECT, lun).id(PLEX, lunPlex));
    }

    /** How many bytes a LUN can grow by on {@code drives} (empty: any drive). */
    public long maxLunExtendSize(UUID lun, List<UUID> drives) {
        byte[] reply = send(Request.of(QUERY_MAX_LUN_EXTEND_SIZE).id(OBJECT, lun).int16(52, shortCount(drives))
            .int16(54, 0).ids(56, drives));
        return Replies.payload(QUERY_MAX_LUN_EXTEND_SIZE, reply, 8).uint64(0);
    }

    /** Grows a LUN by {@code bytes}, on {@code drives} (empty: any drive). */
    public void extendLun(UUID lun, long bytes, List<UUID> drives) {
        run(Request.of(EXTEND_LUN).id(OBJECT, lun).int64(52, bytes).int16(60, shortCount(drives)).ids(62, drives));
    }

    /** Shrinks a LUN by {@code bytes}. */
    public void shrinkLun(UUID lun, long bytes) {
        run(Request.of(SHRINK_LUN).id(OBJECT, lun).int64(ARGUMENTS, bytes));
    }

    /** Asks a LUN to recover, e.g. to rebuild after a drive was replaced. */
    public void recoverLun(UUID lun) {
        run(Request.of(RECOVER_LUN).id(OBJECT, lun));
    }

    /** How a LUN is meant to be used. */
    public LunHints lunHints(UUID lun) {
        byte[] reply = send(Request.of(QUERY_LUN_HINTS).id(OBJECT, lun));
        return LunHints.read(Replies.payload(QUERY_LUN_HINTS, reply, LunHints.LENGTH));
    }

    /** Tells a LUN how it is meant to be used. */
    public void applyLunHints(UUID lun, LunHints hints) {
        Request request = Request.of(APPLY_LUN_HINTS).id(OBJECT, lun);
        hints.write(request, ARGUMENTS);
        run(request);
    }

    /** Sets a LUN online or offline. */
    public void setLunStatus(UUID lun, HardwareStatus status) {
        run(Request.of(SET_LUN_STATUS).id(OBJECT, lun).int16(ARGUMENTS, status.code()));
    }

    /** Sets which hosts see the LUN ("*" for all, "" for none). */
    public void setLunMask(UUID lun, String unmaskingList) {
        byte[] list = Texts.encode(unmaskingList);
        run(Request.of(SET_LUN_MASK).id(OBJECT, lun).int16(52, shortLength(list)).text(54, list));
    }

    /** Sets the controllers through which the LUN is reached, and those held in reserve. */
    public void associateControllers(UUID lun, List<UUID> active, List<UUID> inactive) {
        run(Request.of(ASSOCIATE_CONTROLLERS).id(OBJECT, lun).int16(52, shortCount(active))
            .int16(54, shortCount(inactive)).ids(56, active).ids(56 + 16 * active.size(), inactive));
    }

    // ---- packs and disks ----

    /** The disks of a pack. */
    public List<Disk> packDisks(UUID pack) {
        return list(Request.of(QUERY_PACK_DISKS).id(PACK, pack), Disk.KIND);
    }

    /** Creates an empty pack and returns its identifier. */
    public UUID createPack(UUID softwareProvider) {
        byte[] reply = send(Request.of(CREATE_PACK).id(PROVIDER, softwareProvider));
        return Replies.payload(CREATE_PACK, reply, 16).id(0);
    }

    /** Adds a disk to a pack, with a partition style, or as a hot spare. */
    public void addDisk(UUID pack, UUID disk, PartitionStyle style, boolean hotSpare) {
        run(Request.of(ADD_DISK).id(4, pack).id(20, disk).int32(36, style.code()).int32(40, hotSpare ? 1 : 0));
    }

    /** Moves disks from one pack to another, or with {@code queryOnly} asks whether it would work. */
    public MigrationResult migrateDisks(UUID source, UUID target, boolean force, boolean queryOnly,
                                        List<UUID> disks) {
        byte[] reply = send(Request.of(MIGRATE_DISKS).id(4, source).id(20, target).int32(36, force ? 1 : 0)
            .int32(40, queryOnly ? 1 : 0).int32(44, disks.size()).ids(48, disks));
        RecordReader r = Replies.payload(MIGRATE_DISKS, reply, 8);
        return new MigrationResult(r.int32(0), r.int32(4) != 0);
    }

    /** Replaces a disk of a pack by another. */
    public void replaceDisk(UUID pack, UUID oldDisk, UUID newDisk) {
        run(Request.of(REPLACE_DISK).id(4, pack).id(20, oldDisk).id(36, newDisk));
    }

    /** Removes a disk that the pack has lost. */
    public void removeMissingDisk(UUID pack, UUID disk) {
        run(Request.of(REMOVE_MISSING_DISK).id(4, pack).id(20, disk));
    }

    /** Converts an empty disk to another partition style. */
    public void convertStyle(UUID disk, PartitionStyle style) {
        run(Request.of(CONVERT_STYLE).id(OBJECT, disk).int32(ARGUMENTS, style.code()));
    }

    /** Sets disk flags. */
    public void setDiskFlags(UUID disk, Set<DiskFlag> flags) {
        run(Request.of(SET_DISK_FLAGS).id(OBJECT, disk).int32(ARGUMENTS, Coded.bits(flags)));
    }

    /** Clears disk flags. */
    public void clearDiskFlags(UUID disk, Set<DiskFlag> flags) {
        run(Request.of(CLEAR_DISK_FLAGS).id(OBJECT, disk).int32(ARGUMENTS, Coded.bits(flags)));
    }

    /** The extents of a disk: partitions, volume pieces and free space. */
    public List<DiskExtent> diskExtents(UUID disk) {
        return list(Request.of(QUERY_DISK_EXTENTS).id(OBJECT, disk), DiskExtent.KIND);
    }

    /** Removes every partition and volume from a disk. */
    public void cleanDisk(UUID disk, boolean force, boolean forceOem, boolean fullClean) {
        run(Request.of(CLEAN_DISK).id(OBJECT, disk).int16(52, flag(force)).int16(54, flag(forceOem))
            .int16(56, flag(fullClean)));
    }

    // ---- partitions ----

    /** The partitions of a disk. */
    public List<Partition> partitions(UUID disk) {
        return list(Request.of(QUERY_PARTITIONS).id(OBJECT, disk), Partition.KIND);
    }

    /**
     * Creates a partition of {@code size} bytes at {@code offset}. The reply
     * does not describe it, so it is read back from the disk's partitions by
     * its offset; empty when it is not there by then.
     */
    public Optional<Partition> createPartition(UUID disk, long offset, long size, PartitionStyle style) {
        run(Request.of(CREATE_PARTITION).id(4, disk).int64(20, offset).int64(28, size).int32(36, style.code()));
        return partitions(disk).stream().filter(p -> p.offset() == offset).findFirst();
    }

    /** Deletes the partition at {@code offset}. */
    public void deletePartition(UUID disk, long offset, boolean force, boolean forceProtected) {
        run(Request.of(DELETE_PARTITION).id(OBJECT, disk).int64(52, offset).int16(60, flag(force))
            .int16(62, flag(forceProtected)));
    }

    /** Formats the partition at {@code offset}; {@code allocationUnit} in bytes, 0 for the default. */
    public void formatPartition(UUID disk, long offset, FileSystemType type, String label, int allocationUnit,
                                boolean force, boolean quick, boolean compress) {
        byte[] text = Texts.encode(label);
        run(Request.of(FORMAT_PARTITION).id(OBJECT, disk).int64(52, offset).int32(60, allocationUnit)
            .int16(64, type.code()).int16(66, flag(force)).int16(68, flag(quick)).int16(70, flag(compress))
            .int32(72, text.length).text(76, text));
    }

    /** The drive letter of the partition at {@code partitionOffset}. */
    public char driveLetter(UUID disk, long partitionOffset) {
        byte[] reply = send(Request.of(GET_DRIVE_LETTER).id(4, disk).int64(20, partitionOffset));
        return Replies.payload(GET_DRIVE_LETTER, reply, 1).textAt(0, 1).charAt(0);
    }

    /** Gives the partition at {@code partitionOffset} a drive letter. */
    public void assignDriveLetter(UUID disk, long partitionOffset, char letter) {
        run(Request.of(ASSIGN_DRIVE_LETTER).id(4, disk).int64(20, partitionOffset).int8(28, letter(letter)));
    }

    /** Takes a drive letter from the partition at {@code partitionOffset}. */
    public void deleteDriveLetter(UUID disk, long partitionOffset, char letter) {
        run(Request.of(DELETE_DRIVE_LETTER).id(4, disk).int64(20, partitionOffset).int8(28, letter(letter)));
    }

    // ---- volumes ----

    /** The volumes of a pack. */
    public List<Volume> volumes(UUID pack) {
        return list(Request.of(QUERY_VOLUMES).id(PACK, pack), Volume.KIND);
    }

    /** The plexes of a volume. */
    public List<VolumePlex> volumePlexes(UUID volume) {
        return list(Request.of(QUERY_VOLUME_PLEXES).id(VOLUME, volume), VolumePlex.KIND);
    }

    /** The extents of a volume plex; the request names the whole path down to it. */
    public List<DiskExtent> volumePlexExtents(UUID softwareProvider, UUID pack, UUID volume, UUID plex) {
        return list(Request.of(QUERY_VOLUME_PLEX_EXTENTS).id(PROVIDER, softwareProvider).id(PACK, pack)
            .id(VOLUME, volume).id(PLEX, plex), DiskExtent.KIND);
    }

    /**
     * Creates a volume. The reply does not name it, so it is found as the one
     * volume of the pack that was not there before; empty when that cannot be
     * told (another volume appeared or went at the same time).
     */
    public Optional<Volume> createVolume(UUID pack, VolumeType type, List<InputDisk> disks) {
        Request request = Request.of(CREATE_VOLUME).id(PACK, pack).int32(36, type.code()).int32(40, disks.size());
        inputDisks(request, 44, disks);
        Set<UUID> before = known(() -> volumes(pack), Volume::id);
        run(request);
        return before == null ? Optional.empty() : added(volumes(pack), Volume::id, before);
    }

    /** Deletes a volume. */
    public void deleteVolume(UUID volume, boolean force) {
        run(Request.of(DELETE_VOLUME).id(4, volume).int32(20, force ? 1 : 0));
    }

    /** Grows a volume onto {@code disks}. */
    public void extendVolume(UUID volume, List<InputDisk> disks) {
        Request request = Request.of(EXTEND_VOLUME).id(VOLUME, volume).int32(52, disks.size());
        inputDisks(request, 56, disks);
        run(request);
    }

    /** Shrinks a volume by {@code bytes}. */
    public void shrinkVolume(UUID volume, long bytes) {
        run(Request.of(SHRINK_VOLUME).id(4, volume).int64(20, bytes));
    }

    /** Repairs a plex of a volume with space on {@code disks}. */
    public void repairVolumePlex(UUID plex, List<InputDisk> disks) {
        Request request = Request.of(REPAIR_VOLUME_PLEX).id(PLEX, plex).int32(68, disks.size());
        inputDisks(request, 72, disks);
        run(request);
    }

    /** Adds the volume {@code plexVolume} to {@code volume} as a plex (a mirror). */
    public void addVolumePlex(UUID volume, UUID plexVolume) {
        run(Request.of(ADD_VOLUME_PLEX).id(VOLUME, volume).id(PLEX, plexVolume));
    }

    /** Breaks a plex off a mirror; it becomes a volume of its own. */
    public void breakVolumePlex(UUID volume, UUID plex) {
        run(Request.of(BREAK_VOLUME_PLEX).id(VOLUME, volume).id(PLEX, plex));
    }

    /** Removes a plex from a volume. */
    public void removeVolumePlex(UUID volume, UUID plex) {
        run(Request.of(REMOVE_VOLUME_PLEX).id(VOLUME, volume).id(PLEX, plex));
    }

    /** Sets volume flags, optionally only until the volume is closed. */
    public void setVolumeFlags(UUID volume, Set<VolumeFlag> flags, boolean revertOnClose) {
        run(Request.of(SET_VOLUME_FLAGS).id(4, volume).int32(20, Coded.bits(flags)).int32(24, flag(revertOnClose)));
    }

    /** Clears volume flags. */
    public void clearVolumeFlags(UUID volume, Set<VolumeFlag> flags) {
        run(Request.of(CLEAR_VOLUME_FLAGS).id(4, volume).int32(20, Coded.bits(flags)));
    }

    // ---- file systems ----

    /** The file system on a volume. */
    public FileSystem fileSystem(UUID volume) {
        byte[] reply = send(Request.of(GET_FILE_SYSTEM_PROPERTIES).id(4, volume));
        RecordReader r = Replies.payloadAtLeast(GET_FILE_SYSTEM_PROPERTIES, reply, FileSystem.FIXED_PART);
        if (r.int16(44) != r.length() - FileSystem.FIXED_PART) {
            throw r.damaged("a label of " + r.int16(44) + " bytes in a record of " + r.length());
        }
        return FileSystem.read(r);
    }

    /** Formats a volume; {@code allocationUnit} in bytes, 0 for the default. */
    public void formatVolume(UUID volume, FileSystemType type, String label, int allocationUnit, boolean force,
                             boolean quick, boolean compress) {
        byte[] text = Texts.encode(label);
        run(Request.of(FORMAT_VOLUME).id(4, volume).int32(20, type.code()).int32(24, allocationUnit)
            .int16(28, flag(force)).int16(30, flag(quick)).int16(32, flag(compress)).int16(34, shortLength(text))
            .text(36, text));
    }

    /** The drive roots and folders through which a volume is reached. */
    public List<AccessPath> accessPaths(UUID volume) {
        return list(Request.of(QUERY_ACCESS_PATHS).id(4, volume), AccessPath.KIND);
    }

    /** The folders on a volume that mount other volumes. */
    public List<ReparsePoint> reparsePoints(UUID volume) {
        return list(Request.of(QUERY_REPARSE_POINTS).id(4, volume), ReparsePoint.KIND);
    }

    /** Mounts the volume at a drive root ("K:\") or an empty folder. */
    public void addAccessPath(UUID volume, String path) {
        byte[] text = Texts.encode(path);
        run(Request.of(ADD_ACCESS_PATH).id(4, volume).int32(20, text.length).text(24, text));
    }

    /** Removes an access path from a volume. */
    public void deleteAccessPath(UUID volume, String path, boolean force) {
        byte[] text = Texts.encode(path);
        run(Request.of(DELETE_ACCESS_PATH).id(4, volume).int16(20, flag(force)).int16(22, shortLength(text))
            .text(24, text));
    }

    /** Mounts a volume. */
    public void mountVolume(UUID volume) {
        run(Request.of(MOUNT_VOLUME).id(4, volume));
    }

    /** Dismounts a volume, optionally for good. */
    public void dismountVolume(UUID volume, boolean force, boolean permanent) {
        run(Request.of(DISMOUNT_VOLUME).id(4, volume).int16(20, flag(force)).int16(22, flag(permanent)));
    }

    /** Sets file-system flags (VDS_FILE_SYSTEM_FLAG bits). */
    public void setFileSystemFlags(UUID volume, int flags) {
        run(Request.of(SET_FILE_SYSTEM_FLAGS).id(4, volume).int32(20, flags));
    }

    // ---- plumbing ----

    private byte[] send(Request request) {
        CONNECTION.readLock().lock();
        try {
            if (closed) throw new NotConnectedException(request.command(), 0, 0, "the session is closed");
            return connection.bridge.command(request.bytes());
        } finally {
            CONNECTION.readLock().unlock();
        }
    }

    /** The library's reply to a request as it stands, for checks against the decoded form. */
    byte[] rawReply(byte[] request) {
        return connection.bridge.command(request);
    }

    private void run(Request request) {
        Replies.empty(request.command(), send(request));
    }

    private <R> List<R> list(Request request, RecordKind<R> kind) {
        return Replies.list(request.command(), send(request), kind);
    }

    /**
     * The identifiers of what is there before a creation; null when they
     * cannot be listed, so that the creating command itself reports why.
     */
    private static <R> Set<UUID> known(Supplier<List<R>> list, Function<R, UUID> id) {
        try {
            return list.get().stream().map(id).collect(Collectors.toSet());
        } catch (StorageException unlisted) {
            return null;
        }
    }

    private static <R> Optional<R> added(List<R> after, Function<R, UUID> id, Set<UUID> before) {
        List<R> fresh = after.stream().filter(o -> !before.contains(id.apply(o))).toList();
        return fresh.size() == 1 ? Optional.of(fresh.get(0)) : Optional.empty();
    }

    private static void inputDisks(Request request, int at, List<InputDisk> disks) {
        for (int i = 0; i < disks.size(); i++) disks.get(i).write(request, at + i * InputDisk.LENGTH);
    }

    private static int flag(boolean value) {
        return value ? 1 : 0;
    }

    private static int shortCount(List<?> items) {
        if (items.size() > Short.MAX_VALUE) throw new IllegalArgumentException(items.size() + " items; at most 32767");
        return items.size();
    }

    private static int shortLength(byte[] text) {
        if (text.length > Short.MAX_VALUE) throw new IllegalArgumentException("a text of " + text.length + " bytes");
        return text.length;
    }

    private static int letter(char letter) {
        if (letter < 'A' || letter > 'Z' && letter < 'a' || letter > 'z') {
            throw new IllegalArgumentException("not a drive letter: " + letter);
        }
        return letter;
    }
}
