package Ardelune.storage;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.List;
import java.util.UUID;
import org.junit.jupiter.api.Test;

/** The creating commands whose reply names nothing still hand back what they made. */
class CreationTest {
    private static final long GIB = 1L << 30;
    private static final UUID SUBSYSTEM = UUID.fromString("20000000-0000-4000-8000-000000000001");
    private static final UUID FREE_DRIVE_A = UUID.fromString("40000000-0000-4000-8000-000000000006");
    private static final UUID FREE_DRIVE_B = UUID.fromString("40000000-0000-4000-8000-000000000007");

    @Test
    void aNewLunAVolumeAndAPartition() {
        try (StorageSession storage = StorageSession.open()) {
            Lun lun = storage.createLun(SUBSYSTEM, LunType.MIRROR, GIB, "*", LunHints.none(),
                                        List.of(FREE_DRIVE_A, FREE_DRIVE_B)).orElseThrow();
            assertEquals(LunType.MIRROR, lun.typeValue());
            assertEquals(GIB, lun.size());
            assertEquals("*", lun.unmaskingList());
            assertEquals(2, storage.lunPlexes(lun.id()).size());

            Provider dynamic = storage.softwareProviders().stream().filter(p -> (p.flags() & 1) != 0)
                .findFirst().orElseThrow();
            Pack pack = storage.packs(dynamic.id()).get(0);
            List<Disk> disks = storage.packDisks(pack.id());
            Volume volume = storage.createVolume(pack.id(), VolumeType.MIRROR,
                List.of(InputDisk.of(disks.get(0).id(), GIB), InputDisk.of(disks.get(1).id(), GIB))).orElseThrow();
            assertEquals(VolumeType.MIRROR, volume.typeValue());
            assertEquals(GIB, volume.size());

            // The first basic disk with a free gibibyte gets a partition there.
            for (Provider p : storage.softwareProviders()) {
                if ((p.flags() & 1) != 0) continue;
                for (Pack basic : storage.packs(p.id())) {
                    for (Disk d : storage.packDisks(basic.id())) {
                        if (d.partitionStyleValue() == PartitionStyle.UNKNOWN) continue;
                        for (DiskExtent e : storage.diskExtents(d.id())) {
                            if (e.type() != 1 || Long.compareUnsigned(e.size(), GIB) < 0) continue;
                            Partition made = storage.createPartition(d.id(), e.offset(), GIB, d.partitionStyleValue())
                                .orElseThrow();
                            assertEquals(e.offset(), made.offset());
                            assertEquals(GIB, made.size());
                            assertTrue(storage.partitions(d.id()).contains(made));
                            return;
                        }
                    }
                }
            }
            throw new AssertionError("no basic disk with a free gibibyte");
        }
    }
}
