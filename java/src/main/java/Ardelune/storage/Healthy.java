package Ardelune.storage;

/** A record that carries the service's health number (VDS_HEALTH), readable as an enum. */
public interface Healthy {
    /** The health as the service gives it. */
    int health();

    /** The health by name; {@link Health#UNKNOWN} for a number without one. */
    default Health healthValue() {
        return Health.of(health());
    }
}
