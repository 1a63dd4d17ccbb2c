package Ardelune.cli;

import Ardelune.storage.StorageSession;
import java.util.concurrent.Callable;
import picocli.CommandLine.Command;

@Command(name = "rescan", mixinStandardHelpOptions = true,
    description = "Asks the service to look for new disks and drives (IVdsService::Reenumerate); what it finds"
        + " is told as notifications (see watch).",
    footer = {"", "Example:", "  tolvane rescan"})
final class RescanCommand implements Callable<Integer> {
    @Override
    public Integer call() {
        try (StorageSession session = StorageSession.open()) {
            session.reenumerate();
        }
        return 0;
    }
}
