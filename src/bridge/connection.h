// The process's one connection to the VDS service: the service, the sink and
// its cookie, and the apartment that keeps them callable, owned together and
// changed only by vdsInitialize and vdsUninitialize, one at a time.
#pragma once

#include "notify/advise_sink.h"
#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"

// A counted reference to the open connection's service for the length of
// one command; null when none is open. Closing never frees the service under
// a command that holds one.
ComPtr<IVdsService> vdsServiceReference();

// What the connection holds, uncounted, for diagnostics and tests (which
// must not keep it): all null and false when it is closed.
struct ConnectionView {
    IVdsService* service = nullptr;
    CVdsAdviseSink* sink = nullptr;
    bool comHeld = false;
};
ConnectionView vdsConnectionView();

// Gives the connection up at process exit: no batch reaches Java any more,
// and nothing is waited for, released or unregistered.
void vdsAbandonConnection();

// Keeps the library in the process once a connection has been opened, so
// that the sink's code stays mapped while the service may call it.
void vdsKeepLibraryLoaded();
