package Ardelune.sim;

/** The simulated service refused a request from its control surface with {@link #resultCode()}. */
public final class SimulatorException extends RuntimeException {
    private static final long serialVersionUID = 1L;

    private final int resultCode;

    SimulatorException(String what, int resultCode) {
        super(String.format("%s: the simulated service answered 0x%08X", what, resultCode));
        this.resultCode = resultCode;
    }

    /** The failure HRESULT the service answered, e.g. 0x80042405 for an object it does not know. */
    public int resultCode() {
        return resultCode;
    }
}
