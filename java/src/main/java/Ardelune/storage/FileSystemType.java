package Ardelune.storage;

/** File system of a volume or partition (VDS_FILE_SYSTEM_TYPE). */
public enum FileSystemType implements Coded {
    UNKNOWN(0),
    RAW(1),
    FAT(2),
    FAT32(3),
    NTFS(4),
    CDFS(5),
    UDF(6),
    EXFAT(7),
    CSVFS(8),
    REFS(9);

    private final int code;

    FileSystemType(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The constant for {@code code}; {@link #UNKNOWN} for a value without a name here. */
    public static FileSystemType of(int code) {
        return Coded.of(FileSystemType.class, code, UNKNOWN);
    }
}
