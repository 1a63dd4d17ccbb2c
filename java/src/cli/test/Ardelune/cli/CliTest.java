package Ardelune.cli;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.OutputStream;
import java.math.BigDecimal;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.concurrent.TimeUnit;
import java.util.function.Predicate;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * Runs the generated launcher as a user would: no java.library.path, an
 * environment cleared down to PATH and what each case names, and the
 * output read back (JSON parsed whole, so a stray log line fails it).
 */
class CliTest {
    private static final String DRIVE_2 = "40000000-0000-4000-8000-000000000003";
    private static final String SUBSYSTEM = "20000000-0000-4000-8000-000000000001";
    private static final String MIRRORED_LUN = "50000000-0000-4000-8000-000000000002";
    private static final String DATA_VOLUME = "90000000-0000-4000-8000-000000000004";
    private static final String UNALLOCATED_DISK = "80000000-0000-4000-8000-000000000003";

    private static Path launcher;
    private static Path work;

    record Run(int exit, String out, String err) {
        List<Object> jsonLines() {
            List<Object> lines = new ArrayList<>();
            for (String line : out.split("\n")) if (!line.isEmpty()) lines.add(JsonReader.parse(line));
            return lines;
        }
    }

    @BeforeAll
    static void setUp() throws IOException {
        launcher = Path.of(System.getProperty("tolvane.cli"));
        work = Files.createDirectories(Path.of(System.getProperty("tolvane.cli.work")));
    }

    private static ProcessBuilder process(Map<String, String> env, String... args) {
        List<String> command = new ArrayList<>(List.of(launcher.toString()));
        command.addAll(List.of(args));
        ProcessBuilder pb = new ProcessBuilder(command);
        Map<String, String> e = pb.environment();
        e.clear();
        e.put("PATH", "/usr/bin:/bin");
        e.putAll(env);
        return pb;
    }

    private static Run run(Map<String, String> env, String... args) throws Exception {
        Path out = Files.createTempFile(work, "out", ".txt");
        Path err = Files.createTempFile(work, "err", ".txt");
        Process p = process(env, args).redirectOutput(out.toFile()).redirectError(err.toFile()).start();
        assertTrue(p.waitFor(120, TimeUnit.SECONDS), "tolvane " + String.join(" ", args) + " did not end");
        return new Run(p.exitValue(), Files.readString(out, StandardCharsets.UTF_8),
            Files.readString(err, StandardCharsets.UTF_8));
    }

    private static Map<String, String> state(String name) throws IOException {
        Path file = work.resolve(name + ".db");
        Files.deleteIfExists(file);
        Files.deleteIfExists(Path.of(file + "-wal"));
        Files.deleteIfExists(Path.of(file + "-shm"));
        return Map.of("TOLVANE_SIM_STATE", file.toString());
    }

    @SuppressWarnings("unchecked")
    private static Map<String, Object> map(Object o) {
        return (Map<String, Object>) o;
    }

    @SuppressWarnings("unchecked")
    private static List<Object> list(Object o) {
        return (List<Object>) o;
    }

    /** Every object of a topology-shaped document, at any depth. */
    private static List<Map<String, Object>> objects(Object doc) {
        List<Map<String, Object>> out = new ArrayList<>();
        if (doc instanceof Map<?, ?> m) {
            if (m.containsKey("id")) out.add(map(m));
            for (Object v : m.values()) out.addAll(objects(v));
        } else if (doc instanceof List<?> l) {
            for (Object v : l) out.addAll(objects(v));
        }
        return out;
    }

    private static Map<String, Object> byId(Object doc, String id) {
        return objects(doc).stream().filter(o -> id.equals(o.get("id"))).findFirst().orElseThrow(
            () -> new AssertionError("no " + id + " in " + doc));
    }

    record JsonCase(String[] args, Predicate<Object> holds, String what) {}

    private static JsonCase json(String what, Predicate<Object> holds, String... args) {
        return new JsonCase(args, holds, what);
    }

