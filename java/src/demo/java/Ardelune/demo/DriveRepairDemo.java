package Ardelune.demo;

import Ardelune.Tolvane;
import Ardelune.demo.Records.DriveExtentRecord;
import Ardelune.demo.Records.DriveRecord;
import Ardelune.demo.Records.LunRecord;
import Ardelune.demo.Records.ProviderRecord;
import Ardelune.demo.Records.SubSystemRecord;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.HashSet;
import java.util.List;
import java.util.Optional;
import java.util.Set;

/**
 * Fails a drive that holds LUN data, shows the LUN degrading, replaces the
 * drive with a free one (a hot spare when there is one) and shows the LUN
 * healthy again.
 */
final class DriveRepairDemo {
    private static final int QUERY_HW_PROVIDERS = 0x0091;
    private static final int QUERY_SUBSYSTEMS = 0x0092;
    private static final int QUERY_DRIVES = 0x0093;
    private static final int QUERY_SUBSYSTEM_LUNS = 0x0094;
    private static final int QUERY_DRIVE_EXTENTS = 0x0095;
    private static final int SET_DRIVE_STATUS = 0x0122;
    private static final int REPLACE_DRIVE = 0x0124;

    private static final int DRIVE_ONLINE = 1;
    private static final int DRIVE_FAILED = 5;
    private static final int HOT_SPARE = 0x1;
    private static final int FAULT_TOLERANT = 2;  // VDS_LUN_TYPE values
    private static final int MIRROR = 13;

    private final Tolvane bridge;
    private final Tree tree;

    private DriveRepairDemo(Tolvane bridge, Tree tree) {
        this.bridge = bridge;
        this.tree = tree;
    }

    static void show(Tolvane bridge, Tree tree) {
        new DriveRepairDemo(bridge, tree).run();
    }

    private void run() {
        tree.line(0, "Drive repair");
        for (ProviderRecord provider : list(QUERY_HW_PROVIDERS, Records.ProviderRecord.LAYOUT).records()) {
            for (SubSystemRecord subsystem : list(QUERY_SUBSYSTEMS, Records.SubSystemRecord.LAYOUT, provider.id()).records()) {
                if (repair(provider.id(), subsystem.id())) return;
            }
        }
        tree.line(1, "No subsystem has a drive with LUN data and a free drive to replace it");
    }

    private boolean repair(ObjectId provider, ObjectId subsystem) {
        List<DriveRecord> drives = list(QUERY_DRIVES, Records.DriveRecord.LAYOUT, provider, subsystem).records();
        // Only a LUN with redundancy survives a drive failing and can be rebuilt.
        Set<ObjectId> redundant = new HashSet<>();
        for (LunRecord l : list(QUERY_SUBSYSTEM_LUNS, Records.LunRecord.LAYOUT, provider, subsystem).records()) {
            if (l.type() == FAULT_TOLERANT || l.type() >= MIRROR) redundant.add(l.id());
        }
        DriveRecord failing = null;
        ObjectId lun = null;
        DriveRecord replacement = null;
        for (DriveRecord drive : drives) {
            Optional<DriveExtentRecord> used = list(QUERY_DRIVE_EXTENTS, Records.DriveExtentRecord.LAYOUT,
                                                    provider, subsystem, drive.id())
                .records().stream().filter(DriveExtentRecord::used).findFirst();
            if (used.isPresent() && redundant.contains(used.get().lunId()) && failing == null
                && drive.status() == DRIVE_ONLINE) {
                failing = drive;
                lun = used.get().lunId();
            } else if (used.isEmpty() && drive.status() == DRIVE_ONLINE
                       && (replacement == null || (drive.flags() & HOT_SPARE) != 0)) {
                replacement = drive;
            }
        }
        if (failing == null || replacement == null || failing.size() > replacement.size()) return false;

        showLun(provider, subsystem, lun, "Before");
        byte[] fail = Replies.request(SET_DRIVE_STATUS, provider, subsystem, failing.id(), failing.id());
        ByteBuffer.wrap(fail).order(ByteOrder.LITTLE_ENDIAN).putShort(52, (short) DRIVE_FAILED);
        tree.line(1, "Drive " + quoted(failing.friendlyName()) + " fails: " + outcome(fail));
        showLun(provider, subsystem, lun, "Degraded");
        byte[] replace = Replies.request(REPLACE_DRIVE, provider, subsystem, failing.id(), replacement.id());
        tree.line(1, "Replace it with " + quoted(replacement.friendlyName()) + ": " + outcome(replace));
        showLun(provider, subsystem, lun, "Rebuilt");
        return true;
    }

    private void showLun(ObjectId provider, ObjectId subsystem, ObjectId lun, String moment) {
        for (LunRecord record : list(QUERY_SUBSYSTEM_LUNS, Records.LunRecord.LAYOUT, provider, subsystem).records()) {
            if (record.id().equals(lun)) {
                tree.line(1, moment + ": LUN " + quoted(record.friendlyName()) + " " + Names.status(record.status())
                          + ", " + Names.health(record.health()));
            }
        }
    }

    private String outcome(byte[] request) {
        Replies.Reply reply = new Replies.Reply(bridge.CmdHandler(request, request.length));
        if (reply.isEmpty() || reply.length() < Replies.HEADER_LENGTH) return "no reply";
        if (reply.status() == 0) return "done";
        return String.format("status %d %s, addStatus 0x%08X", reply.status(), Replies.statusName(reply.status()),
                             reply.addStatus());
    }

    private <R> Replies.Listing<R> list(int code, Records.Layout<R> layout, ObjectId... address) {
        byte[] request = Replies.request(code, address);
        return Replies.Listing.of(bridge.CmdHandler(request, request.length), code, layout);
    }

    private static String quoted(String name) {
        return "\"" + name + "\"";
    }
}
