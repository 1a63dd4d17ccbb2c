package Ardelune.storage;

import Ardelune.storage.bridge.TolvaneBridge;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.io.UncheckedIOException;
import java.lang.reflect.InvocationTargetException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.Locale;

/**
 * Finds the native library and makes the bridge to it, trying in turn: the
 * folder that {@code -Dtolvane.library.path} names, {@code java.library.path},
 * and the libraries packed into the client's jar, extracted into a private
 * temporary folder ({@code JarLibraries}). A 64-bit JVM on Windows, for
 * which the jar holds no library, is told so in words.
 *
 * <p>{@code Ardelune.Tolvane} loads its library by name, which the JVM looks
 * up only on {@code java.library.path} or through the class loader of the
 * class. When the library is elsewhere, the bridge and {@code Tolvane} are
 * therefore defined by a small class loader of our own that knows the
 * library's folder. The libraries that the main one needs are loaded first,
 * in the order the jar lists them, so the system's loader finds them already
 * in the process.
 *
 * <p>Public only for the packages that ship beside the client
 * ({@code Ardelune.sim}); applications have no use for it.
 */
public final class NativeLibraries {
    /** Names the folder that holds the library and the libraries it needs. */
    static final String PATH_PROPERTY = "tolvane.library.path";
    private static final String LIBRARY = "Tolvane";
    private static final String LOAD_ORDER = "load-order";
    private static final String BRIDGE = "Ardelune.storage.bridge.TolvaneBridge";
    private static final List<String> OWN_CLASSES = List.of("Ardelune.Tolvane", BRIDGE);
    static final String SIXTY_FOUR_BIT_WINDOWS = "Tolvane needs a 32-bit JVM on Windows: this JVM is 64-bit, and"
        + " tolvane.jar holds Tolvane.dll for 32-bit JVMs only. Run the application on a 32-bit Java 17, or name the"
        + " folder of a 64-bit Tolvane.dll with -D" + PATH_PROPERTY;

    private NativeLibraries() {}

    // A library is loaded once per process and class loader: every connection
    // after the first reuses the bridge that the first one found.
    private static NativeBridge found;
    // The jar's libraries are extracted once: a second copy of the simulated
    // service's library would be a second, separate service in the process.
    private static Path extractedFolder;

    static synchronized NativeBridge bridge() {
        if (found == null) found = find();
        return found;
    }

    private static NativeBridge find() {
        try {
            Path folder = folder();
            return folder == null ? new TolvaneBridge() : bridgeIn(folder);
        } catch (UnsatisfiedLinkError e) {
            // A 32-bit Tolvane.dll on the path of a 64-bit JVM fails with the
            // loader's own words, which do not say what to do.
            if (!platform().equals("windows-x86_64")) throw e;
            throw new IllegalStateException(SIXTY_FOUR_BIT_WINDOWS + " (" + e.getMessage() + ")", e);
        }
    }

    /** The folder that holds the libraries, or null when {@code java.library.path} does. */
    private static Path folder() {
        String named = System.getProperty(PATH_PROPERTY);
        if (named != null && !named.isEmpty()) return Path.of(named);
        if (onJavaLibraryPath()) return null;
        if (extractedFolder == null) extractedFolder = extracted();
        return extractedFolder;
    }

    /**
     * Loads the native library {@code name} (e.g. "TolvaneSimJava") from
     * where the client finds its own, tried in the same order, after the
     * libraries that the folder's load-order lists before it; the client's
     * library itself is left to the client. The library then serves the
     * natives of classes loaded beside this one.
     *
     * @throws UnsatisfiedLinkError if the library is not there
     */
    public static synchronized void loadCompanion(String name) {
        String file = System.mapLibraryName(name);
        Path folder = folder();
        if (folder == null) {
            System.loadLibrary(name);
            return;
        }
        if (!Files.isRegularFile(folder.resolve(file))) throw new UnsatisfiedLinkError("no " + folder.resolve(file));
        for (String library : loadOrder(folder)) {
            if (library.equals(file)) break;
            if (!library.equals(System.mapLibraryName(LIBRARY))) System.load(folder.resolve(library).toString());
        }
        System.load(folder.resolve(file).toString());
    }

