package Ardelune.cli;

import Ardelune.storage.AccessPath;
import Ardelune.storage.Controller;
import Ardelune.storage.Disk;
import Ardelune.storage.Drive;
import Ardelune.storage.Lun;
import Ardelune.storage.LunPlex;
import Ardelune.storage.NotConnectedException;
import Ardelune.storage.ObjectNotFoundException;
import Ardelune.storage.Pack;
import Ardelune.storage.Partition;
import Ardelune.storage.ProtocolException;
import Ardelune.storage.Provider;
import Ardelune.storage.StorageException;
import Ardelune.storage.StorageSession;
import Ardelune.storage.SubSystem;
import Ardelune.storage.Volume;
import Ardelune.storage.VolumePlex;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.UUID;
import java.util.function.Supplier;

/**
 * Reads the whole storage tree through a session: providers down to
 * extents, with what each object's own queries add (a LUN's controllers and
 * hints, a volume's file system and access paths).
 */
final class TreeReader {
    private final StorageSession session;

    TreeReader(StorageSession session) {
        this.session = session;
    }

    /** The roots: hardware providers, then software providers, as the service lists them. */
    List<Node> read() {
        List<Node> roots = new ArrayList<>();
        for (Provider p : session.hardwareProviders()) {
            Node provider = new Node(Kind.PROVIDER, p.id(), null, "hardwareProviders", Records.provider(p));
            roots.add(provider);
            for (SubSystem s : children(() -> session.subsystems(p.id()))) subsystem(provider, s);
        }
        for (Provider p : session.softwareProviders()) {
            Node provider = new Node(Kind.PROVIDER, p.id(), null, "softwareProviders", Records.provider(p));
            roots.add(provider);
            for (Pack k : children(() -> session.packs(p.id()))) pack(provider, k);
        }
        return roots;
    }

    private void subsystem(Node provider, SubSystem s) {
        Node node = new Node(Kind.SUBSYSTEM, s.id(), provider, Kind.SUBSYSTEM.group, Records.subsystem(s));
        // The library tells which controllers serve a LUN only from the controllers' side.
        Map<UUID, List<UUID>> associated = new HashMap<>();
        for (Controller c : children(() -> session.controllers(s.id()))) {
            new Node(Kind.CONTROLLER, c.id(), node, Kind.CONTROLLER.group, Records.controller(c));
            for (Lun l : children(() -> session.associatedLuns(c.id()))) {
                associated.computeIfAbsent(l.id(), k -> new ArrayList<>()).add(c.id());
            }
        }
        for (Drive d : children(() -> session.drives(s.id()))) {
            new Node(Kind.DRIVE, d.id(), node, Kind.DRIVE.group, Records.drive(d));
        }
        for (Lun l : children(() -> session.luns(s.id()))) {
            Map<String, Object> fields = Records.lun(l);
            fields.put("associatedControllers", associated.getOrDefault(l.id(), List.of()));
            List<UUID> active = new ArrayList<>();
            for (Controller c : children(() -> session.activeControllers(l.id()))) active.add(c.id());
            fields.put("activeControllers", active);
            optional(fields, "hints", () -> Records.hints(session.lunHints(l.id())));
            Node lun = new Node(Kind.LUN, l.id(), node, Kind.LUN.group, fields);
            for (LunPlex p : children(() -> session.lunPlexes(l.id()))) {
                Map<String, Object> pf = Records.lunPlex(p);
                pf.put("extents", children(() -> session.lunPlexExtents(p.id())).stream()
                    .map(Records::lunExtent).toList());
                new Node(Kind.LUN_PLEX, p.id(), lun, Kind.LUN_PLEX.group, pf);
            }
        }
    }

    private void pack(Node provider, Pack k) {
        Node pack = new Node(Kind.PACK, k.id(), provider, Kind.PACK.group, Records.pack(k));
        for (Disk d : children(() -> session.packDisks(k.id()))) {
            Node disk = new Node(Kind.DISK, d.id(), pack, Kind.DISK.group, Records.disk(d));
            for (Partition p : optionalList(() -> session.partitions(d.id()))) {
                Map<String, Object> fields = Records.partition(p);
                new Node(Kind.PARTITION, null, disk, Kind.PARTITION.group, fields);
            }
        }
        for (Volume v : children(() -> session.volumes(k.id()))) {
            Map<String, Object> fields = Records.volume(v);
            List<String> folders = new ArrayList<>();
            String letter = null;
            for (AccessPath a : optionalList(() -> session.accessPaths(v.id()))) {
                String path = a.path();
                if (letter == null && path.length() == 3 && path.endsWith(":\\")) {
                    letter = path.substring(0, 1);
                } else {
                    folders.add(path);
                }
            }
            if (letter != null) fields.put("driveLetter", letter);
            fields.put("mountFolders", folders);
            optional(fields, "fileSystem", () -> Records.fileSystem(session.fileSystem(v.id())));
            Node volume = new Node(Kind.VOLUME, v.id(), pack, Kind.VOLUME.group, fields);
            for (VolumePlex p : children(() -> session.volumePlexes(v.id()))) {
                Map<String, Object> pf = Records.volumePlex(p);
                pf.put("extents", optionalList(() -> session.volumePlexExtents(provider.id, k.id(), v.id(), p.id()))
                    .stream().map(Records::volumeExtent).toList());
                new Node(Kind.VOLUME_PLEX, p.id(), volume, Kind.VOLUME_PLEX.group, pf);
            }
        }
    }

    /** Children of an object that may have gone while the tree was read: then it has none. */
    private static <T> List<T> children(Supplier<List<T>> query) {
        try {
            return query.get();
        } catch (ObjectNotFoundException gone) {
            return List.of();
        }
    }

    /**
     * What an object may refuse to tell without anything being wrong (a
     * volume without a file system, a disk the service cannot partition);
     * a lost connection or an unreadable reply still ends the command.
     */
    private static <T> List<T> optionalList(Supplier<List<T>> query) {
        try {
            return query.get();
        } catch (NotConnectedException | ProtocolException fatal) {
            throw fatal;
        } catch (StorageException refused) {
            return List.of();
        }
    }

    private static void optional(Map<String, Object> fields, String name, Supplier<Object> query) {
        try {
            fields.put(name, query.get());
        } catch (NotConnectedException | ProtocolException fatal) {
            throw fatal;
        } catch (StorageException refused) {
            // left out: the object has none to tell
        }
    }
}
