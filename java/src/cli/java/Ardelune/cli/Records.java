package Ardelune.cli;

import static Ardelune.cli.Values.flags;
import static Ardelune.cli.Values.named;
import static Ardelune.cli.Values.topologyNamed;

import Ardelune.storage.AccessPath;
import Ardelune.storage.Controller;
import Ardelune.storage.Disk;
import Ardelune.storage.DiskExtent;
import Ardelune.storage.DiskFlag;
import Ardelune.storage.DiskStatus;
import Ardelune.storage.Drive;
import Ardelune.storage.DriveExtent;
import Ardelune.storage.DriveFlag;
import Ardelune.storage.FileSystem;
import Ardelune.storage.FileSystemType;
import Ardelune.storage.FreeSpace;
import Ardelune.storage.HardwareStatus;
import Ardelune.storage.Health;
import Ardelune.storage.Lun;
import Ardelune.storage.LunHints;
import Ardelune.storage.LunPlex;
import Ardelune.storage.LunType;
import Ardelune.storage.MigrationResult;
import Ardelune.storage.Pack;
import Ardelune.storage.PackStatus;
import Ardelune.storage.Partition;
import Ardelune.storage.PartitionStyle;
import Ardelune.storage.Provider;
import Ardelune.storage.ReparsePoint;
import Ardelune.storage.SubSystem;
import Ardelune.storage.Volume;
import Ardelune.storage.VolumeFlag;
import Ardelune.storage.VolumePlex;
import Ardelune.storage.VolumeStatus;
import Ardelune.storage.VolumeType;
import Ardelune.cli.Values.Size;
import java.util.LinkedHashMap;
import java.util.Locale;
import java.util.Map;
import java.util.UUID;

/**
 * The fields of each record of the client under the topology format's names
 * and in its order (docs/topology.md). A field the format has no name for
 * takes the VDS property's own name in the same style ({@code numberOfPorts}).
 */
final class Records {
    private Records() {}

    /** The fields of any record or value a reply can carry. */
    static Map<String, Object> fields(Object record) {
        if (record instanceof Provider p) return provider(p);
        if (record instanceof SubSystem s) return subsystem(s);
        if (record instanceof Controller c) return controller(c);
        if (record instanceof Drive d) return drive(d);
        if (record instanceof Lun l) return lun(l);
        if (record instanceof LunPlex p) return lunPlex(p);
        if (record instanceof Pack p) return pack(p);
        if (record instanceof Disk d) return disk(d);
        if (record instanceof Partition p) return partition(p);
        if (record instanceof Volume v) return volume(v);
        if (record instanceof VolumePlex p) return volumePlex(p);
        if (record instanceof FileSystem f) return fileSystem(f);
        if (record instanceof LunHints h) return hints(h);
        Map<String, Object> f = new LinkedHashMap<>();
        if (record instanceof DriveExtent e) {
            f.put("drive", e.drive());
            f.put("lun", e.lun());
            f.put("size", new Size(e.size()));
            f.put("used", e.used());
        } else if (record instanceof DiskExtent e) {
            f.putAll(volumeExtent(e));
            f.put("type", e.type());
            f.put("volume", e.volume());
            f.put("plex", e.plex());
        } else if (record instanceof AccessPath a) {
            f.put("path", a.path());
        } else if (record instanceof ReparsePoint r) {
            f.put("sourceVolume", r.sourceVolume());
            f.put("path", r.path());
        } else if (record instanceof FreeSpace s) {
            f.put("availableToCaller", new Size(s.availableToCaller()));
            f.put("total", new Size(s.total()));
            f.put("free", new Size(s.free()));
        } else if (record instanceof MigrationResult m) {
            f.put("firstDiskResult", m.firstDiskResult());
            f.put("rebootNeeded", m.rebootNeeded());
        } else if (record instanceof UUID id) {
            f.put("id", id);
        } else if (record instanceof Character letter) {
            f.put("driveLetter", letter.toString());
        } else if (record instanceof Long bytes) {
            f.put("size", new Size(bytes));
        } else {
            f.put("value", String.valueOf(record));
        }
        return f;
    }

