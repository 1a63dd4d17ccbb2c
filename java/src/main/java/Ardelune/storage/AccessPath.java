package Ardelune.storage;

/** A folder or drive root through which a volume is reached. */
public record AccessPath(String path) {
    static final RecordKind<AccessPath> KIND = RecordKind.computed(4, 0, rest -> 4 + rest.int32(0),
        r -> new AccessPath(r.textAt(4, r.length() - 4)));
}
