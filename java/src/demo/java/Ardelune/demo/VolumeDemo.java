package Ardelune.demo;

import Ardelune.storage.Disk;
import Ardelune.storage.DiskExtent;
import Ardelune.storage.InputDisk;
import Ardelune.storage.Pack;
import Ardelune.storage.Provider;
import Ardelune.storage.StorageSession;
import Ardelune.storage.Volume;
import Ardelune.storage.VolumePlex;
import Ardelune.storage.VolumeType;
import java.util.List;
import java.util.Optional;

/**
 * A mirrored volume made on the first two disks of the dynamic pack, then
 * broken in two: the extents of the mirror's plexes, and of both volumes
 * afterwards.
 */
final class VolumeDemo {
    private static final long GIB = 1L << 30;

    private VolumeDemo() {}

    static void show(StorageSession storage, Tree tree) {
        tree.line(0, "Volumes");
        for (Provider provider : storage.softwareProviders()) {
            if (!Machine.isDynamic(provider)) continue;
            for (Pack pack : storage.packs(provider.id())) {
                List<Disk> disks = storage.packDisks(pack.id());
                if (disks.size() < 2) continue;
                mirror(storage, tree, provider, pack, disks.get(0), disks.get(1));
                return;
            }
        }
        tree.line(1, "(no dynamic pack with two disks)");
    }

    private static void mirror(StorageSession storage, Tree tree, Provider provider, Pack pack, Disk a, Disk b) {
        Optional<Volume> made = storage.createVolume(pack.id(), VolumeType.MIRROR,
            List.of(InputDisk.of(a.id(), GIB), InputDisk.of(b.id(), GIB)));
        if (made.isEmpty()) {
            tree.line(1, "(the new mirror cannot be told apart)");
            return;
        }
        Volume mirror = made.get();
        tree.line(1, "Mirror of " + Sizes.format(mirror.size()) + " in pack " + Steps.quoted(pack.name()) + "  {"
                  + mirror.id() + "}");
        showPlexes(storage, tree, provider, pack, mirror);
        List<VolumePlex> plexes = storage.volumePlexes(mirror.id());
        tree.line(1, "Break off the second plex: " + Steps.attempt(() ->
            storage.breakVolumePlex(mirror.id(), plexes.get(plexes.size() - 1).id())));
        for (Volume v : storage.volumes(pack.id())) {
            if (v.id().equals(mirror.id()) || v.typeValue() == VolumeType.SIMPLE) {
                tree.line(1, v.typeValue() + " volume " + Steps.quoted(v.name()) + ", " + Sizes.format(v.size()));
            }
        }
    }

    private static void showPlexes(StorageSession storage, Tree tree, Provider provider, Pack pack, Volume volume) {
        for (VolumePlex plex : storage.volumePlexes(volume.id())) {
            tree.line(2, "Plex {" + plex.id() + "}: " + plex.typeValue() + ", " + plex.healthValue());
            for (DiskExtent e : storage.volumePlexExtents(provider.id(), pack.id(), volume.id(), plex.id())) {
                tree.line(3, "Extent on disk {" + e.disk() + "} at " + Sizes.format(e.offset()) + ", "
                          + Sizes.format(e.size()));
            }
        }
    }
}
