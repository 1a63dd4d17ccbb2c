package Ardelune;

/** The bridge class as an application would ship it without a notification receiver. */
public class Tolvane {
    static {
        System.loadLibrary("Tolvane");
    }

    public native int Initialize();

    public native void Uninitialize();

    public native byte[] CmdHandler(byte[] request, int size);
}
