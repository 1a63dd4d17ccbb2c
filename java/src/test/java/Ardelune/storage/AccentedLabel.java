package Ardelune.storage;

/**
 * Says whether the default machine's label outside ASCII reads back whole;
 * run by the build in a JVM under the C locale, whose own encoding is ASCII.
 */
public final class AccentedLabel {
    private AccentedLabel() {}

    public static void main(String[] args) {
        try (StorageSession storage = StorageSession.open()) {
            boolean found = storage.softwareProviders().stream()
                .flatMap(p -> storage.packs(p.id()).stream())
                .flatMap(pack -> storage.volumes(pack.id()).stream())
                .anyMatch(v -> storage.fileSystem(v.id()).label().equals("Donn\u00e9es partag\u00e9es"));
            System.out.println(found ? "ACCENTED LABEL READ" : "ACCENTED LABEL MISSING");
        }
    }
}
