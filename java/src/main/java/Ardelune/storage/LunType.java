package Ardelune.storage;

/** Layout of a LUN or LUN plex (VDS_LUN_TYPE); plexes use a subset. */
public enum LunType implements Coded {
    UNKNOWN(0),
    DEFAULT(1),
    FAULT_TOLERANT(2),
    NON_FAULT_TOLERANT(3),
    SIMPLE(10),
    SPAN(11),
    STRIPE(12),
    MIRROR(13),
    PARITY(14),
    RAID2(15),
    RAID3(16),
    RAID4(17),
    RAID5(18),
    RAID6(19),
    RAID01(20),
    RAID03(21),
    RAID05(22),
    RAID10(23),
    RAID15(24),
    RAID30(25),
    RAID50(26),
    RAID51(27),
    RAID53(28),
    RAID60(29),
    RAID61(30);

    private final int code;

    LunType(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The constant for {@code code}; {@link #UNKNOWN} for a value without a name here. */
    public static LunType of(int code) {
        return Coded.of(LunType.class, code, UNKNOWN);
    }
}
