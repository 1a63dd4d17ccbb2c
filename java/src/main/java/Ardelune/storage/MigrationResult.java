package Ardelune.storage;

/** What moving disks between packs gave: the result code for the first disk and whether a reboot is needed. */
public record MigrationResult(int firstDiskResult, boolean rebootNeeded) {}
