package Ardelune.storage;

import java.util.UUID;

/** A pack (disk group) of a software provider. */
public record Pack(UUID id, int status, int flags, String name) {
    static final RecordKind<Pack> KIND = RecordKind.sized(32, r -> new Pack(r.id(4), r.int32(20), r.int32(24),
        r.text(28)));

    public PackStatus statusValue() {
        return PackStatus.of(status);
    }
}