    @Test
    void everyCommandWritesJsonThatReadsBack() throws Exception {
        Map<String, String> env = state("json");
        List<JsonCase> cases = List.of(
            json("the tree has both provider arrays, names with backslashes and accents, sizes in binary units",
                doc -> map(doc).containsKey("hardwareProviders") && map(doc).containsKey("softwareProviders")
                    && "Données".equals(byId(doc, DATA_VOLUME).get("name"))
                    && "64 GiB".equals(byId(doc, DRIVE_2).get("size"))
                    && "mirror".equals(byId(doc, MIRRORED_LUN).get("type"))
                    && "F".equals(byId(doc, DATA_VOLUME).get("driveLetter"))
                    && objects(doc).stream().anyMatch(o -> String.valueOf(o.get("name")).startsWith("\\\\?\\")),
                "list", "--json"),
            json("kinds chosen nest drives under their subsystem; -b writes bytes as numbers",
                doc -> list(map(doc).get("subsystems")).size() == 1
                    && list(map(list(map(doc).get("subsystems")).get(0)).get("drives")).size() == 8
                    && new BigDecimal("68719476736").equals(byId(doc, DRIVE_2).get("size")),
                "list", "--json", "-b", "subsystem", "drive"),
            json("a shown LUN is written as a topology file writes it, its plexes and their extents nested",
                doc -> MIRRORED_LUN.equals(map(doc).get("id")) && list(map(doc).get("plexes")).size() == 2
                    && list(map(list(map(doc).get("plexes")).get(0)).get("extents")).size() == 1,
                "show", "--json", MIRRORED_LUN),
            json("two objects shown make an array",
                doc -> list(doc).size() == 2, "show", "--json", DRIVE_2, DATA_VOLUME),
            json("a raw query of the subsystem's drives is decoded",
                doc -> "QUERY_DRIVES".equals(map(doc).get("command")) && list(map(doc).get("records")).size() == 8,
                "exec", "--json", "0x0093", "--id", "0", "--id", SUBSYSTEM),
            json("a raw request's payload is decoded: the drive in bus 0, slot 2",
                doc -> DRIVE_2.equals(map(map(doc).get("reply")).get("id")),
                "exec", "--json", "0x0127", "--id", SUBSYSTEM, "--hex", "0000 0200"),
            json("the digest", doc -> String.valueOf(map(doc).get("digest")).matches("[0-9a-f]{16}"),
                "sim", "digest", "--json"));
        for (JsonCase c : cases) {
            Run r = run(env, c.args());
            assertEquals(0, r.exit(), c.what() + ": " + r.err());
            Object doc = JsonReader.parse(r.out());
            assertTrue(c.holds().test(doc), c.what() + ": " + r.out());
        }
        Run lines = run(env, "list", "--jsonl");
        assertEquals(0, lines.exit(), lines.err());
        List<Object> objects = lines.jsonLines();
        Map<Object, Integer> kinds = new HashMap<>();
        for (Object o : objects) kinds.merge(map(o).get("kind"), 1, Integer::sum);
        assertEquals(8, kinds.get("drive"), lines.out());
        assertEquals(SUBSYSTEM, map(objects.stream().filter(o -> DRIVE_2.equals(map(o).get("id"))).findFirst()
            .orElseThrow()).get("parent"));
        // exec with no --json also reads: the outline and table are for people, but columns chosen hold.
        Run table = run(env, "list", "-l", "-n", "-b", "-o", "name,size", "drive");
        assertEquals(0, table.exit(), table.err());
        assertTrue(table.out().lines().anyMatch(l -> l.matches("Drive 1\\.3\\s+137438953472")), table.out());
        assertEquals(8, table.out().lines().count(), table.out());
    }

    record ExitCase(String what, boolean withState, int exit, String stderr, String[] args) {}

    private static ExitCase exit(String what, boolean withState, int exit, String stderr, String... args) {
        return new ExitCase(what, withState, exit, stderr, args);
    }

