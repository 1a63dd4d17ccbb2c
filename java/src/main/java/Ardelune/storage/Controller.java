package Ardelune.storage;

import java.util.UUID;

/** A controller of a subsystem. */
public record Controller(UUID id, int status, int health, int ports, String friendlyName, String identification) implements Healthy {
    static final RecordKind<Controller> KIND = RecordKind.sized(36, r -> new Controller(
        r.id(4), r.int16(20), r.int16(24), r.int16(26), r.text(28), r.text(32)));

    public HardwareStatus statusValue() {
        return HardwareStatus.of(status);
    }
}
