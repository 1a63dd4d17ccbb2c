// The library's one entry for requests, from Java's vdsCmd and from native
// callers alike: the command table, run against the open connection's
// service.
#include "bridge/connection.h"
#include "commands/command_table.h"
#include "tolvane.h"

unsigned char* vdsCmdHandler(unsigned char* request, int size, int* outSize) {
    // Held for the whole command, so that closing never frees the service
    // under it; null without a connection, when nothing is found.
    const ComPtr<IVdsService> service = vdsServiceReference();
    return vdsDispatch(vdsCommandTable(), service.get(), request, size, outSize);
}