    @Test
    void failuresEndWithTheirExitCodes() throws Exception {
        Map<String, String> env = state("exits");
        List<ExitCase> cases = List.of(
            exit("an unknown object", false, 3, "no object", "show", "00000000-0000-4000-8000-0000000000FF"),
            exit("a raw request naming an unknown object", false, 3, "unknown to the service",
                "exec", "0x0093", "--id", "0", "--id", "00000000-0000-4000-8000-0000000000FF"),
            exit("an object unknown to the simulated machine", true, 3, "VDS_E_OBJECT_NOT_FOUND",
                "sim", "fail", "00000000-0000-4000-8000-0000000000FF"),
            exit("the partitions of a disk never initialised", false, 4, "VDS_E_DISK_NOT_INITIALIZED",
                "exec", "0x0404", "--id", "0", "--id", "0", "--id", UNALLOCATED_DISK),
            exit("a drive that LUNs still live on, pulled", true, 4, "VDS_E_DEVICE_IN_USE",
                "sim", "remove", "40000000-0000-4000-8000-000000000002"),
            exit("an unknown option", false, 2, "--bogus", "list", "--bogus"),
            exit("an unknown kind", false, 2, "unknown kind", "list", "drivez"),
            exit("a malformed identifier", false, 2, "no identifier", "show", "1-2-3-4-5"),
            exit("an unknown column", false, 2, "no field", "list", "-o", "nosuchfield"),
            exit("no command", false, 2, "a command is needed"),
            exit("a change without a state file", false, 2, "TOLVANE_SIM_STATE", "sim", "fail", DRIVE_2),
            exit("a request the library does not take", false, 1, "answered nothing", "exec", "0x7777"));
        for (ExitCase c : cases) {
            Run r = run(c.withState() ? env : Map.of(), c.args());
            assertEquals(c.exit(), r.exit(), c.what() + ": " + r.err());
            assertTrue(r.err().contains(c.stderr()), c.what() + ": " + r.err());
            if (c.exit() != 0) assertTrue(r.out().isEmpty() || c.args().length == 0, c.what() + ": " + r.out());
        }
    }

    /** A fault set by one command lives in the state file and fails the call that the next one makes. */
    @Test
    void aFaultOutlivesTheCommandThatSetIt() throws Exception {
        Map<String, String> env = state("fault");
        assertEquals(0, run(env, "sim", "fault", "IVdsService::Reenumerate", "0x80042431", "--nth", "1").exit());
        Run refused = run(env, "rescan");
        assertEquals(4, refused.exit(), refused.err());
        assertTrue(refused.err().contains("80042431"), refused.err());
        assertEquals(0, run(env, "rescan").exit(), "only the first call fails");
    }

    @Test
    void aLockedStateFileEndsWithFive() throws Exception {
        Map<String, String> env = state("locked");
        assertEquals(0, run(env, "sim", "digest").exit());
        Process holder = new ProcessBuilder(System.getProperty("tolvane.cli.lock"), env.get("TOLVANE_SIM_STATE"))
            .redirectErrorStream(true).start();
        // Closing its standard input lets the holder go.
        try (BufferedReader said = new BufferedReader(new InputStreamReader(holder.getInputStream(),
                 StandardCharsets.UTF_8));
             OutputStream release = holder.getOutputStream()) {
            release.flush();
            assertEquals("LOCKED", said.readLine());
            Run r = run(env, "sim", "fail", DRIVE_2);
            assertEquals(5, r.exit(), r.err());
            assertTrue(r.err().contains("ERROR_DATABASE_FAILURE"), r.err());
        } finally {
            holder.destroy();
            holder.waitFor(10, TimeUnit.SECONDS);
        }
        // The lock gone, the change goes through and shows.
        assertEquals(0, run(env, "sim", "fail", DRIVE_2).exit());
        Run shown = run(env, "show", "--json", DRIVE_2);
        assertEquals(new BigDecimal(5), map(JsonReader.parse(shown.out())).get("status"), shown.out());
    }

    @Test
    void watchHearsAChangeThatAnotherProcessMakes() throws Exception {
        Map<String, String> env = state("watch");
        assertEquals(0, run(env, "sim", "digest").exit());
        Path out = work.resolve("watch-out.txt");
        Process watch = process(env, "watch", "--count", "3", "--timeout", "60s", "--jsonl")
            .redirectOutput(out.toFile()).start();
        try (BufferedReader err = new BufferedReader(new InputStreamReader(watch.getErrorStream(),
                 StandardCharsets.UTF_8))) {
            String ready = err.readLine();
            assertTrue(ready != null && ready.contains("watching"), String.valueOf(ready));
            Run fail = run(env, "sim", "fail", "--json", DRIVE_2);
            assertEquals(0, fail.exit(), fail.err());
            assertEquals(Boolean.TRUE, map(JsonReader.parse(fail.out())).get("changed"));
            assertTrue(watch.waitFor(60, TimeUnit.SECONDS), "watch did not end after three notifications");
            assertEquals(0, watch.exitValue());
        } finally {
            watch.destroyForcibly();
        }
        List<Object> seen = new Run(0, Files.readString(out, StandardCharsets.UTF_8), "").jsonLines();
        assertEquals(3, seen.size(), seen.toString());
        assertTrue(seen.stream().anyMatch(n -> "drive".equals(map(n).get("target"))
            && DRIVE_2.equals(map(n).get("object"))), seen.toString());
    }
}
