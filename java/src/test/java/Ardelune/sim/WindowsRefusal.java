package Ardelune.sim;

import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;

/**
 * Runs in a JVM of its own that can find no native library: as on Windows,
 * every public method of {@link SimulatedService} must refuse with
 * {@link UnsupportedOperationException} before it looks for one, whatever its
 * arguments.
 */
public final class WindowsRefusal {
    private WindowsRefusal() {}

    public static void main(String[] args) throws IllegalAccessException {
        System.setProperty("os.name", "Windows 11");
        int methods = 0;
        int refused = 0;
        for (Method m : SimulatedService.class.getDeclaredMethods()) {
            if (!Modifier.isPublic(m.getModifiers())) continue;
            methods++;
            Object[] arguments = new Object[m.getParameterCount()];
            Class<?>[] types = m.getParameterTypes();
            for (int i = 0; i < types.length; i++) {
                if (types[i] == int.class) arguments[i] = 0;
                else if (types[i] == long.class) arguments[i] = 0L;
                else if (types[i] == boolean.class) arguments[i] = false;
            }
            try {
                m.invoke(null, arguments);
                System.out.println("NOT REFUSED: " + m + " returned");
            } catch (InvocationTargetException e) {
                Throwable t = e.getCause();
                if (t instanceof UnsupportedOperationException && t.getMessage().contains("only off Windows")) {
                    refused++;
                } else {
                    System.out.println("NOT REFUSED: " + m + " threw " + t);
                }
            }
        }
        if (methods > 0 && refused == methods) System.out.println("EVERY METHOD REFUSED (" + methods + ")");
    }
}
