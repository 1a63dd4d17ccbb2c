package Ardelune.storage;

import java.util.EnumMap;
import java.util.List;
import java.util.Map;

/**
 * One request exactly as a caller wrote it, and its reply read the way the
 * typed methods of {@link StorageSession} read theirs. For tools that speak
 * the protocol directly (a command line, a protocol test); applications want
 * the typed methods.
 */
public final class RawExchange {
    private RawExchange() {}

    // What the successful reply of each command holds; a command missing here
    // answers with its header alone.
    private static final Map<Command, RecordKind<?>> LISTS = new EnumMap<>(Command.class);
    static {
        LISTS.put(Command.QUERY_HW_PROVIDERS, Provider.KIND);
        LISTS.put(Command.QUERY_SW_PROVIDERS, Provider.KIND);
        LISTS.put(Command.QUERY_SUBSYSTEMS, SubSystem.KIND);
        LISTS.put(Command.QUERY_DRIVES, Drive.KIND);
        LISTS.put(Command.QUERY_SUBSYSTEM_LUNS, Lun.KIND);
        LISTS.put(Command.QUERY_DRIVE_EXTENTS, DriveExtent.KIND);
        LISTS.put(Command.QUERY_CONTROLLERS, Controller.KIND);
        LISTS.put(Command.QUERY_LUN_PLEXES, LunPlex.KIND);
        LISTS.put(Command.QUERY_LUN_PLEX_EXTENTS, DriveExtent.KIND);
        LISTS.put(Command.QUERY_ASSOCIATED_LUNS, Lun.KIND);
        LISTS.put(Command.QUERY_ACTIVE_CONTROLLERS, Controller.KIND);
        LISTS.put(Command.QUERY_PACKS, Pack.KIND);
        LISTS.put(Command.QUERY_PACK_DISKS, Disk.KIND);
        LISTS.put(Command.QUERY_PARTITIONS, Partition.KIND);
        LISTS.put(Command.QUERY_DISK_EXTENTS, DiskExtent.KIND);
        LISTS.put(Command.QUERY_VOLUMES, Volume.KIND);
        LISTS.put(Command.QUERY_VOLUME_PLEXES, VolumePlex.KIND);
        LISTS.put(Command.QUERY_VOLUME_PLEX_EXTENTS, DiskExtent.KIND);
        LISTS.put(Command.QUERY_ACCESS_PATHS, AccessPath.KIND);
        LISTS.put(Command.QUERY_REPARSE_POINTS, ReparsePoint.KIND);
    }

    /**
     * Sends {@code request} (the 4-byte header with the command code at 2,
     * then its fields) through the session's connection as it stands.
     *
     * @return the library's reply; empty when the library refused the
     *     request outright (too short, or a command it does not know)
     */
    public static byte[] send(StorageSession session, byte[] request) {
        byte[] reply = session.rawReply(request.clone());
        return reply == null ? new byte[0] : reply;
    }

    /**
     * What a successful reply of {@code command} carries: a {@code List} of
     * records for a list, the one record or value of a payload (a
     * {@link Drive}, {@link FileSystem}, {@link LunHints}, {@link FreeSpace},
     * {@link MigrationResult}, a {@code UUID} for a new pack, a
     * {@code Character} for a drive letter, a {@code Long} for a size), or
     * null for a reply that is its header alone.
     *
     * @throws StorageException the failure that the reply's status stands
     *     for, or a {@link ProtocolException} when the reply cannot be read
     */
    public static Object decode(Command command, byte[] reply) {
        RecordKind<?> kind = LISTS.get(command);
        if (kind != null) return List.copyOf(Replies.list(command, reply, kind));
        return switch (command) {
            case GET_FILE_SYSTEM_PROPERTIES -> {
                RecordReader r = Replies.payloadAtLeast(command, reply, FileSystem.FIXED_PART);
                yield FileSystem.read(r);
            }
            case GET_DRIVE -> {
                RecordReader r = Replies.payloadAtLeast(command, reply, Drive.FIXED_PART);
                yield Drive.KIND.read(command, reply, Replies.HEADER_LENGTH, r.length());
            }
            case QUERY_MAX_LUN_EXTEND_SIZE -> Replies.payload(command, reply, 8).uint64(0);
            case QUERY_LUN_HINTS -> LunHints.read(Replies.payload(command, reply, LunHints.LENGTH));
            case MIGRATE_DISKS -> {
                RecordReader r = Replies.payload(command, reply, 8);
                yield new MigrationResult(r.int32(0), r.int32(4) != 0);
            }
            case CREATE_PACK -> Replies.payload(command, reply, 16).id(0);
            case GET_DRIVE_LETTER -> Replies.payload(command, reply, 1).textAt(0, 1).charAt(0);
            case GET_FREE_SPACE -> FreeSpace.read(Replies.payload(command, reply, 24));
            default -> {
                Replies.empty(command, reply);
                yield null;
            }
        };
    }

    /** The symbolic name of a COM or VDS result code, e.g. "VDS_E_OBJECT_NOT_FOUND", or its hexadecimal form. */
    public static String resultName(int resultCode) {
        return ResultCodes.name(resultCode);
    }
}
