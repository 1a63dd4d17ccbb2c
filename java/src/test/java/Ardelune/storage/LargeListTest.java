package Ardelune.storage;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/**
 * A list longer than its 16-bit count can say. The simulated machine reads
 * its description at start, so the list is taken in a JVM of its own.
 */
class LargeListTest {
    private static final int DRIVES = 40_000;
    private static final String SUBSYSTEM = "20000000-0000-4000-8000-000000000001";

    private static String machine() {
        StringBuilder drives = new StringBuilder();
        for (int i = 0; i < DRIVES; i++) {
            if (i > 0) drives.append(",\n");
            drives.append(String.format("{ \"id\": \"40000000-0000-4000-8000-%012X\", \"friendlyName\": \"Drive %d\", "
                + "\"identification\": \"SN-%d\", \"size\": \"64 GiB\" }", i + 1, i, i));
        }
        return "{ \"hardwareProviders\": [ { \"id\": \"10000000-0000-4000-8000-000000000001\", \"name\": \"Wide\", "
            + "\"version\": \"1\", \"versionId\": \"10000000-0000-4000-8000-0000000000F1\", \"subsystems\": [ { "
            + "\"id\": \"" + SUBSYSTEM + "\", \"friendlyName\": \"Wide\", \"identification\": \"W\", "
            + "\"internalBuses\": 40, \"slotsPerBus\": 1000, \"maxControllers\": 1, \"controllers\": [], "
            + "\"drives\": [\n" + drives + "\n], \"luns\": [] } ] } ], \"softwareProviders\": [] }";
    }

    /** The class folder or jar a class came from: the test runner's own class path is its launcher's. */
    private static String where(Class<?> c) {
        try {
            return Path.of(c.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
        } catch (java.net.URISyntaxException e) {
            throw new IllegalStateException(e);
        }
    }

    @Test
    void fortyThousandDrivesComeBackWhole(@TempDir Path dir) throws IOException, InterruptedException {
        Path topology = Files.writeString(dir.resolve("wide.json"), machine());
        Path javaBinary = Path.of(System.getProperty("java.home"), "bin", "java");
        ProcessBuilder child = new ProcessBuilder(javaBinary.toString(), "-Xcheck:jni",
            "-Djava.library.path=" + System.getProperty("java.library.path"),
            "-cp", where(DriveCount.class) + java.io.File.pathSeparator + where(StorageSession.class),
            DriveCount.class.getName(), SUBSYSTEM);
        child.environment().put("TOLVANE_SIM_TOPOLOGY", topology.toString());
        child.redirectErrorStream(true);
        Process p = child.start();
        List<String> lines;
        try (var out = p.getInputStream()) {
            lines = new String(out.readAllBytes(), StandardCharsets.UTF_8).lines().toList();
        }
        assertTrue(p.waitFor(120, TimeUnit.SECONDS));
        String result = lines.stream().filter(l -> l.startsWith("DRIVES ")).findFirst()
            .orElse("no result: " + lines.stream().filter(l -> !l.startsWith("VDS")).limit(20).toList());
        assertEquals("DRIVES " + DRIVES + " LAST Drive " + (DRIVES - 1), result);
        assertEquals(0, p.exitValue());
    }
}
