package Ardelune.storage;

import Ardelune.storage.bridge.TolvaneBridge;

/** Finds the native library and makes the bridge to it. */
final class NativeLibraries {
    private NativeLibraries() {}

    static NativeBridge bridge() {
        return new TolvaneBridge();
    }
}
