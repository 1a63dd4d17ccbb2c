package Ardelune.demo;

import Ardelune.storage.Pack;
import Ardelune.storage.Provider;
import Ardelune.storage.StorageSession;
import Ardelune.storage.SubSystem;
import java.util.List;

/** Where the demos find what they work on. */
final class Machine {
    /** A software provider with this flag manages dynamic disks (VDS_PF_DYNAMIC). */
    private static final int DYNAMIC = 0x1;

    private Machine() {}

    static boolean isDynamic(Provider provider) {
        return (provider.flags() & DYNAMIC) != 0;
    }

    /** The packs of the dynamic providers, or of the basic ones. */
    static List<Pack> packs(StorageSession storage, boolean dynamic) {
        return storage.softwareProviders().stream().filter(p -> isDynamic(p) == dynamic)
            .flatMap(p -> storage.packs(p.id()).stream()).toList();
    }

    static List<SubSystem> subsystems(StorageSession storage) {
        return storage.hardwareProviders().stream().flatMap(p -> storage.subsystems(p.id()).stream()).toList();
    }
}