    static Map<String, Object> provider(Provider p) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("id", p.id());
        f.put("name", p.name());
        f.put("version", p.version());
        f.put("versionId", p.versionId());
        f.put("flags", p.flags());
        f.put("stripeSizeFlags", p.stripeSizes());
        f.put("rebuildPriority", p.rebuildPriority());
        if (p.type() == 1) f.put("kind", (p.flags() & 1) != 0 ? "dynamic" : "basic");
        return f;
    }

    static Map<String, Object> subsystem(SubSystem s) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("id", s.id());
        f.put("friendlyName", s.friendlyName());
        f.put("identification", s.identification());
        f.put("flags", s.flags());
        f.put("stripeSizeFlags", s.stripeSizes());
        f.put("status", named(s.status(), HardwareStatus.of(s.status())));
        f.put("health", health(s.health()));
        f.put("internalBuses", s.internalBuses());
        f.put("slotsPerBus", s.slotsPerBus());
        f.put("maxControllers", s.maxControllers());
        f.put("rebuildPriority", s.rebuildPriority());
        return f;
    }

    static Map<String, Object> controller(Controller c) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("id", c.id());
        f.put("friendlyName", c.friendlyName());
        f.put("identification", c.identification());
        f.put("status", named(c.status(), HardwareStatus.of(c.status())));
        f.put("health", health(c.health()));
        f.put("numberOfPorts", c.ports());
        return f;
    }

    static Map<String, Object> drive(Drive d) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("id", d.id());
        f.put("friendlyName", d.friendlyName());
        f.put("identification", d.identification());
        f.put("size", new Size(d.size()));
        f.put("flags", flags(d.flags(), d.flagSet(), DriveFlag::code));
        f.put("status", named(d.status(), HardwareStatus.of(d.status())));
        f.put("health", health(d.health()));
        f.put("bus", d.bus());
        f.put("slot", d.slot());
        return f;
    }

    static Map<String, Object> lun(Lun l) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("id", l.id());
        f.put("friendlyName", l.friendlyName());
        f.put("identification", l.identification());
        f.put("unmaskingList", l.unmaskingList());
        f.put("type", topologyNamed(l.type(), LunType.of(l.type())));
        f.put("size", new Size(l.size()));
        f.put("flags", l.flags());
        f.put("status", named(l.status(), HardwareStatus.of(l.status())));
        f.put("health", health(l.health()));
        f.put("transitionState", l.transitionState());
        f.put("rebuildPriority", l.rebuildPriority());
        return f;
    }

    static Map<String, Object> hints(LunHints h) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("hintMask", h.hintMask());
        f.put("expectedMaximumSize", new Size(h.expectedMaximumSize()));
        f.put("optimalReadSize", h.optimalReadSize());
        f.put("optimalReadAlignment", h.optimalReadAlignment());
        f.put("optimalWriteSize", h.optimalWriteSize());
        f.put("optimalWriteAlignment", h.optimalWriteAlignment());
        f.put("maximumDriveCount", h.maximumDriveCount());
        f.put("stripeSize", h.stripeSize());
        f.put("rebuildPriority", h.rebuildPriority());
        for (LunHints.Flag flag : LunHints.Flag.values()) f.put(camel(flag.name()), h.flags().contains(flag));
        return f;
    }

    static Map<String, Object> lunPlex(LunPlex p) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("id", p.id());
        f.put("type", topologyNamed(p.type(), LunType.of(p.type())));
        f.put("size", new Size(p.size()));
        f.put("status", named(p.status(), HardwareStatus.of(p.status())));
        f.put("health", health(p.health()));
        f.put("transitionState", p.transitionState());
        f.put("flags", p.flags());
        f.put("stripeSize", p.stripeSize());
        f.put("rebuildPriority", p.rebuildPriority());
        return f;
    }

    static Map<String, Object> pack(Pack p) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("id", p.id());
        f.put("name", p.name());
        f.put("status", named(p.status(), PackStatus.of(p.status())));
        f.put("flags", p.flags());
        return f;
    }

    static Map<String, Object> disk(Disk d) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("id", d.id());
        f.put("size", new Size(d.size()));
        f.put("style", topologyNamed(d.partitionStyle(), PartitionStyle.of(d.partitionStyle())));
        f.put("status", named(d.status(), DiskStatus.of(d.status())));
        f.put("health", health(d.health()));
        f.put("reserveMode", d.reserveMode());
        f.put("deviceType", d.deviceType());
        f.put("mediaType", d.mediaType());
        f.put("bytesPerSector", d.bytesPerSector());
        f.put("sectorsPerTrack", d.sectorsPerTrack());
        f.put("tracksPerCylinder", d.tracksPerCylinder());
        f.put("flags", flags(d.flags(), d.flagSet(), DiskFlag::code));
        f.put("busType", d.busType());
        return f;
    }

    static Map<String, Object> partition(Partition p) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("number", p.number());
        f.put("offset", new Size(p.offset()));
        f.put("size", new Size(p.size()));
        f.put("flags", p.flags());
        return f;
    }

    static Map<String, Object> volume(Volume v) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("id", v.id());
        f.put("name", v.name());
        f.put("type", topologyNamed(v.type(), VolumeType.of(v.type())));
        f.put("size", new Size(v.size()));
        f.put("status", named(v.status(), VolumeStatus.of(v.status())));
        f.put("health", health(v.health()));
        f.put("transitionState", v.transitionState());
        f.put("flags", flags(v.flags(), v.flagSet(), VolumeFlag::code));
        f.put("recommendedFileSystem", named(v.recommendedFileSystem(), FileSystemType.of(v.recommendedFileSystem())));
        return f;
    }

    static Map<String, Object> fileSystem(FileSystem fs) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("type", topologyNamed(fs.type(), FileSystemType.of(fs.type())));
        f.put("label", fs.label());
        f.put("flags", fs.flags());
        f.put("allocationUnitSize", fs.allocationUnitSize());
        f.put("totalAllocationUnits", fs.totalAllocationUnits());
        f.put("availableAllocationUnits", fs.availableAllocationUnits());
        return f;
    }

    static Map<String, Object> volumePlex(VolumePlex p) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("id", p.id());
        f.put("type", topologyNamed(p.type(), VolumeType.of(p.type())));
        f.put("size", new Size(p.size()));
        f.put("status", named(p.status(), VolumeStatus.of(p.status())));
        f.put("health", health(p.health()));
        f.put("transitionState", p.transitionState());
        f.put("stripeSize", p.stripeSize());
        f.put("numberOfMembers", p.members());
        return f;
    }

    /** A volume plex's extent as the topology writes it. */
    static Map<String, Object> volumeExtent(DiskExtent e) {
        Map<String, Object> f = new LinkedHashMap<>();
        diskExtent(f, e);
        f.put("member", e.memberIndex());
        return f;
    }

    /** A LUN plex's extent as the topology writes it; the library gives no offset on the drive. */
    static Map<String, Object> lunExtent(DriveExtent e) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("drive", e.drive());
        f.put("size", new Size(e.size()));
        return f;
    }

    private static void diskExtent(Map<String, Object> f, DiskExtent e) {
        f.put("disk", e.disk());
        f.put("offset", new Size(e.offset()));
        f.put("size", new Size(e.size()));
    }

    private static Values.Named health(int code) {
        return named(code, Health.of(code));
    }

    /** FAST_CRASH_RECOVERY_REQUIRED as fastCrashRecoveryRequired, the topology's spelling of the hints. */
    private static String camel(String constant) {
        StringBuilder b = new StringBuilder();
        for (String part : constant.toLowerCase(Locale.ROOT).split("_")) {
            b.append(b.length() == 0 ? part : Character.toUpperCase(part.charAt(0)) + part.substring(1));
        }
        return b.toString();
    }
}
