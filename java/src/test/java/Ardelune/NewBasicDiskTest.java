package Ardelune;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import Ardelune.sim.SimulatedService;
import Ardelune.storage.Disk;
import Ardelune.storage.DiskExtent;
import Ardelune.storage.Notification;
import Ardelune.storage.Notification.PackChange;
import Ardelune.storage.Notification.PartitionChange;
import Ardelune.storage.Notification.VolumeChange;
import Ardelune.storage.Partition;
import Ardelune.storage.PartitionStyle;
import Ardelune.storage.StorageSession;
import Ardelune.storage.Volume;
import Ardelune.storage.VolumeType;
import java.util.ArrayList;
import java.util.List;
import java.util.UUID;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import java.util.function.Predicate;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/**
 * The unallocated disk made a GPT basic disk in a pack of its own, and a data
 * partition on it: each step reaches Java in the order the service tells it,
 * and the library's lists show the disk and its volume as they now are.
 */
class NewBasicDiskTest {
    private static final UUID BASIC_PROVIDER = UUID.fromString("60000000-0000-4000-8000-000000000001");
    private static final UUID RAW_DISK = UUID.fromString("80000000-0000-4000-8000-000000000003");
    private static final UUID NONE = new UUID(0, 0);
    private static final long MIB = 1L << 20;
    private static final long GIB = 1L << 30;
    private static final long DISK_SIZE = 32 * GIB;
    /** AddDisk as GPT gives a disk of this size its Microsoft reserved partition, at the first MiB. */
    private static final long MSR_SIZE = 128 * MIB;
    private static final long DATA_AT = MIB + MSR_SIZE;
    private static final long DATA_SIZE = 4 * GIB;

    private static final int PACK_ARRIVE = 1;
    private static final int VOLUME_ARRIVE = 4;
    private static final int PARTITION_ARRIVE = 11;
    /** VDS_DISK_EXTENT_TYPE */
    private static final int FREE = 1;
    private static final int DATA = 2;
    private static final int MSR = 5;

    private final ExecutorService listenerThread = Executors.newSingleThreadExecutor();
    private final BlockingQueue<Notification> arriving = new LinkedBlockingQueue<>();
    /** Everything that reached the listener so far, in order. */
    private final List<Notification> seen = new ArrayList<>();
    private StorageSession storage;

    @BeforeEach
    void open() {
        SimulatedService.loadDefault();
        storage = StorageSession.open();
        storage.subscribe(listenerThread, arriving::add);
    }

    @AfterEach
    void close() {
        storage.close();
        listenerThread.shutdownNow();
    }

    @Test
    void aDataPartitionOnTheNewDiskIsAVolumeOfItsPack() throws InterruptedException {
        UUID pack = storage.createPack(BASIC_PROVIDER);
        int packArrived = indexOf(n -> n.equals(new PackChange(PACK_ARRIVE, pack)), 0, "the new pack's arrival");
        assertEquals(List.of(), storage.packDisks(pack), "a new pack is empty");

        storage.addDisk(pack, RAW_DISK, PartitionStyle.GPT, false);
        Disk disk = storage.packDisks(pack).stream().filter(d -> d.id().equals(RAW_DISK)).findFirst().orElseThrow();
        assertEquals(PartitionStyle.GPT, disk.partitionStyleValue());
        assertEquals(List.of(MIB), offsets(storage.partitions(RAW_DISK)), "only the reserved partition");

        Partition data = storage.createPartition(RAW_DISK, DATA_AT, DATA_SIZE, PartitionStyle.GPT).orElseThrow();
        assertEquals(DATA_SIZE, data.size());
        int partitionArrived = indexOf(n -> n.equals(new PartitionChange(PARTITION_ARRIVE, RAW_DISK, DATA_AT)),
                                       packArrived + 1, "the data partition's arrival, after the pack's");
        int volumeArrived = indexOf(n -> n instanceof VolumeChange v && v.event() == VOLUME_ARRIVE,
                                    partitionArrived + 1, "the volume's arrival, after its partition's");
        UUID volume = ((VolumeChange) seen.get(volumeArrived)).volume();

        List<Volume> volumes = storage.volumes(pack);
        assertEquals(List.of(volume), volumes.stream().map(Volume::id).toList(), "the pack's one volume");
        assertEquals(VolumeType.SIMPLE, volumes.get(0).typeValue());
        assertEquals(DATA_SIZE, volumes.get(0).size());
        assertEquals(List.of(MIB, DATA_AT), offsets(storage.partitions(RAW_DISK)));

        // The whole disk, in order: the reserved partition, the volume's piece, and the free rest.
        List<DiskExtent> extents = storage.diskExtents(RAW_DISK);
        assertEquals(List.of(MSR, DATA, FREE), extents.stream().map(DiskExtent::type).toList());
        assertEquals(List.of(MIB, DATA_AT, DATA_AT + DATA_SIZE), extents.stream().map(DiskExtent::offset).toList());
        assertEquals(List.of(MSR_SIZE, DATA_SIZE, DISK_SIZE - DATA_AT - DATA_SIZE),
                     extents.stream().map(DiskExtent::size).toList());
        assertEquals(List.of(NONE, volume, NONE), extents.stream().map(DiskExtent::volume).toList());
    }

    private static List<Long> offsets(List<Partition> partitions) {
        return partitions.stream().map(Partition::offset).toList();
    }

    /** Where in the stream, from `from` on, the first notification that `wanted` accepts arrived. */
    private int indexOf(Predicate<Notification> wanted, int from, String what) throws InterruptedException {
        long end = System.nanoTime() + TimeUnit.SECONDS.toNanos(10);
        for (int i = from;; ++i) {
            while (i >= seen.size()) {
                Notification next = arriving.poll(Math.max(0, end - System.nanoTime()), TimeUnit.NANOSECONDS);
                assertTrue(next != null, what + " never came; seen: " + seen);
                seen.add(next);
            }
            if (wanted.test(seen.get(i))) return i;
        }
    }
}
