package Ardelune.cli;

import Ardelune.storage.Command;
import Ardelune.storage.RawExchange;
import Ardelune.storage.StorageSession;
import java.io.ByteArrayOutputStream;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.HexFormat;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.UUID;
import java.util.concurrent.Callable;
import picocli.CommandLine.ITypeConverter;
import picocli.CommandLine.Option;
import picocli.CommandLine.Parameters;
import picocli.CommandLine.TypeConversionException;

@picocli.CommandLine.Command(name = "exec", mixinStandardHelpOptions = true,
    description = {"Sends one raw request and prints the reply: decoded when the command is known, dumped in"
        + " hexadecimal otherwise.",
        "The request is the 4-byte header with CODE at offset 2, then each --id (16 bytes, as a GUID lies in"
        + " memory) from offset 4, then the --hex bytes. Identifiers thus land where the protocol's object"
        + " addresses put them: provider at 4, subsystem or pack at 20, object at 36, plex at 52."},
    footer = {"", "A failure status ends with the exit code it stands for (3 not found, 4 VDS or system error).", "",
        "Examples:", "  tolvane exec 0x0091",
        "  tolvane exec 0x0093 --id 0 --id 20000000-0000-4000-8000-000000000001",
        "  tolvane exec 0x0404 --id 0 --id 0 --id 80000000-0000-4000-8000-000000000003"})
final class ExecCommand implements Callable<Integer> {
    private static final int HEADER = 12;

    @Parameters(paramLabel = "CODE", converter = CodeConverter.class,
        description = "The command code: 0x0093, or decimal.")
    int code;

    @Option(names = "--id", paramLabel = "UUID", converter = IdConverter.class,
        description = "An identifier, in order from offset 4; 0 for the null identifier.")
    List<UUID> ids = new ArrayList<>();

    @Option(names = "--hex", paramLabel = "BYTES",
        description = "Bytes after the identifiers, in hexadecimal (spaces and colons allowed).")
    String hex = "";

    @Option(names = "--json", description = "The reply as one JSON document.")
    boolean json;

    @Option(names = "-b", description = "Sizes in bytes instead of binary units.")
    boolean bytes;

    @Override
    public Integer call() {
        byte[] request = request();
        byte[] reply;
        try (StorageSession session = StorageSession.open()) {
            reply = RawExchange.send(session, request);
        }
        if (reply.length == 0) {
            throw new CliFailure(Failures.INTERNAL, String.format("the library answered nothing: it takes no request"
                + " of command 0x%04X and %d bytes", code, request.length));
        }
        Command command = Command.ofCode(code);
        if (command == null || reply.length < HEADER) {
            dump(reply);
            return 0;
        }
        // Throws the failure that a status other than 0 stands for.
        Object decoded = RawExchange.decode(command, reply);
        Values.Format format = new Values.Format(bytes);
        Map<String, Object> doc = new LinkedHashMap<>();
        doc.put("command", command.name());
        doc.put("code", code);
        doc.put("status", 0);
        if (decoded instanceof List<?> records) {
            doc.put("records", records.stream().map(Records::fields).toList());
        } else if (decoded != null) {
            doc.put("reply", Records.fields(decoded));
        }
        if (json) {
            Main.OUT.println(Json.write(format.json(doc)));
            return 0;
        }
        Main.OUT.println(command + ": success, " + (decoded instanceof List<?> l ? l.size() + " records"
            : decoded == null ? "no payload" : "one record"));
        List<Object> shown = decoded instanceof List<?> l ? new ArrayList<>(l) : decoded == null ? List.of()
            : List.of(decoded);
        for (Object record : shown) {
            Main.OUT.println();
            Table t = new Table();
            Records.fields(record).forEach((k, v) -> t.add("  " + k, format.text(v)));
            t.print(Main.OUT);
        }
        return 0;
    }

    private byte[] request() {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.writeBytes(new byte[] {0, 0, (byte) code, (byte) (code >>> 8)});
        for (UUID id : ids) out.writeBytes(guidBytes(id));
        String digits = hex.replaceAll("[\\s:]", "");
        try {
            out.writeBytes(HexFormat.of().parseHex(digits));
        } catch (IllegalArgumentException e) {
            throw new CliFailure(Failures.USAGE, "--hex '" + hex + "' is no even count of hexadecimal digits");
        }
        return out.toByteArray();
    }

    /** A GUID as it lies in memory: the first three groups little-endian, the last eight bytes as written. */
    static byte[] guidBytes(UUID id) {
        ByteBuffer b = ByteBuffer.allocate(16).order(ByteOrder.LITTLE_ENDIAN);
        long high = id.getMostSignificantBits();
        b.putInt((int) (high >>> 32)).putShort((short) (high >>> 16)).putShort((short) high);
        b.order(ByteOrder.BIG_ENDIAN).putLong(id.getLeastSignificantBits());
        return b.array();
    }

    private void dump(byte[] reply) {
        ByteBuffer b = ByteBuffer.wrap(reply).order(ByteOrder.LITTLE_ENDIAN);
        Map<String, Object> doc = new LinkedHashMap<>();
        doc.put("code", reply.length >= 4 ? b.getShort(2) & 0xFFFF : null);
        doc.put("status", reply.length >= 8 ? b.getInt(4) : null);
        doc.put("result", reply.length >= HEADER ? String.format("0x%08X", b.getInt(8)) : null);
        doc.put("bytes", HexFormat.of().formatHex(reply));
        if (json) {
            Main.OUT.println(Json.write(doc));
            return;
        }
        Main.OUT.println(String.format("command 0x%04X is not one this client decodes; %d bytes:", code, reply.length));
        for (int at = 0; at < reply.length; at += 16) {
            byte[] row = java.util.Arrays.copyOfRange(reply, at, Math.min(reply.length, at + 16));
            Main.OUT.println(String.format("%08x  %s", at, HexFormat.ofDelimiter(" ").formatHex(row)));
        }
    }

    static final class CodeConverter implements ITypeConverter<Integer> {
        @Override
        public Integer convert(String value) {
            String v = value.strip().toLowerCase(Locale.ROOT);
            int code;
            try {
                code = v.startsWith("0x") ? Integer.parseInt(v.substring(2), 16) : Integer.parseInt(v);
            } catch (NumberFormatException e) {
                throw new TypeConversionException("'" + value + "' is no command code (0x0093 or 147)");
            }
            if (code < 0 || code > 0xFFFF) throw new TypeConversionException("a command code is 0 to 0xFFFF");
            return code;
        }
    }

    static final class IdConverter implements ITypeConverter<UUID> {
        private static final java.util.regex.Pattern CANONICAL =
            java.util.regex.Pattern.compile("\\p{XDigit}{8}-\\p{XDigit}{4}-\\p{XDigit}{4}-\\p{XDigit}{4}-\\p{XDigit}{12}");

        @Override
        public UUID convert(String value) {
            if (value.equals("0")) return new UUID(0, 0);
            return strict(value);
        }

        /** Only the 36-character form: UUID.fromString also takes "1-2-3-4-5". */
        static UUID strict(String value) {
            if (!CANONICAL.matcher(value).matches()) {
                throw new TypeConversionException("'" + value + "' is no identifier (XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX)");
            }
            return UUID.fromString(value);
        }
    }
}
