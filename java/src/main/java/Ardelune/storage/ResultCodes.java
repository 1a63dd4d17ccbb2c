package Ardelune.storage;

import java.util.Map;

/** Names of the COM and VDS result codes a command may come back with. */
final class ResultCodes {
    private ResultCodes() {}

    private static final Map<Integer, String> NAMES = Map.ofEntries(
        Map.entry(0x80004001, "E_NOTIMPL"),
        Map.entry(0x80004002, "E_NOINTERFACE"),
        Map.entry(0x80004005, "E_FAIL"),
        Map.entry(0x80070005, "E_ACCESSDENIED"),
        Map.entry(0x8007000E, "E_OUTOFMEMORY"),
        Map.entry(0x80070057, "E_INVALIDARG"),
        Map.entry(0x8001010D, "RPC_E_CANTCALLOUT_ININPUTSYNCCALL"),
        Map.entry(0x80042400, "VDS_E_NOT_SUPPORTED"),
        Map.entry(0x80042401, "VDS_E_INITIALIZED_FAILED"),
        Map.entry(0x80042402, "VDS_E_INITIALIZE_NOT_CALLED"),
        Map.entry(0x80042404, "VDS_E_ANOTHER_CALL_IN_PROGRESS"),
        Map.entry(0x80042405, "VDS_E_OBJECT_NOT_FOUND"),
        Map.entry(0x80042406, "VDS_E_INVALID_SPACE"),
        Map.entry(0x80042407, "VDS_E_PARTITION_LIMIT_REACHED"),
        Map.entry(0x80042408, "VDS_E_PARTITION_NOT_EMPTY"),
        Map.entry(0x8004240A, "VDS_E_OPERATION_DENIED"),
        Map.entry(0x8004240B, "VDS_E_OBJECT_DELETED"),
        Map.entry(0x8004240E, "VDS_E_CANNOT_EXTEND"),
        Map.entry(0x8004240F, "VDS_E_NOT_ENOUGH_SPACE"),
        Map.entry(0x80042410, "VDS_E_NOT_ENOUGH_DRIVE"),
        Map.entry(0x80042413, "VDS_E_DEVICE_IN_USE"),
        Map.entry(0x80042414, "VDS_E_DISK_NOT_EMPTY"),
        Map.entry(0x80042415, "VDS_E_INVALID_OPERATION"),
        Map.entry(0x80042416, "VDS_E_PATH_NOT_FOUND"),
        Map.entry(0x80042417, "VDS_E_DISK_NOT_INITIALIZED"),
        Map.entry(0x80042418, "VDS_E_NOT_AN_UNALLOCATED_DISK"),
        Map.entry(0x8004241D, "VDS_E_OBJECT_EXISTS"),
        Map.entry(0x80042427, "VDS_E_ACCESS_DENIED"),
        Map.entry(0x80042431, "VDS_E_OBJECT_STATUS_FAILED"),
        Map.entry(0x80042437, "VDS_E_NO_FREE_SPACE"),
        Map.entry(0x8004243D, "VDS_E_VOLUME_NOT_ONLINE"),
        Map.entry(0x80042444, "VDS_E_PACK_OFFLINE"),
        Map.entry(0x80042445, "VDS_E_VOLUME_NOT_A_MIRROR"),
        Map.entry(0x80042448, "VDS_E_INTERNAL_ERROR"),
        Map.entry(0x8004244B, "VDS_E_DISK_NOT_ONLINE"),
        Map.entry(0x8004244F, "VDS_E_VOLUME_NOT_MOUNTED"));

    /** The symbolic name, or the code in hexadecimal when it has none here. */
    static String name(int code) {
        String name = NAMES.get(code);
        return name != null ? name : String.format("0x%08X", code);
    }

    /** E.g. "VDS_E_OBJECT_NOT_FOUND (0x80042405)". */
    static String describe(int code) {
        String name = NAMES.get(code);
        return name != null ? String.format("%s (0x%08X)", name, code) : String.format("0x%08X", code);
    }
}