    /** The platform folder inside the jar, e.g. "linux-x86_64" or "windows-x86". */
    static String platform() {
        String os = System.getProperty("os.name").toLowerCase(Locale.ROOT);
        String arch = System.getProperty("os.arch").toLowerCase(Locale.ROOT);
        String osPart = os.startsWith("windows") ? "windows" : os.startsWith("linux") ? "linux" : os;
        String archPart = switch (arch) {
            case "amd64", "x86_64" -> "x86_64";
            case "x86", "i386", "i486", "i586", "i686" -> "x86";
            default -> arch;
        };
        return osPart + "-" + archPart;
    }

    private static boolean onJavaLibraryPath() {
        String paths = System.getProperty("java.library.path", "");
        for (String dir : paths.split(File.pathSeparator)) {
            if (!dir.isEmpty() && Files.isRegularFile(Path.of(dir, System.mapLibraryName(LIBRARY)))) return true;
        }
        return false;
    }

    private static NativeBridge bridgeIn(Path folder) {
        Path main = folder.resolve(System.mapLibraryName(LIBRARY));
        if (!Files.isRegularFile(main)) throw new UnsatisfiedLinkError("no " + main);
        for (String dependency : loadOrder(folder)) {
            if (!dependency.equals(System.mapLibraryName(LIBRARY))) System.load(folder.resolve(dependency).toString());
        }
        ClassLoader loader = new FolderLoader(folder, NativeLibraries.class.getClassLoader());
        try {
            return (NativeBridge) loader.loadClass(BRIDGE).getConstructor().newInstance();
        } catch (ReflectiveOperationException e) {
            Throwable cause = e instanceof InvocationTargetException ? e.getCause() : e;
            throw new IllegalStateException("cannot set up the native bridge from " + folder, cause);
        }
    }

    /** The libraries of a folder in load order: its load-order file, or the main library alone. */
    static List<String> loadOrder(Path folder) {
        Path order = folder.resolve(LOAD_ORDER);
        try {
            if (Files.isRegularFile(order)) {
                return Files.readAllLines(order, StandardCharsets.UTF_8).stream().map(String::strip)
                    .filter(l -> !l.isEmpty()).toList();
            }
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
        return List.of(System.mapLibraryName(LIBRARY));
    }

    /** Copies this platform's libraries out of the jar into a folder only this user can read. */
    private static Path extracted() {
        try {
            Path folder = JarLibraries.extract("/native/" + platform() + "/", LOAD_ORDER);
            if (folder != null) return folder;
        } catch (IOException e) {
            throw new UncheckedIOException("cannot extract the native libraries", e);
        }
        if (platform().equals("windows-x86_64")) throw new IllegalStateException(SIXTY_FOUR_BIT_WINDOWS);
        throw new UnsatisfiedLinkError("no " + System.mapLibraryName(LIBRARY) + " for " + platform()
            + ": set -D" + PATH_PROPERTY + " or java.library.path, or use a jar built for this platform");
    }

    /** Defines the bridge and Tolvane itself, and answers the library's name with its file in the folder. */
    private static final class FolderLoader extends ClassLoader {
        private final Path folder;

        FolderLoader(Path folder, ClassLoader parent) {
            super("tolvane-native", parent);
            this.folder = folder;
        }

        @Override
        protected Class<?> loadClass(String name, boolean resolve) throws ClassNotFoundException {
            if (!OWN_CLASSES.contains(name)) return super.loadClass(name, resolve);
            synchronized (getClassLoadingLock(name)) {
                Class<?> c = findLoadedClass(name);
                if (c == null) {
                    String resource = name.replace('.', '/') + ".class";
                    try (InputStream in = getParent().getResourceAsStream(resource)) {
                        if (in == null) throw new ClassNotFoundException(name);
                        byte[] bytes = in.readAllBytes();
                        c = defineClass(name, bytes, 0, bytes.length);
                    } catch (IOException e) {
                        throw new ClassNotFoundException(name, e);
                    }
                }
                if (resolve) resolveClass(c);
                return c;
            }
        }

        @Override
        protected String findLibrary(String name) {
            Path file = folder.resolve(System.mapLibraryName(name));
            return Files.isRegularFile(file) ? file.toAbsolutePath().toString() : null;
        }
    }
}
