package Ardelune.storage;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.EnumSet;
import java.util.HashSet;
import java.util.List;
import java.util.Set;
import java.util.UUID;
import java.util.function.BiConsumer;
import org.junit.jupiter.api.AfterAll;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * Every record kind, read from the default simulated machine and compared
 * field by field with the bytes of the library's reply.
 */
class RecordDecodingTest {
    private static StorageSession session;
    private final Set<Command> checked = EnumSet.noneOf(Command.class);
    private final Set<Class<?>> kinds = new HashSet<>();

    @BeforeAll
    static void open() {
        session = StorageSession.open();
    }

    @AfterAll
    static void close() {
        session.close();
    }

    // How each record kind lays out its fields; the tables are written from
    // the wire layout, not from the decoders.
    private static final BiConsumer<Provider, RecordBytes> PROVIDER = (p, f) -> f.sized().id(4, p.id())
        .id(20, p.versionId()).i32(36, p.type()).i32(40, p.flags()).i32(44, p.stripeSizes())
        .i32(48, p.rebuildPriority()).texts(52, 60, p.name(), p.version());
    private static final BiConsumer<SubSystem, RecordBytes> SUBSYSTEM = (s, f) -> f.sized().id(4, s.id())
        .i32(20, s.flags()).i32(24, s.stripeSizes()).i16(28, s.status()).i16(30, s.health())
        .i16(32, s.internalBuses()).i16(34, s.slotsPerBus()).i16(36, s.maxControllers())
        .i16(38, s.rebuildPriority()).texts(40, 48, s.friendlyName(), s.identification());
    private static final BiConsumer<Controller, RecordBytes> CONTROLLER = (c, f) -> f.sized().id(4, c.id())
        .i16(20, c.status()).i16(24, c.health()).i16(26, c.ports()).texts(28, 36, c.friendlyName(), c.identification());
    private static final BiConsumer<Drive, RecordBytes> DRIVE = (d, f) -> f.sized().id(4, d.id()).u64(20, d.size())
        .i32(28, d.flags()).i16(32, d.status()).i16(34, d.health()).i16(36, d.bus()).i16(38, d.slot())
        .texts(40, 48, d.friendlyName(), d.identification());
    private static final BiConsumer<Lun, RecordBytes> LUN = (l, f) -> f.sized().id(4, l.id()).u64(20, l.size())
        .i32(28, l.flags()).i16(32, l.type()).i16(36, l.status()).i16(38, l.health()).i16(40, l.transitionState())
        .i16(42, l.rebuildPriority()).texts(44, 56, l.friendlyName(), l.identification(), l.unmaskingList());
    private static final BiConsumer<LunPlex, RecordBytes> LUN_PLEX = (p, f) -> f.id(0, p.id()).u64(16, p.size())
        .i32(24, p.stripeSize()).i32(28, p.flags()).i16(32, p.type()).i16(36, p.status()).i16(38, p.health())
        .i16(40, p.transitionState()).i16(42, p.rebuildPriority());
    private static final BiConsumer<DriveExtent, RecordBytes> DRIVE_EXTENT = (e, f) -> f.id(0, e.drive())
        .id(16, e.lun()).u64(32, e.size()).i8(40, e.used() ? 1 : 0);
    private static final BiConsumer<Pack, RecordBytes> PACK = (p, f) -> f.sized().id(4, p.id()).i32(20, p.status())
        .i32(24, p.flags()).texts(28, 32, p.name());
    private static final BiConsumer<Disk, RecordBytes> DISK = (d, f) -> f.id(0, d.id()).i32(16, d.status())
        .i32(20, d.reserveMode()).i32(24, d.health()).i32(28, d.deviceType()).i32(32, d.mediaType())
        .u64(36, d.size()).i32(44, d.bytesPerSector()).i32(48, d.sectorsPerTrack()).i32(52, d.tracksPerCylinder())
        .i32(56, d.flags()).i32(60, d.busType()).i32(64, d.partitionStyle());
    private static final BiConsumer<Volume, RecordBytes> VOLUME = (v, f) -> f.sized().id(4, v.id())
        .i32(20, v.type()).i32(24, v.status()).i32(28, v.health()).i32(32, v.transitionState()).u64(36, v.size())
        .i32(44, v.flags()).i32(48, v.recommendedFileSystem()).texts(52, 56, v.name());
    private static final BiConsumer<VolumePlex, RecordBytes> VOLUME_PLEX = (p, f) -> f.id(0, p.id())
        .i32(16, p.type()).i32(20, p.status()).i32(24, p.health()).i32(28, p.transitionState()).u64(32, p.size())
        .i32(40, p.stripeSize()).i32(44, p.members());
    private static final BiConsumer<DiskExtent, RecordBytes> DISK_EXTENT = (e, f) -> f.id(0, e.disk())
        .i32(16, e.type()).u64(20, e.offset()).u64(28, e.size()).id(36, e.volume()).id(52, e.plex())
        .i32(68, e.memberIndex());
    private static final BiConsumer<Partition, RecordBytes> PARTITION = (p, f) -> f.i32(0, p.style())
        .i32(4, p.flags()).i32(8, p.number()).u64(12, p.offset()).u64(20, p.size());
    private static final BiConsumer<AccessPath, RecordBytes> ACCESS_PATH = (a, f) -> {
        byte[] path = Texts.encode(a.path());
        f.i32(0, path.length).bytes(4, path);
    };
    private static final BiConsumer<ReparsePoint, RecordBytes> REPARSE_POINT = (r, f) -> {
        byte[] path = Texts.encode(r.path());
        f.id(0, r.sourceVolume()).i16(16, path.length).bytes(18, path);
    };

