package Ardelune.storage;

import java.io.IOException;
import java.io.InputStream;
import java.io.UncheckedIOException;
import java.nio.channels.FileChannel;
import java.nio.channels.FileLock;
import java.nio.channels.OverlappingFileLockException;
import java.nio.file.DirectoryStream;
import java.nio.file.FileSystems;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.nio.file.StandardOpenOption;
import java.nio.file.attribute.FileTime;
import java.nio.file.attribute.PosixFilePermissions;
import java.time.Duration;
import java.time.Instant;
import java.util.ArrayList;
import java.util.List;

/**
 * The native libraries packed in the client's jar, copied into a private
 * temporary folder of this process, and the folders earlier processes left.
 *
 * <p>A JVM removes its folder when it exits, except where it cannot: Windows
 * keeps a loaded DLL open until the process has ended, after the JVM's own
 * clean-up has run, and a JVM that is killed cleans nothing. Each folder
 * therefore holds a lock file that its process keeps locked for as long as it
 * lives, and every extraction first removes the folders of ours whose lock it
 * can take.
 */
final class JarLibraries {
    static final String FOLDER_PREFIX = "tolvane-";
    static final String LOCK_FILE = ".in-use";
    /**
     * A folder younger than this may be one another process has just made and
     * not yet locked.
     */
    static final Duration SETTLING = Duration.ofMinutes(1);

    private JarLibraries() {}

    // Open, and locked, for the life of the process: the lock says the folder is in use.
    private static FileChannel heldLock;
    // Never swept by this process: closing any channel to a file may release
    // every lock the JVM holds on it, so a sweep must not even open its lock.
    private static Path ownFolder;

    /**
     * Copies the libraries that the jar's {@code base} folder lists in its
     * load-order file into a new folder only this user can read.
     *
     * @return the folder, or null when the jar has no libraries for this platform
     */
    static Path extract(String base, String loadOrderName) throws IOException {
        byte[] order;
        try (InputStream in = JarLibraries.class.getResourceAsStream(base + loadOrderName)) {
            if (in == null) return null;
            order = in.readAllBytes();
        }
        Path root = Path.of(System.getProperty("java.io.tmpdir"));
        sweepStale(root, Instant.now());
        Path folder = FileSystems.getDefault().supportedFileAttributeViews().contains("posix")
            ? Files.createTempDirectory(root, FOLDER_PREFIX,
                PosixFilePermissions.asFileAttribute(PosixFilePermissions.fromString("rwx------")))
            : Files.createTempDirectory(root, FOLDER_PREFIX);
        folder.toFile().deleteOnExit();
        holdLock(folder.resolve(LOCK_FILE));
        ownFolder = folder;
        Files.write(folder.resolve(loadOrderName), order);
        folder.resolve(loadOrderName).toFile().deleteOnExit();
        for (String library : NativeLibraries.loadOrder(folder)) {
            try (InputStream in = JarLibraries.class.getResourceAsStream(base + library)) {
                if (in == null) throw new UnsatisfiedLinkError("the jar lists " + library + " but lacks it");
                Files.copy(in, folder.resolve(library), StandardCopyOption.REPLACE_EXISTING);
            }
            folder.resolve(library).toFile().deleteOnExit();
        }
        return folder;
    }

    private static void holdLock(Path lockFile) throws IOException {
        FileChannel channel = FileChannel.open(lockFile, StandardOpenOption.CREATE_NEW, StandardOpenOption.WRITE);
        if (channel.tryLock() == null) {
            channel.close();
            throw new IOException("cannot lock " + lockFile);
        }
        // Registered before the libraries, so removed after them: a sweeper
        // never finds libraries in a folder without its lock.
        lockFile.toFile().deleteOnExit();
        heldLock = channel;
    }

    /**
     * Removes the folders that extractions left in {@code root}: those named
     * as ours, holding only files, among them a lock file older than
     * {@link #SETTLING} that no process holds. A folder in use, or that this
     * process cannot empty (a library still loaded somewhere), stays.
     *
     * @return the folders removed
     */
    static List<Path> sweepStale(Path root, Instant now) {
        List<Path> removed = new ArrayList<>();
        try (DirectoryStream<Path> folders = Files.newDirectoryStream(root, FOLDER_PREFIX + "*")) {
            for (Path folder : folders) {
                if (removeIfStale(folder, now)) removed.add(folder);
            }
        } catch (IOException | UncheckedIOException | SecurityException e) {
            // Sweeping is a courtesy: a temporary folder we cannot read is not our failure.
        }
        return removed;
    }

    private static boolean removeIfStale(Path folder, Instant now) {
        Path lockFile = folder.resolve(LOCK_FILE);
        if (folder.equals(ownFolder)) return false;
        try {
            if (!Files.isDirectory(folder, LinkOption.NOFOLLOW_LINKS)
                || !Files.isRegularFile(lockFile, LinkOption.NOFOLLOW_LINKS)) {
                return false;
            }
            FileTime modified = Files.getLastModifiedTime(lockFile);
            if (modified.toInstant().plus(SETTLING).isAfter(now)) return false;
            List<Path> files = new ArrayList<>();
            try (DirectoryStream<Path> entries = Files.newDirectoryStream(folder)) {
                for (Path entry : entries) {
                    if (!Files.isRegularFile(entry, LinkOption.NOFOLLOW_LINKS)) return false;
                    if (!entry.equals(lockFile)) files.add(entry);
                }
            }
            try (FileChannel channel = FileChannel.open(lockFile, StandardOpenOption.WRITE)) {
                FileLock lock;
                try {
                    lock = channel.tryLock();
                } catch (OverlappingFileLockException heldHere) {
                    return false;
                }
                if (lock == null) return false;
                for (Path file : files) Files.delete(file);
            }
            Files.delete(lockFile);
            Files.delete(folder);
            return true;
        } catch (IOException | SecurityException e) {
            return false;
        }
    }
}
