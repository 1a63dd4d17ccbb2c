package Ardelune;

import Ardelune.sim.SimulatedService;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;

/**
 * A long run through the JNI bridge (not a test: scripts/long-runs starts it):
 * the load test's queries and changes, over and over, with the process's
 * resident memory printed every {@code interval} commands. Run with a fixed
 * heap so that the curve shows native memory only.
 *
 * <p>java Ardelune.LongRun [commands=1000000] [interval=100000]
 */
final class LongRun {
    private LongRun() {}

    static long residentKib() throws IOException {
        for (String line : Files.readAllLines(Path.of("/proc/self/status"))) {
            if (line.startsWith("VmRSS:")) return Long.parseLong(line.replaceAll("[^0-9]", ""));
        }
        return -1;
    }

    public static void main(String[] args) throws IOException {
        long total = args.length > 0 ? Long.parseLong(args[0]) : 1_000_000;
        long interval = args.length > 1 ? Long.parseLong(args[1]) : 100_000;
        List<byte[]> requests = LoadWithNotificationsTest.requests();
        Tolvane tolvane = new Tolvane();
        if (tolvane.Initialize() < 0) throw new IllegalStateException("no connection");
        System.err.println("commands resident_kib");
        System.err.println("0 " + residentKib());
        for (long sent = 1; sent <= total; sent++) {
            byte[] request = requests.get((int) (sent % requests.size()));
            tolvane.CmdHandler(request, request.length);
            if (sent % interval == 0) System.err.println(sent + " " + residentKib());
        }
        tolvane.Uninitialize();
        long left = SimulatedService.liveReferences();
        System.err.println("references left: " + left);
        System.exit(left == 0 ? 0 : 1);
    }
}