    /** Decodes the list that {@code request} gets and checks each record against its bytes. */
    private <R> List<R> check(Request request, RecordKind<R> kind, BiConsumer<R, RecordBytes> layout) {
        Command command = request.command();
        byte[] reply = session.rawReply(request.bytes());
        List<R> records = Replies.list(command, reply, kind);
        int at = command.replyForm().recordsAt();
        int end = reply.length - records.size() * kind.trailerPerRecord();
        for (R record : records) {
            int length = kind.lengthAt(command, reply, at, end);
            RecordBytes bytes = new RecordBytes(reply, at, length, command + " " + record);
            layout.accept(record, bytes);
            bytes.restIsZero();
            at += length;
            kinds.add(record.getClass());
        }
        assertEquals(end, at, command + ": the records fill the reply");
        checked.add(command);
        return records;
    }

    @Test
    void hardwareRecords() {
        List<Provider> providers = check(Request.of(Command.QUERY_HW_PROVIDERS), Provider.KIND, PROVIDER);
        assertFalse(providers.isEmpty());
        for (Provider p : providers) {
            assertEquals(ProviderType.HARDWARE, p.providerType());
            for (SubSystem s : check(Request.of(Command.QUERY_SUBSYSTEMS).id(4, p.id()), SubSystem.KIND, SUBSYSTEM)) {
                for (Drive d : check(Request.of(Command.QUERY_DRIVES).id(20, s.id()), Drive.KIND, DRIVE)) {
                    check(Request.of(Command.QUERY_DRIVE_EXTENTS).id(36, d.id()), DriveExtent.KIND, DRIVE_EXTENT);
                    Drive again = session.driveAt(s.id(), d.bus(), d.slot());
                    assertEquals(d, again, "the drive in its slot");
                }
                for (Controller c : check(Request.of(Command.QUERY_CONTROLLERS).id(20, s.id()), Controller.KIND,
                                          CONTROLLER)) {
                    check(Request.of(Command.QUERY_ASSOCIATED_LUNS).id(36, c.id()), Lun.KIND, LUN);
                }
                for (Lun l : check(Request.of(Command.QUERY_SUBSYSTEM_LUNS).id(20, s.id()), Lun.KIND, LUN)) {
                    check(Request.of(Command.QUERY_ACTIVE_CONTROLLERS).id(36, l.id()), Controller.KIND, CONTROLLER);
                    for (LunPlex x : check(Request.of(Command.QUERY_LUN_PLEXES).id(36, l.id()), LunPlex.KIND, LUN_PLEX)) {
                        check(Request.of(Command.QUERY_LUN_PLEX_EXTENTS).id(52, x.id()), DriveExtent.KIND, DRIVE_EXTENT);
                    }
                }
            }
        }
        assertEquals(Set.of(Provider.class, SubSystem.class, Drive.class, DriveExtent.class, Controller.class,
                            Lun.class, LunPlex.class), kinds, "kinds the default machine shows");
        assertEquals(10, checked.size(), "hardware list commands: " + checked);
    }

    @Test
    void softwareRecords() {
        for (Provider p : check(Request.of(Command.QUERY_SW_PROVIDERS), Provider.KIND, PROVIDER)) {
            for (Pack pack : check(Request.of(Command.QUERY_PACKS).id(4, p.id()), Pack.KIND, PACK)) {
                for (Disk d : check(Request.of(Command.QUERY_PACK_DISKS).id(20, pack.id()), Disk.KIND, DISK)) {
                    // A raw disk has no partition table to list.
                    if (d.partitionStyleValue() != PartitionStyle.UNKNOWN) {
                        check(Request.of(Command.QUERY_PARTITIONS).id(36, d.id()), Partition.KIND, PARTITION);
                    }
                    check(Request.of(Command.QUERY_DISK_EXTENTS).id(36, d.id()), DiskExtent.KIND, DISK_EXTENT);
                }
                for (Volume v : check(Request.of(Command.QUERY_VOLUMES).id(20, pack.id()), Volume.KIND, VOLUME)) {
                    for (VolumePlex x : check(Request.of(Command.QUERY_VOLUME_PLEXES).id(36, v.id()),
                                              VolumePlex.KIND, VOLUME_PLEX)) {
                        check(Request.of(Command.QUERY_VOLUME_PLEX_EXTENTS).id(4, p.id()).id(20, pack.id())
                            .id(36, v.id()).id(52, x.id()), DiskExtent.KIND, DISK_EXTENT);
                    }
                    check(Request.of(Command.QUERY_ACCESS_PATHS).id(4, v.id()), AccessPath.KIND, ACCESS_PATH);
                    check(Request.of(Command.QUERY_REPARSE_POINTS).id(4, v.id()), ReparsePoint.KIND, REPARSE_POINT);
                    fileSystemOf(v);
                }
            }
        }
        assertEquals(Set.of(Provider.class, Pack.class, Disk.class, Partition.class, DiskExtent.class, Volume.class,
                            VolumePlex.class, AccessPath.class, ReparsePoint.class, FileSystem.class), kinds,
                     "kinds the default machine shows");
        assertEquals(10, checked.size(), "software list commands: " + checked);
    }

