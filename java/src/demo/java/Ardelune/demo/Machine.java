package Ardelune.demo;

import Ardelune.storage.Pack;
import Ardelune.storage.Provider;
import Ardelune.storage.StorageSession;
import Ardelune.storage.SubSystem;
import Ardelune.storage.Volume;
import Ardelune.storage.VolumeFlag;
import java.util.Collections;
import java.util.EnumSet;
import java.util.List;
import java.util.Set;

/** Where the demos find what they work on. */
final class Machine {
    /** A software provider with this flag manages dynamic disks (VDS_PF_DYNAMIC). */
    private static final int DYNAMIC = 0x1;
    private static final Set<VolumeFlag> SYSTEM_ROLES =
        EnumSet.of(VolumeFlag.SYSTEM_VOLUME, VolumeFlag.BOOT_VOLUME, VolumeFlag.ACTIVE);

    private Machine() {}

    static boolean isDynamic(Provider provider) {
        return (provider.flags() & DYNAMIC) != 0;
    }

    /** The packs of the dynamic providers, or of the basic ones. */
    static List<Pack> packs(StorageSession storage, boolean dynamic) {
        return storage.softwareProviders().stream().filter(p -> isDynamic(p) == dynamic)
            .flatMap(p -> storage.packs(p.id()).stream()).toList();
    }

    /** Every volume of every pack. */
    static List<Volume> volumes(StorageSession storage) {
        return storage.softwareProviders().stream().flatMap(p -> storage.packs(p.id()).stream())
            .flatMap(pack -> storage.volumes(pack.id()).stream()).toList();
    }

    /** A volume that starts or carries the system: the service refuses to format or reshape it. */
    static boolean startsTheSystem(Volume volume) {
        return !Collections.disjoint(volume.flagSet(), SYSTEM_ROLES);
    }

    static List<SubSystem> subsystems(StorageSession storage) {
        return storage.hardwareProviders().stream().flatMap(p -> storage.subsystems(p.id()).stream()).toList();
    }
}
