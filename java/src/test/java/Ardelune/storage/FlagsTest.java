package Ardelune.storage;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import java.util.EnumSet;
import java.util.List;
import java.util.Set;
import java.util.UUID;
import org.junit.jupiter.api.Test;

/** Flags given as enum sets reach the service as their bits and read back as the same sets. */
class FlagsTest {
    private static final UUID SUBSYSTEM = UUID.fromString("20000000-0000-4000-8000-000000000001");
    private static final UUID FREE_DRIVE = UUID.fromString("40000000-0000-4000-8000-000000000006");
    private static final UUID MBR_PACK = UUID.fromString("70000000-0000-4000-8000-000000000001");
    private static final UUID GPT_PACK = UUID.fromString("70000000-0000-4000-8000-000000000003");
    /** F:, on the GPT disk: no role of the system, so its flags are free to change. */
    private static final UUID VOLUME_F = UUID.fromString("90000000-0000-4000-8000-000000000004");

    private record Refused(String what, UUID volume, VolumeFlag flag) {}

    /** The volumes that carry the system, and any volume on the disk that boots it. */
    private static final List<Refused> REFUSED = List.of(
        new Refused("System Reserved", UUID.fromString("90000000-0000-4000-8000-000000000001"), VolumeFlag.HIDDEN),
        new Refused("C:", UUID.fromString("90000000-0000-4000-8000-000000000002"), VolumeFlag.HIDDEN),
        new Refused("D:, beside C:", UUID.fromString("90000000-0000-4000-8000-000000000003"), VolumeFlag.READONLY));

    @Test
    void setAndClearReadBack() {
        try (StorageSession storage = StorageSession.open()) {
            storage.setDriveFlags(FREE_DRIVE, EnumSet.of(DriveFlag.HOT_SPARE));
            assertEquals(Set.of(DriveFlag.HOT_SPARE), driveFlags(storage));
            storage.clearDriveFlags(FREE_DRIVE, EnumSet.of(DriveFlag.HOT_SPARE));
            assertEquals(Set.of(), driveFlags(storage));

            Set<VolumeFlag> before = volumeFlags(storage, GPT_PACK, VOLUME_F);
            storage.setVolumeFlags(VOLUME_F, EnumSet.of(VolumeFlag.HIDDEN), false);
            assertEquals(union(before, VolumeFlag.HIDDEN), volumeFlags(storage, GPT_PACK, VOLUME_F));
            storage.clearVolumeFlags(VOLUME_F, EnumSet.of(VolumeFlag.HIDDEN));
            assertEquals(before, volumeFlags(storage, GPT_PACK, VOLUME_F));
        }
    }

    @Test
    void aRefusedFlagLeavesTheFlagsAsTheyWere() {
        try (StorageSession storage = StorageSession.open()) {
            for (Refused r : REFUSED) {
                Set<VolumeFlag> before = volumeFlags(storage, MBR_PACK, r.volume());
                VdsException denied = assertThrows(VdsException.class,
                    () -> storage.setVolumeFlags(r.volume(), EnumSet.of(r.flag()), false), r.what());
                assertEquals(Command.SET_VOLUME_FLAGS, denied.command(), r.what());
                assertEquals("VDS_E_OPERATION_DENIED", denied.resultName(), r.what());
                assertEquals(before, volumeFlags(storage, MBR_PACK, r.volume()), r.what());
            }
        }
    }

    private static Set<DriveFlag> driveFlags(StorageSession storage) {
        return storage.drives(SUBSYSTEM).stream().filter(d -> d.id().equals(FREE_DRIVE)).findFirst().orElseThrow()
            .flagSet();
    }

    private static Set<VolumeFlag> volumeFlags(StorageSession storage, UUID pack, UUID volume) {
        return storage.volumes(pack).stream().filter(v -> v.id().equals(volume)).findFirst().orElseThrow().flagSet();
    }

    private static Set<VolumeFlag> union(Set<VolumeFlag> flags, VolumeFlag more) {
        EnumSet<VolumeFlag> all = flags.isEmpty() ? EnumSet.noneOf(VolumeFlag.class) : EnumSet.copyOf(flags);
        all.add(more);
        return all;
    }
}
