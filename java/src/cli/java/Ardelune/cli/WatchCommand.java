package Ardelune.cli;

import Ardelune.storage.Notification;
import Ardelune.storage.StorageSession;
import Ardelune.storage.Subscription;
import java.time.Duration;
import java.time.LocalTime;
import java.time.format.DateTimeFormatter;
import java.util.LinkedHashMap;
import java.util.Locale;
import java.util.Map;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.Callable;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import picocli.CommandLine.Command;
import picocli.CommandLine.ITypeConverter;
import picocli.CommandLine.Option;
import picocli.CommandLine.TypeConversionException;

@Command(name = "watch", mixinStandardHelpOptions = true,
    description = {"Notifications as the service sends them, decoded, one a line, until --count of them came,"
        + " --timeout passed, or Ctrl-C.",
        "With TOLVANE_SIM_STATE, changes that other processes make to the shared machine show here too."},
    footer = {"", "Once it listens it says so on standard error: a change made after that line is seen.",
        "It ends with 1 when --timeout passes before --count notifications came.", "",
        "Examples:", "  tolvane watch", "  tolvane watch --count 3 --timeout 30s --jsonl"})
final class WatchCommand implements Callable<Integer> {
    @Option(names = "--count", paramLabel = "N", description = "End after N notifications.")
    Integer count;

    @Option(names = "--timeout", paramLabel = "D", converter = DurationConverter.class,
        description = "End after D: 500ms, 30s, 2m, 1h, or seconds alone.")
    Duration timeout;

    @Option(names = "--jsonl", description = "One JSON object per notification and line.")
    boolean jsonl;

    @Override
    public Integer call() throws InterruptedException {
        if (count != null && count < 1) throw new CliFailure(Failures.USAGE, "--count must be 1 or more");
        BlockingQueue<Notification> arrived = new LinkedBlockingQueue<>();
        ExecutorService listener = Executors.newSingleThreadExecutor(r -> {
            Thread t = new Thread(r, "tolvane-watch");
            t.setDaemon(true);
            return t;
        });
        Values.Format format = new Values.Format(false);
        long deadline = timeout == null ? Long.MAX_VALUE : System.nanoTime() + timeout.toNanos();
        int seen = 0;
        try (StorageSession session = StorageSession.open();
             Subscription subscription = session.subscribe(listener, arrived::add)) {
            if (!subscription.isActive()) throw new CliFailure(Failures.INTERNAL, "the subscription ended at once");
            Main.ERR.println("tolvane: watching" + (count != null ? " for " + count + " notifications" : "")
                + (timeout != null ? " for at most " + timeout.toMillis() + " ms" : ""));
            while (count == null || seen < count) {
                long left = deadline - System.nanoTime();
                if (left <= 0) break;
                Notification n = arrived.poll(Math.min(left, TimeUnit.DAYS.toNanos(1)), TimeUnit.NANOSECONDS);
                if (n == null) continue;
                seen++;
                print(n, format);
            }
        } finally {
            listener.shutdownNow();
        }
        if (count != null && seen < count) {
            throw new CliFailure(Failures.INTERNAL, "timed out after " + seen + " of " + count + " notifications");
        }
        return 0;
    }

    private void print(Notification n, Values.Format format) {
        Map<String, Object> fields = Notifications.fields(n);
        if (jsonl) {
            Map<String, Object> json = new LinkedHashMap<>();
            fields.forEach((k, v) -> json.put(k, format.json(v)));
            Main.OUT.println(Json.write(json));
            return;
        }
        StringBuilder line = new StringBuilder(LocalTime.now().format(DateTimeFormatter.ofPattern("HH:mm:ss.SSS")));
        line.append(' ').append(fields.get("target")).append(' ').append(fields.get("event"));
        fields.forEach((k, v) -> {
            if (!k.equals("target") && !k.equals("event") && !k.equals("targetType") && !k.equals("eventCode")) {
                line.append(' ').append(k).append('=').append(format.text(v));
            }
        });
        Main.OUT.println(line);
    }

    /** A duration as people write it: 500ms, 30s, 2m, 1h, or a count of seconds. */
    static final class DurationConverter implements ITypeConverter<Duration> {
        private static final Pattern FORM = Pattern.compile("(\\d+)(ms|s|m|h)?");

        @Override
        public Duration convert(String value) {
            Matcher m = FORM.matcher(value.strip().toLowerCase(Locale.ROOT));
            if (!m.matches()) throw new TypeConversionException("'" + value + "' is no duration (500ms, 30s, 2m, 1h)");
            long n = Long.parseLong(m.group(1));
            String unit = m.group(2) == null ? "s" : m.group(2);
            return switch (unit) {
                case "ms" -> Duration.ofMillis(n);
                case "m" -> Duration.ofMinutes(n);
                case "h" -> Duration.ofHours(n);
                default -> Duration.ofSeconds(n);
            };
        }
    }
}
