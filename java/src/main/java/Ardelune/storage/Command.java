package Ardelune.storage;

import java.util.Arrays;
import java.util.Map;
import java.util.function.Function;
import java.util.stream.Collectors;

/**
 * Every command the library runs: its code, the shape of its successful
 * reply, and the length of the reply it gives when it fails. This is the one
 * place where those facts live on the Java side.
 */
public enum Command {
    GET_FILE_SYSTEM_PROPERTIES(0x000C, ReplyForm.PAYLOAD, 12),
    QUERY_HW_PROVIDERS(0x0091, ReplyForm.SHORT_LIST, 14),
    QUERY_SUBSYSTEMS(0x0092, ReplyForm.SHORT_LIST, 14),
    QUERY_DRIVES(0x0093, ReplyForm.SHORT_LIST, 14),
    QUERY_SUBSYSTEM_LUNS(0x0094, ReplyForm.SHORT_LIST, 14),
    QUERY_DRIVE_EXTENTS(0x0095, ReplyForm.SHORT_LIST, 14),
    QUERY_CONTROLLERS(0x0096, ReplyForm.SHORT_LIST, 14),
    QUERY_LUN_PLEXES(0x0097, ReplyForm.SHORT_LIST, 14),
    QUERY_LUN_PLEX_EXTENTS(0x0098, ReplyForm.SHORT_LIST, 14),
    QUERY_ASSOCIATED_LUNS(0x0099, ReplyForm.SHORT_LIST, 14),
    CREATE_LUN(0x0120, ReplyForm.HEADER_ONLY, 12),
    SET_SUBSYSTEM_STATUS(0x0121, ReplyForm.HEADER_ONLY, 12),
    SET_DRIVE_STATUS(0x0122, ReplyForm.HEADER_ONLY, 12),
    SET_CONTROLLER_STATUS(0x0123, ReplyForm.HEADER_ONLY, 12),
    REPLACE_DRIVE(0x0124, ReplyForm.HEADER_ONLY, 12),
    RESET_CONTROLLER(0x0125, ReplyForm.HEADER_ONLY, 12),
    MAINTENANCE(0x0126, ReplyForm.HEADER_ONLY, 12),
    GET_DRIVE(0x0127, ReplyForm.PAYLOAD, 12),
    DELETE_LUN(0x0200, ReplyForm.HEADER_ONLY, 12),
    ADD_LUN_PLEX(0x0201, ReplyForm.HEADER_ONLY, 12),
    REMOVE_LUN_PLEX(0x0202, ReplyForm.HEADER_ONLY, 12),
    QUERY_MAX_LUN_EXTEND_SIZE(0x0203, ReplyForm.PAYLOAD, 20),
    EXTEND_LUN(0x0204, ReplyForm.HEADER_ONLY, 12),
    QUERY_LUN_HINTS(0x0205, ReplyForm.PAYLOAD, 12),
    APPLY_LUN_HINTS(0x0206, ReplyForm.HEADER_ONLY, 12),
    SET_LUN_STATUS(0x0207, ReplyForm.HEADER_ONLY, 12),
    SET_LUN_MASK(0x0208, ReplyForm.HEADER_ONLY, 12),
    QUERY_ACTIVE_CONTROLLERS(0x0209, ReplyForm.SHORT_LIST, 14),
    ASSOCIATE_CONTROLLERS(0x0210, ReplyForm.HEADER_ONLY, 12),
    SHRINK_LUN(0x0212, ReplyForm.HEADER_ONLY, 12),
    RECOVER_LUN(0x0213, ReplyForm.HEADER_ONLY, 12),
    SET_DRIVE_FLAGS(0x0300, ReplyForm.HEADER_ONLY, 12),
    CLEAR_DRIVE_FLAGS(0x0301, ReplyForm.HEADER_ONLY, 12),
    QUERY_SW_PROVIDERS(0x0400, ReplyForm.SHORT_LIST, 14),
    QUERY_PACKS(0x0401, ReplyForm.SHORT_LIST, 14),
    QUERY_PACK_DISKS(0x0402, ReplyForm.SHORT_LIST, 14),
    CONVERT_STYLE(0x0403, ReplyForm.HEADER_ONLY, 12),
    QUERY_PARTITIONS(0x0404, ReplyForm.LONG_LIST, 16),
    CREATE_PARTITION(0x0405, ReplyForm.HEADER_ONLY, 12),
    DELETE_PARTITION(0x0406, ReplyForm.HEADER_ONLY, 12),
    FORMAT_PARTITION(0x0407, ReplyForm.HEADER_ONLY, 12),
    CLEAN_DISK(0x0408, ReplyForm.HEADER_ONLY, 12),
    QUERY_DISK_EXTENTS(0x0409, ReplyForm.LONG_LIST, 16),
    SET_DISK_FLAGS(0x0410, ReplyForm.HEADER_ONLY, 12),
    CLEAR_DISK_FLAGS(0x0411, ReplyForm.HEADER_ONLY, 12),
    ADD_DISK(0x0412, ReplyForm.HEADER_ONLY, 12),
    MIGRATE_DISKS(0x0413, ReplyForm.PAYLOAD, 20),
    REPLACE_DISK(0x0414, ReplyForm.HEADER_ONLY, 12),
    REMOVE_MISSING_DISK(0x0415, ReplyForm.HEADER_ONLY, 12),
    CREATE_PACK(0x0416, ReplyForm.PAYLOAD, 28),
    GET_DRIVE_LETTER(0x0417, ReplyForm.PAYLOAD, 12),
    ASSIGN_DRIVE_LETTER(0x0418, ReplyForm.HEADER_ONLY, 12),
    DELETE_DRIVE_LETTER(0x0419, ReplyForm.HEADER_ONLY, 12),
    QUERY_VOLUMES(0x0500, ReplyForm.LONG_LIST, 16),
    QUERY_VOLUME_PLEXES(0x0501, ReplyForm.LONG_LIST, 16),
    QUERY_VOLUME_PLEX_EXTENTS(0x0502, ReplyForm.LONG_LIST, 16),
    REPAIR_VOLUME_PLEX(0x0503, ReplyForm.HEADER_ONLY, 12),
    EXTEND_VOLUME(0x0504, ReplyForm.HEADER_ONLY, 12),
    ADD_VOLUME_PLEX(0x0505, ReplyForm.HEADER_ONLY, 12),
    BREAK_VOLUME_PLEX(0x0506, ReplyForm.HEADER_ONLY, 12),
    REMOVE_VOLUME_PLEX(0x0507, ReplyForm.HEADER_ONLY, 12),
    CREATE_VOLUME(0x0508, ReplyForm.HEADER_ONLY, 12),
    DELETE_VOLUME(0x0509, ReplyForm.HEADER_ONLY, 12),
    SHRINK_VOLUME(0x0510, ReplyForm.HEADER_ONLY, 12),
    SET_VOLUME_FLAGS(0x0511, ReplyForm.HEADER_ONLY, 12),
    CLEAR_VOLUME_FLAGS(0x0512, ReplyForm.HEADER_ONLY, 12),
    FORMAT_VOLUME(0x0601, ReplyForm.HEADER_ONLY, 12),
    ADD_ACCESS_PATH(0x0602, ReplyForm.HEADER_ONLY, 12),
    QUERY_ACCESS_PATHS(0x0603, ReplyForm.LONG_LIST, 16),
    QUERY_REPARSE_POINTS(0x0604, ReplyForm.LONG_LIST, 16),
    DELETE_ACCESS_PATH(0x0605, ReplyForm.HEADER_ONLY, 12),
    MOUNT_VOLUME(0x0606, ReplyForm.HEADER_ONLY, 12),
    DISMOUNT_VOLUME(0x0607, ReplyForm.HEADER_ONLY, 12),
    SET_FILE_SYSTEM_FLAGS(0x0608, ReplyForm.HEADER_ONLY, 12),
    REFRESH_PROVIDER(0x1000, ReplyForm.HEADER_ONLY, 12),
    GET_FREE_SPACE(0x1001, ReplyForm.PAYLOAD, 12),
    REENUMERATE(0x1002, ReplyForm.HEADER_ONLY, 12);