    /** The file-system record stands alone in its reply, from offset 12. */
    private void fileSystemOf(Volume v) {
        byte[] reply = session.rawReply(Request.of(Command.GET_FILE_SYSTEM_PROPERTIES).id(4, v.id()).bytes());
        if (ByteBuffer.wrap(reply).order(ByteOrder.LITTLE_ENDIAN).getInt(4) != 0) return;
        FileSystem fs = session.fileSystem(v.id());
        RecordBytes bytes = new RecordBytes(reply, 12, reply.length - 12, "file system of " + v.name());
        bytes.id(0, fs.volume()).i32(16, fs.type()).i32(20, fs.flags()).u64(24, fs.totalAllocationUnits())
            .u64(32, fs.availableAllocationUnits()).i32(40, fs.allocationUnitSize()).texts(44, 48, fs.label());
        bytes.restIsZero();
        assertEquals(v.id(), fs.volume());
        kinds.add(FileSystem.class);
    }

    /** The hints reply is one record at 12; written back, the same hints read back. */
    @Test
    void lunHintsRoundTrip() {
        UUID striped = UUID.fromString("50000000-0000-4000-8000-000000000003");
        byte[] reply = session.rawReply(Request.of(Command.QUERY_LUN_HINTS).id(36, striped).bytes());
        LunHints hints = session.lunHints(striped);
        RecordBytes bytes = new RecordBytes(reply, 12, reply.length - 12, "hints");
        bytes.u64(0, hints.hintMask()).u64(8, hints.expectedMaximumSize()).i32(16, hints.optimalReadSize())
            .i32(20, hints.optimalReadAlignment()).i32(24, hints.optimalWriteSize())
            .i32(28, hints.optimalWriteAlignment()).i32(32, hints.maximumDriveCount()).i32(36, hints.stripeSize())
            .i16(40, hints.rebuildPriority());
        for (LunHints.Flag f : LunHints.Flag.values()) bytes.i8(42 + f.ordinal(), hints.flags().contains(f) ? 1 : 0);
        bytes.restIsZero();
        assertEquals(511, hints.hintMask());
        assertEquals(65536, hints.stripeSize());
        assertEquals(5, hints.rebuildPriority());
        assertEquals(EnumSet.of(LunHints.Flag.WRITE_THROUGH_CACHING_ENABLED), hints.flags());

        LunHints changed = new LunHints(hints.hintMask(), 3L << 30, 4096, 4096, 8192, 8192, 4, hints.stripeSize(), -1,
            EnumSet.of(LunHints.Flag.MOSTLY_READS, LunHints.Flag.IS_YANKABLE));
        session.applyLunHints(striped, changed);
        assertEquals(changed, session.lunHints(striped));
    }

    @Test
    void valuesOfTheDefaultMachine() {
        UUID subsystem = UUID.fromString("20000000-0000-4000-8000-000000000001");
        List<Drive> drives = session.drives(subsystem);
        assertEquals(8, drives.size());
        Drive first = drives.get(0);
        assertEquals("Drive 0.0", first.friendlyName());
        assertEquals("WD-SN-A0001", first.identification());
        assertEquals(64L << 30, first.size());
        assertTrue(drives.get(7).flagSet().contains(DriveFlag.HOT_SPARE), "drive 1.3 is a hot spare");
        SubSystem s = session.subsystems(UUID.fromString("10000000-0000-4000-8000-000000000001")).get(0);
        assertEquals("TLV-5400-SN-000117", s.identification());
        assertEquals(2, s.internalBuses());

        // A label outside ASCII, in the code page the library writes.
        List<String> labels = session.softwareProviders().stream()
            .flatMap(p -> session.packs(p.id()).stream())
            .flatMap(pack -> session.volumes(pack.id()).stream())
            .map(v -> session.fileSystem(v.id()).label()).toList();
        assertTrue(labels.contains("Donn\u00e9es partag\u00e9es"), labels.toString());
    }
}
