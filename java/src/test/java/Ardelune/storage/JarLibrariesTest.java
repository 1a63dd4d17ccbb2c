package Ardelune.storage;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.channels.FileChannel;
import java.nio.channels.FileLock;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardOpenOption;
import java.nio.file.attribute.FileTime;
import java.time.Duration;
import java.time.Instant;
import java.util.ArrayList;
import java.util.List;
import java.util.Set;
import java.util.TreeSet;
import java.util.stream.Collectors;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** Which folders left in the temporary folder a start sweeps away, and which it must leave. */
class JarLibrariesTest {
    private static final Instant NOW = Instant.parse("2026-12-10T12:00:00Z");
    private static final Instant OLD = NOW.minus(Duration.ofHours(3));
    private static final Instant JUST_MADE = NOW.minusSeconds(5);

    /** A folder as some process left it: its name, whether it has a lock file and how old, what else it holds. */
    private record Left(String name, Instant lockMade, boolean heldByAProcess, boolean hasSubfolder, boolean swept) {}

    private static final List<Left> CASES = List.of(
        new Left("tolvane-stale", OLD, false, false, true),
        new Left("tolvane-running", OLD, true, false, false),
        new Left("tolvane-being-made", JUST_MADE, false, false, false),
        new Left("tolvane-without-lock", null, false, false, false),
        new Left("tolvane-not-ours", OLD, false, true, false),
        new Left("other-stale", OLD, false, false, false));

    @Test
    void sweepsExactlyTheFoldersNoProcessHolds(@TempDir Path root) throws IOException {
        List<FileChannel> holders = new ArrayList<>();
        try {
            for (Left left : CASES) {
                Path folder = Files.createDirectory(root.resolve(left.name()));
                Files.write(folder.resolve("load-order"), List.of("libTolvane.so"));
                Files.write(folder.resolve("libTolvane.so"), new byte[] {0x7f, 'E', 'L', 'F'});
                if (left.hasSubfolder()) Files.createDirectory(folder.resolve("keep"));
                if (left.lockMade() == null) continue;
                Path lock = folder.resolve(JarLibraries.LOCK_FILE);
                FileChannel channel = FileChannel.open(lock, StandardOpenOption.CREATE_NEW, StandardOpenOption.WRITE);
                holders.add(channel);
                if (left.heldByAProcess()) {
                    FileLock held = channel.tryLock();
                    assertNotNull(held, "the test holds " + left.name());
                }
                Files.setLastModifiedTime(lock, FileTime.from(left.lockMade()));
            }
            // A plain file named as ours is not a folder of ours.
            Files.writeString(root.resolve("tolvane-file"), "x");

            Set<String> swept = JarLibraries.sweepStale(root, NOW).stream()
                .map(p -> p.getFileName().toString()).collect(Collectors.toCollection(TreeSet::new));

            Set<String> expected = CASES.stream().filter(Left::swept).map(Left::name)
                .collect(Collectors.toCollection(TreeSet::new));
            assertEquals(expected, swept);
            for (Left left : CASES) {
                assertEquals(!left.swept(), Files.exists(root.resolve(left.name())), left.name());
            }
            assertTrue(Files.isRegularFile(root.resolve("tolvane-file")));
        } finally {
            for (FileChannel channel : holders) channel.close();
        }
    }
}
