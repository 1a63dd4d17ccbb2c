package Ardelune.storage;

import java.util.UUID;

/** A RAID subsystem of a hardware provider. */
public record SubSystem(UUID id, int flags, int stripeSizes, int status, int health, int internalBuses,
                        int slotsPerBus, int maxControllers, int rebuildPriority, String friendlyName,
                        String identification) implements Healthy {
    static final RecordKind<SubSystem> KIND = RecordKind.sized(48, r -> new SubSystem(
        r.id(4), r.int32(20), r.int32(24), r.int16(28), r.int16(30), r.int16(32), r.int16(34), r.int16(36),
        r.int16(38), r.text(40), r.text(44)));

    public HardwareStatus statusValue() {
        return HardwareStatus.of(status);
    }
}