    /** How a successful reply lays out what follows its 12-byte header. */
    public enum ReplyForm {
        /** Nothing follows the header. */
        HEADER_ONLY,
        /** A payload of the command's own layout. */
        PAYLOAD,
        /** A 16-bit count at 12, the records from 14. */
        SHORT_LIST,
        /** A 32-bit count at 12, the records from 16. */
        LONG_LIST;

        /** Where the records of a list reply begin. */
        int recordsAt() {
            return this == SHORT_LIST ? 14 : 16;
        }
    }

    private static final Map<Integer, Command> BY_CODE =
        Arrays.stream(values()).collect(Collectors.toUnmodifiableMap(Command::code, Function.identity()));

    private final int code;
    private final ReplyForm replyForm;
    private final int failureReplySize;

    Command(int code, ReplyForm replyForm, int failureReplySize) {
        this.code = code;
        this.replyForm = replyForm;
        this.failureReplySize = failureReplySize;
    }

    /** The code that stands at offset 2 of the request. */
    public int code() {
        return code;
    }

    public ReplyForm replyForm() {
        return replyForm;
    }

    /** The length of every reply of this command whose status is not 0. */
    public int failureReplySize() {
        return failureReplySize;
    }

    /**
     * The code its replies carry: the file-system query is answered under
     * 0x0600, every other command under its own code.
     */
    public int replyCode() {
        return this == GET_FILE_SYSTEM_PROPERTIES ? 0x0600 : code;
    }

    /** The command with this code, or null when the library knows no such command. */
    public static Command ofCode(int code) {
        return BY_CODE.get(code);
    }

    @Override
    public String toString() {
        return String.format("%s (0x%04X)", name(), code);
    }
}
