package Ardelune.storage;

import java.util.UUID;

/** A hardware or software provider. */
public record Provider(UUID id, UUID versionId, int type, int flags, int stripeSizes, int rebuildPriority,
                       String name, String version) {
    static final RecordKind<Provider> KIND = RecordKind.sized(60, r -> new Provider(
        r.id(4), r.id(20), r.int32(36), r.int32(40), r.int32(44), r.int32(48), r.text(52), r.text(56)));

    public ProviderType providerType() {
        return ProviderType.of(type);
    }
}
