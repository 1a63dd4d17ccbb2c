package Ardelune;

import Ardelune.sim.SimulatedService;
import java.time.Duration;
import java.util.ArrayList;
import java.util.concurrent.atomic.AtomicLong;

/**
 * Times the library as Java sees it: notification batches of 1, 100 and
 * 10,000 records delivered into onNotify (records per second), and a drive
 * listing through CmdHandler (microseconds per call) beside the plain client
 * making the same service calls behind JNI. Every figure follows a warm-up
 * of its own. Results go to standard error; the library's own log
 * lines go to standard output.
 */
public final class TolvaneBench {
    private static final int RECORD = 48;

    /** Counts what reaches Java, as a receiver that keeps nothing would. */
    static final class CountingReceiver extends Tolvane {
        final AtomicLong records = new AtomicLong();
        final AtomicLong touched = new AtomicLong();

        @Override
        public void onNotify(long count, ArrayList<byte[]> list) {
            long sum = 0;
            for (byte[] record : list) sum += record[8];
            touched.addAndGet(sum);
            records.addAndGet(list.size());
        }
    }

    private static byte[] records(int count) {
        byte[] bytes = new byte[count * RECORD];
        for (int i = 0; i < count; i++) {
            bytes[i * RECORD] = 11;  // pack notifications
            bytes[i * RECORD + 8] = 1;
        }
        return bytes;
    }

    /** Records per second over `total` records delivered in batches of `batch`. */
    private static double throughput(CountingReceiver receiver, int batch, long total) {
        byte[] bytes = records(batch);
        long batches = Math.max(1, total / batch);
        long before = receiver.records.get();
        long start = System.nanoTime();
        for (long i = 0; i < batches; i++) {
            SimulatedService.fireNotifications(bytes);
            // One batch at a time, so the figure is delivery, not queueing.
            SimulatedService.waitNotificationsDelivered();
        }
        long elapsed = System.nanoTime() - start;
        long delivered = receiver.records.get() - before;
        if (delivered != batches * batch) {
            throw new IllegalStateException("delivered " + delivered + " of " + batches * batch);
        }
        return delivered * 1e9 / elapsed;
    }

    private static byte[] queryDrives(byte[] provider, byte[] subSystem) {
        byte[] request = new byte[36];
        request[2] = (byte) 0x93;
        System.arraycopy(provider, 0, request, 4, 16);
        System.arraycopy(subSystem, 0, request, 20, 16);
        return request;
    }

    /** A GUID's 16 bytes in memory order from its text. */
    private static byte[] guid(String text) {
        String hex = text.replace("-", "");
        byte[] b = new byte[16];
        for (int i = 0; i < 16; i++) b[i] = (byte) Integer.parseInt(hex.substring(2 * i, 2 * i + 2), 16);
        // Data1, Data2 and Data3 are little-endian in memory.
        reverse(b, 0, 4);
        reverse(b, 4, 2);
        reverse(b, 6, 2);
        return b;
    }

    private static void reverse(byte[] b, int at, int n) {
        for (int i = 0; i < n / 2; i++) {
            byte t = b[at + i];
            b[at + i] = b[at + n - 1 - i];
            b[at + n - 1 - i] = t;
        }
    }

    /** Microseconds per CmdHandler call, after a warm-up of as many calls. */
    private static double commandMicros(Tolvane tolvane, byte[] request, int calls) {
        for (int i = 0; i < calls; i++) tolvane.CmdHandler(request, request.length);
        long start = System.nanoTime();
        int size = 0;
        for (int i = 0; i < calls; i++) size += tolvane.CmdHandler(request, request.length).length;
        long elapsed = System.nanoTime() - start;
        if (size == 0) throw new IllegalStateException("no reply");
        return elapsed / 1e3 / calls;
    }

    /** Microseconds per drive list of the plain client behind JNI, after the same warm-up. */
    private static double directMicros(byte[] subSystem, int drives, int calls) {
        for (int i = 0; i < calls; i++) DirectClient.listDrives(subSystem);
        long start = System.nanoTime();
        long read = 0;
        for (int i = 0; i < calls; i++) read += DirectClient.listDrives(subSystem);
        long elapsed = System.nanoTime() - start;
        if (read != (long) drives * calls) throw new IllegalStateException("direct client read " + read);
        return elapsed / 1e3 / calls;
    }

    public static void main(String[] args) {
        // The generated machine's provider and subsystem (see machine_generator.cpp).
        String provider = args.length > 0 ? args[0] : "B0000000-0000-4000-8000-000000000001";
        String subSystem = args.length > 1 ? args[1] : "B1000000-0000-4000-8000-000000000001";
        int drives = args.length > 2 ? Integer.parseInt(args[2]) : 1000;

        SimulatedService.setStartingPhase(Duration.ZERO);
        CountingReceiver receiver = new CountingReceiver();
        if (receiver.Initialize() != 0) throw new IllegalStateException("Initialize failed");
        try {
            System.err.printf("%-36s %16s%n", "notifications into Java", "records/s");
            for (int batch : new int[] {1, 100, 10000}) {
                long total = batch == 1 ? 20_000 : 400_000;
                throughput(receiver, batch, total / 4);  // warm-up
                System.err.printf("batches of %-25d %16.0f%n", batch, throughput(receiver, batch, total));
            }
            byte[] request = queryDrives(guid(provider), guid(subSystem));
            int calls = drives >= 10000 ? 20 : 200;
            if (DirectClient.open() < 0) throw new IllegalStateException("the direct client cannot open the service");
            try {
                System.err.printf("%-36s %16s %12s %8s%n", "drive list through JNI", "library us", "direct us", "ratio");
                for (int round = 0; round < 3; round++) {
                    double library = commandMicros(receiver, request, calls);
                    double direct = directMicros(guid(subSystem), drives, calls);
                    System.err.printf("list of %-28d %16.1f %12.1f %8.3f%n", drives, library, direct, library / direct);
                }
            } finally {
                DirectClient.close();
            }
        } finally {
            receiver.Uninitialize();
        }
    }
}
