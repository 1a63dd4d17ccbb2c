package Ardelune.storage.bridge;

import Ardelune.Tolvane;
import Ardelune.storage.NativeBridge;
import java.util.ArrayList;
import java.util.function.BiConsumer;

/** The natives of {@link Tolvane} behind {@link NativeBridge}. Created by the client, not by applications. */
public final class TolvaneBridge extends Tolvane implements NativeBridge {
    private volatile BiConsumer<Long, ArrayList<byte[]>> receiver = (count, list) -> {};

    @Override
    public int initialize() {
        return Initialize();
    }

    @Override
    public void uninitialize() {
        Uninitialize();
    }

    @Override
    public byte[] command(byte[] request) {
        return CmdHandler(request, request.length);
    }

    @Override
    public void receiveWith(BiConsumer<Long, ArrayList<byte[]>> receiver) {
        this.receiver = receiver;
    }

    @Override
    public void onNotify(long count, ArrayList<byte[]> list) {
        receiver.accept(count, list);
    }
}
