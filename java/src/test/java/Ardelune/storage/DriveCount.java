package Ardelune.storage;

import java.util.List;
import java.util.UUID;

/** Prints how many drives the client lists for a subsystem; run in a JVM of its own by {@link LargeListTest}. */
public final class DriveCount {
    private DriveCount() {}

    /** Connects twice, one after the other, to show that the library is found again after the first close. */
    public static void main(String[] args) {
        try (StorageSession first = StorageSession.open()) {
            first.hardwareProviders();
        }
        try (StorageSession session = StorageSession.open()) {
            List<Drive> drives = session.drives(UUID.fromString(args[0]));
            System.out.println("DRIVES " + drives.size() + " LAST " + drives.get(drives.size() - 1).friendlyName());
        }
    }
}
