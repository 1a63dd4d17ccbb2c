package Ardelune.storage;

import static org.junit.jupiter.api.Assertions.assertEquals;

import java.util.EnumSet;
import java.util.Set;
import java.util.UUID;
import org.junit.jupiter.api.Test;

/** Flags given as enum sets reach the service as their bits and read back as the same sets. */
class FlagsTest {
    private static final UUID SUBSYSTEM = UUID.fromString("20000000-0000-4000-8000-000000000001");
    private static final UUID FREE_DRIVE = UUID.fromString("40000000-0000-4000-8000-000000000006");

    @Test
    void setAndClearReadBack() {
        try (StorageSession storage = StorageSession.open()) {
            storage.setDriveFlags(FREE_DRIVE, EnumSet.of(DriveFlag.HOT_SPARE));
            assertEquals(Set.of(DriveFlag.HOT_SPARE), driveFlags(storage));
            storage.clearDriveFlags(FREE_DRIVE, EnumSet.of(DriveFlag.HOT_SPARE));
            assertEquals(Set.of(), driveFlags(storage));

            Pack pack = storage.softwareProviders().stream().flatMap(p -> storage.packs(p.id()).stream())
                .filter(p -> !storage.volumes(p.id()).isEmpty()).findFirst().orElseThrow();
            Volume volume = storage.volumes(pack.id()).get(0);
            Set<VolumeFlag> before = volume.flagSet();
            storage.setVolumeFlags(volume.id(), EnumSet.of(VolumeFlag.HIDDEN), false);
            assertEquals(union(before, VolumeFlag.HIDDEN), volumeFlags(storage, pack, volume));
            storage.clearVolumeFlags(volume.id(), EnumSet.of(VolumeFlag.HIDDEN));
            assertEquals(before, volumeFlags(storage, pack, volume));
        }
    }

    private static Set<DriveFlag> driveFlags(StorageSession storage) {
        return storage.drives(SUBSYSTEM).stream().filter(d -> d.id().equals(FREE_DRIVE)).findFirst().orElseThrow()
            .flagSet();
    }

    private static Set<VolumeFlag> volumeFlags(StorageSession storage, Pack pack, Volume volume) {
        return storage.volumes(pack.id()).stream().filter(v -> v.id().equals(volume.id())).findFirst().orElseThrow()
            .flagSet();
    }

    private static Set<VolumeFlag> union(Set<VolumeFlag> flags, VolumeFlag more) {
        EnumSet<VolumeFlag> all = flags.isEmpty() ? EnumSet.noneOf(VolumeFlag.class) : EnumSet.copyOf(flags);
        all.add(more);
        return all;
    }
}
