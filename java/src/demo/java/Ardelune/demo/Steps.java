package Ardelune.demo;

import Ardelune.storage.StorageException;

/** A change the demo makes, told as "done" or as the reason it failed. */
final class Steps {
    static final String DONE = "done";

    private Steps() {}

    static String attempt(Runnable step) {
        try {
            step.run();
            return DONE;
        } catch (StorageException failed) {
            return failed.getMessage();
        }
    }

    static String quoted(String name) {
        return name.isEmpty() ? "(no name)" : "\"" + name + "\"";
    }
}
